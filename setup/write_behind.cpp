#include "setup/write_behind.h"

namespace {

constexpr DWORD kBlockBytes = 131072;
constexpr DWORD kLeastSpace = 8192;
// Files handed over in one block at most: each stays open until its block is written.
constexpr size_t kOperationsPerBlock = 32;
constexpr SIZE_T kThreadStackBytes = 65536;

// Writes all `size` bytes of `data` to `file`; ERROR_SUCCESS or the error of the write that
// failed (a short write is retried, so that a full disk is reported as such).
DWORD WriteAll(HANDLE file, const char* data, DWORD size) {
  while (size > 0) {
    DWORD written = 0;
    if (!WriteFile(file, data, size, &written, nullptr)) return GetLastError();
    if (written == 0) return ERROR_WRITE_FAULT;
    data += written;
    size -= written;
  }
  return ERROR_SUCCESS;
}

}  // namespace

WriteBehind::WriteBehind() {
  InitializeCriticalSection(&lock_);
  InitializeConditionVariable(&changed_);
}

WriteBehind::~WriteBehind() {
  size_t tag;
  Finish(tag);
  if (thread_) {
    EnterCriticalSection(&lock_);
    stopping_ = true;
    LeaveCriticalSection(&lock_);
    WakeAllConditionVariable(&changed_);
    WaitForSingleObject(thread_.get(), INFINITE);
  }
  DeleteCriticalSection(&lock_);
}

char* WriteBehind::Space(DWORD& size) {
  if (Current().used > kBlockBytes - kLeastSpace ||
      Current().operations.size() >= kOperationsPerBlock) {
    Submit();
  }
  Block& block = Current();
  if (!block.bytes) block.bytes.reset(new char[kBlockBytes]);
  size = kBlockBytes - block.used;
  return block.bytes.get() + block.used;
}

void WriteBehind::Write(HANDLE file, DWORD size, size_t tag) {
  Block& block = Current();
  block.operations.push_back({file, block.used, size, tag, false});
  block.used += size;
}

void WriteBehind::Close(HANDLE file, size_t tag) {
  Current().operations.push_back({file, 0, 0, tag, true});
}

DWORD WriteBehind::Error(size_t& tag) {
  EnterCriticalSection(&lock_);
  const DWORD error = error_;
  tag = error_tag_;
  LeaveCriticalSection(&lock_);
  return error;
}

DWORD WriteBehind::Finish(size_t& tag) {
  if (!Current().operations.empty()) Submit();
  EnterCriticalSection(&lock_);
  while (written_ != submitted_) SleepConditionVariableCS(&changed_, &lock_, INFINITE);
  LeaveCriticalSection(&lock_);
  return Error(tag);
}

// Hands the current block to the thread (or writes it here without one) and makes the next block
// current, waiting while the thread still writes it.
void WriteBehind::Submit() {
  if (!started_) {
    started_ = true;
    thread_.reset(CreateThread(nullptr, kThreadStackBytes, &ThreadMain, this,
                               STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
  }
  if (!thread_) {
    Perform(Current());
    ++submitted_;
    ++written_;
    return;
  }
  EnterCriticalSection(&lock_);
  ++submitted_;
  WakeAllConditionVariable(&changed_);
  while (submitted_ - written_ >= kBlockCount) SleepConditionVariableCS(&changed_, &lock_, INFINITE);
  LeaveCriticalSection(&lock_);
}

DWORD WINAPI WriteBehind::ThreadMain(void* self) {
  auto* writer = static_cast<WriteBehind*>(self);
  EnterCriticalSection(&writer->lock_);
  for (;;) {
    while (writer->written_ == writer->submitted_ && !writer->stopping_) {
      SleepConditionVariableCS(&writer->changed_, &writer->lock_, INFINITE);
    }
    if (writer->written_ == writer->submitted_) break;
    Block& block = writer->blocks_[writer->written_ % kBlockCount];
    LeaveCriticalSection(&writer->lock_);
    writer->Perform(block);
    EnterCriticalSection(&writer->lock_);
    ++writer->written_;
    WakeAllConditionVariable(&writer->changed_);
  }
  LeaveCriticalSection(&writer->lock_);
  return 0;
}

void WriteBehind::Perform(Block& block) {
  size_t tag;
  bool failed = Error(tag) != ERROR_SUCCESS;
  for (const Operation& operation : block.operations) {
    DWORD error = ERROR_SUCCESS;
    if (operation.close) {
      if (!CloseHandle(operation.file)) error = GetLastError();
    } else if (!failed) {
      error = WriteAll(operation.file, block.bytes.get() + operation.offset, operation.size);
    }
    if (error != ERROR_SUCCESS && !failed) {
      failed = true;
      Fail(error, operation.tag);
    }
  }
  block.operations.clear();
  block.used = 0;
}

void WriteBehind::Fail(DWORD error, size_t tag) {
  EnterCriticalSection(&lock_);
  error_ = error;
  error_tag_ = tag;
  LeaveCriticalSection(&lock_);
}
