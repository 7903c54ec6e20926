// Move-only owners of Win32 handles and COM pointers. Each owner frees what it
// holds when it is destroyed, reset or assigned; release() hands the value back
// to the caller without freeing it; get() lends it without giving it up.
#pragma once

#include <objbase.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <utility>

// Owns a kernel HANDLE (files, processes, threads, events, Toolhelp snapshots)
// and closes it with CloseHandle. Both null and INVALID_HANDLE_VALUE count as
// empty, because CreateFileW and CreateToolhelp32Snapshot report failure with
// the latter and most other calls with the former. get() returns the stored
// value unchanged, so test the owner itself (operator bool), not get().
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE owned) : handle_(owned) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  explicit operator bool() const { return IsValid(handle_); }
  HANDLE get() const { return handle_; }
  HANDLE release() {
    HANDLE handle = handle_;
    handle_ = nullptr;
    return handle;
  }
  void reset(HANDLE owned = nullptr) {
    HANDLE old = handle_;
    handle_ = owned;
    if (IsValid(old) && old != owned) CloseHandle(old);
  }
  // Frees the current handle and returns the slot for an out-parameter.
  HANDLE* put() {
    reset();
    return &handle_;
  }

 private:
  static bool IsValid(HANDLE handle) { return handle && handle != INVALID_HANDLE_VALUE; }
  HANDLE handle_ = nullptr;
};

// Owns a FindFirstFileW search and ends it with FindClose. Construct it only from a handle that
// is not INVALID_HANDLE_VALUE.
struct FindCloser {
  void operator()(HANDLE find) const { ::FindClose(find); }
};
using FindHandle = std::unique_ptr<void, FindCloser>;

// Owns an open registry key and closes it with RegCloseKey. Never hand it a
// predefined root such as HKEY_LOCAL_MACHINE.
class RegKey {
 public:
  RegKey() = default;
  explicit RegKey(HKEY owned) : key_(owned) {}
  ~RegKey() { Close(); }
  RegKey(RegKey&& other) noexcept : key_(other.release()) {}
  RegKey& operator=(RegKey&& other) noexcept {
    reset(other.release());
    return *this;
  }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  explicit operator bool() const { return key_ != nullptr; }
  HKEY get() const { return key_; }
  HKEY release() {
    HKEY key = key_;
    key_ = nullptr;
    return key;
  }
  void reset(HKEY owned = nullptr) {
    HKEY old = key_;
    key_ = owned;
    if (old && old != owned) RegCloseKey(old);
  }
  // Closes the key and empties the holder. Returns RegCloseKey's result, or
  // ERROR_SUCCESS when the holder was already empty.
  LONG Close() {
    HKEY key = release();
    return key ? RegCloseKey(key) : ERROR_SUCCESS;
  }
  HKEY* put() {
    reset();
    return &key_;
  }

 private:
  HKEY key_ = nullptr;
};

// Owns one reference to a COM object.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes over a reference the caller already holds (no AddRef).
  explicit ComPtr(T* adopted) : ptr_(adopted) {}
  ~ComPtr() { reset(); }
  ComPtr(ComPtr&& other) noexcept : ptr_(other.release()) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    reset(other.release());
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  // Takes a reference of its own (AddRef) to a pointer the caller only borrows.
  static ComPtr AddRefed(T* borrowed) {
    if (borrowed) borrowed->AddRef();
    return ComPtr(borrowed);
  }

  explicit operator bool() const { return ptr_ != nullptr; }
  T* get() const { return ptr_; }
  T* operator->() const { return ptr_; }
  T* release() {
    T* ptr = ptr_;
    ptr_ = nullptr;
    return ptr;
  }
  void reset(T* adopted = nullptr) {
    T* old = ptr_;
    ptr_ = adopted;
    if (old) old->Release();
  }
  // Releases the current reference and returns the slot for an out-parameter
  // (CoCreateInstance, QueryInterface, SHGetMalloc).
  T** put() {
    reset();
    return &ptr_;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }

  // Queries the object for interface U; `out` is emptied first and stays empty
  // on failure. E_POINTER when this owner is empty.
  template <typename U>
  HRESULT As(ComPtr<U>& out) const {
    void** slot = out.put_void();
    return ptr_ ? ptr_->QueryInterface(__uuidof(U), slot) : E_POINTER;
  }

 private:
  T* ptr_ = nullptr;
};

// Owns memory that an IMalloc allocator handed out (for example the item list
// SHBrowseForFolderW returns, allocated by the shell's allocator) and frees it
// through that same allocator, which it keeps a reference to.
template <typename T>
class MallocPtr {
 public:
  MallocPtr(IMalloc* allocator, T* owned)
      : allocator_(ComPtr<IMalloc>::AddRefed(allocator)), ptr_(owned) {}
  ~MallocPtr() { reset(); }
  MallocPtr(MallocPtr&& other) noexcept
      : allocator_(std::move(other.allocator_)), ptr_(other.release()) {}
  MallocPtr& operator=(MallocPtr&& other) noexcept {
    reset();
    allocator_ = std::move(other.allocator_);
    ptr_ = other.release();
    return *this;
  }
  MallocPtr(const MallocPtr&) = delete;
  MallocPtr& operator=(const MallocPtr&) = delete;

  explicit operator bool() const { return ptr_ != nullptr; }
  T* get() const { return ptr_; }
  T* release() {
    T* ptr = ptr_;
    ptr_ = nullptr;
    return ptr;
  }
  // Frees the current block and takes over `owned`, which must come from the
  // same allocator.
  void reset(T* owned = nullptr) {
    T* old = ptr_;
    ptr_ = owned;
    if (old && old != owned && allocator_) allocator_->Free(old);
  }

 private:
  ComPtr<IMalloc> allocator_;
  T* ptr_;
};

// Owns a C runtime stream and closes it with fclose.
class FileStream {
 public:
  FileStream() = default;
  explicit FileStream(FILE* owned) : file_(owned) {}
  ~FileStream() { Close(); }
  FileStream(FileStream&& other) noexcept : file_(other.release()) {}
  FileStream& operator=(FileStream&& other) noexcept {
    reset(other.release());
    return *this;
  }
  FileStream(const FileStream&) = delete;
  FileStream& operator=(const FileStream&) = delete;

  explicit operator bool() const { return file_ != nullptr; }
  FILE* get() const { return file_; }
  FILE* release() {
    FILE* file = file_;
    file_ = nullptr;
    return file;
  }
  void reset(FILE* owned = nullptr) {
    if (owned != file_) Close();
    file_ = owned;
  }
  // Flushes and closes the stream and empties the owner. False when flushing
  // the buffered bytes or closing failed (the bytes may not be on disk); true
  // when the owner was already empty.
  bool Close() {
    FILE* file = release();
    if (!file) return true;
    // An explicit flush first: some C runtimes (Wine's msvcrt) let fclose
    // return success although flushing the buffered bytes failed.
    const bool flushed = fflush(file) == 0;
    const bool closed = fclose(file) == 0;
    return flushed && closed;
  }

 private:
  FILE* file_ = nullptr;
};
