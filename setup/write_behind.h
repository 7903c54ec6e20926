// Writing and closing files on a thread of its own, behind the caller, so that inflating the next
// payload entry overlaps the system calls that store the last ones. Creating each file stays with
// the caller (which records the name for a rollback first); what it hands over is done in the
// order it was handed over.
//
// Data passes through a few fixed blocks: the caller fills the free part of the current block
// (Space), hands over what it filled for a file (Write) and, after a file's last data, the file
// itself (Close). A full block goes to the thread; the caller waits only while every block is
// still being written. When the thread cannot be started, each block is written at once on the
// caller's thread.
//
// Errors: the first write or close that fails is kept with the tag the caller gave that file;
// after it no data is written, but every file handed over is still closed.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <vector>

#include "setup/win_handles.h"

class WriteBehind {
 public:
  WriteBehind();
  // Waits until everything handed over is written and closed.
  ~WriteBehind();
  WriteBehind(const WriteBehind&) = delete;
  WriteBehind& operator=(const WriteBehind&) = delete;

  // The free part of the current block (`size` set to its length in bytes, at least 8 KiB). It
  // stays the caller's until the next call of a method of this object.
  char* Space(DWORD& size);

  // Hands over the first `size` bytes of the last Space, to be written to `file` at its current
  // position. `file` stays open until Close hands it over.
  void Write(HANDLE file, DWORD size, size_t tag);

  // Hands over `file`, which this object now owns: it is closed after the writes handed over
  // before it.
  void Close(HANDLE file, size_t tag);

  // The first error so far (ERROR_SUCCESS when none), with its file's tag in `tag`; no waiting.
  DWORD Error(size_t& tag);

  // Waits until everything handed over is written and closed; then as Error.
  DWORD Finish(size_t& tag);

 private:
  struct Operation {
    HANDLE file;
    DWORD offset;  // in the block's bytes
    DWORD size;    // bytes to write; 0 with `close`
    size_t tag;
    bool close;
  };
  struct Block {
    std::unique_ptr<char[]> bytes;
    DWORD used = 0;
    std::vector<Operation> operations;
  };
  static constexpr int kBlockCount = 4;

  static DWORD WINAPI ThreadMain(void* self);
  void Submit();
  void Perform(Block& block);
  void Fail(DWORD error, size_t tag);
  Block& Current() { return blocks_[submitted_ % kBlockCount]; }

  Block blocks_[kBlockCount];
  // Blocks are filled and written in turn: block n % kBlockCount is the n-th. Guarded by lock_.
  unsigned submitted_ = 0;  // blocks handed to the thread; the current one is the next
  unsigned written_ = 0;    // blocks the thread has done
  bool stopping_ = false;
  DWORD error_ = ERROR_SUCCESS;
  size_t error_tag_ = 0;
  CRITICAL_SECTION lock_;
  CONDITION_VARIABLE changed_;
  UniqueHandle thread_;  // none until the first block goes, or when it cannot be started
  bool started_ = false;
};
