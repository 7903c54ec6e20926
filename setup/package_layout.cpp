#include "setup/package_layout.h"

#include <algorithm>

#include "json/json_value.h"
#include "setup/record_file.h"
#include "setup/uninstaller_image.h"

namespace {

// Largest single ReadFile/WriteFile request.
constexpr size_t kMaxIoSize = 1 << 20;

}  // namespace

PackageFile::PackageFile(const std::wstring& path)
    : path_(path),
      file_(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr)) {}

PackageFile::PackageFile(const PackageFile& other)
    : path_(other.path_), file_(DuplicateFileHandle(other.handle())) {}

PackageFile& PackageFile::operator=(const PackageFile& other) {
  if (this != &other) {
    path_ = other.path_;
    file_ = DuplicateFileHandle(other.handle());
  }
  return *this;
}

UniqueHandle DuplicateFileHandle(HANDLE file) {
  UniqueHandle copy;
  if (file && file != INVALID_HANDLE_VALUE) {
    const HANDLE process = GetCurrentProcess();
    DuplicateHandle(process, file, process, copy.put(), 0, FALSE, DUPLICATE_SAME_ACCESS);
  }
  return copy;
}

FileByteSource::FileByteSource(const PackageFile& package)
    : file_(DuplicateFileHandle(package.handle())) {
  LARGE_INTEGER size;
  if (!file_ || !GetFileSizeEx(file_.get(), &size)) {
    file_.reset();
    return;
  }
  size_ = static_cast<uint64_t>(size.QuadPart);
}

bool FileByteSource::ReadAt(uint64_t offset, void* buffer, size_t size) {
  if (!file_ || offset > size_ || size > size_ - offset) return false;
  auto* out = static_cast<unsigned char*>(buffer);
  while (size > 0) {
    // A synchronous handle reads at the OVERLAPPED offset and waits for the data.
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    const DWORD request = static_cast<DWORD>(std::min(size, kMaxIoSize));
    DWORD done = 0;
    if (!ReadFile(file_.get(), out, request, &done, &at) || done == 0) return false;
    out += done;
    offset += done;
    size -= done;
  }
  return true;
}

FileByteSink::FileByteSink(const std::wstring& path)
    : file_(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr)) {
  if (!file_) error_ = GetLastError();
}

bool FileByteSink::Write(const void* data, size_t size) {
  if (!file_) return false;
  auto* in = static_cast<const unsigned char*>(data);
  while (size > 0) {
    const DWORD request = static_cast<DWORD>(std::min(size, kMaxIoSize));
    DWORD done = 0;
    if (!WriteFile(file_.get(), in, request, &done, nullptr)) {
      if (error_ == ERROR_SUCCESS) error_ = GetLastError();
      return false;
    }
    if (done == 0) {
      if (error_ == ERROR_SUCCESS) error_ = ERROR_WRITE_FAULT;
      return false;
    }
    in += done;
    size -= done;
  }
  return true;
}

bool FileByteSink::Close() {
  HANDLE file = file_.release();
  if (!file || file == INVALID_HANDLE_VALUE) return false;
  if (CloseHandle(file)) return true;
  if (error_ == ERROR_SUCCESS) error_ = GetLastError();
  return false;
}

bool LocatePackage(const PackageFile& package, PackageLocation& location) {
  FileByteSource file(package);
  return file.IsOpen() && LocatePackage(file, location) == PackageError::kNone;
}

bool LoadPackageConfig(const PackageFile& package, JsonValue& config,
                       PackageLocation* location) {
  FileByteSource file(package);
  PackageLocation found;
  if (!file.IsOpen() || LoadPackageConfig(file, config, found) != PackageError::kNone) {
    return false;
  }
  // A signed uninstaller keeps its record in the file beside it.
  if (NamesRecordBeside(config) &&
      ReadRecordFile(RecordPathBeside(package.path()), config) != RecordFileState::kRead) {
    return false;
  }
  if (location) *location = found;
  return true;
}

bool LocatePayloadArchive(const PackageFile& package, uint32_t package_offset,
                          uint32_t config_length, ArchiveRange& range) {
  FileByteSource file(package);
  return file.IsOpen() &&
         LocatePayloadArchive(file, package_offset, config_length, range) == PackageError::kNone;
}

bool LoadPayloadArchive(const PackageFile& package, uint32_t package_offset,
                        uint32_t config_length, std::string& archive) {
  archive.clear();
  FileByteSource file(package);
  ArchiveRange range;
  if (!file.IsOpen() ||
      LocatePayloadArchive(file, package_offset, config_length, range) != PackageError::kNone) {
    return false;
  }
  archive.resize(range.length);
  if (!file.ReadAt(range.offset, archive.data(), archive.size())) {
    archive.clear();
    return false;
  }
  return true;
}

bool BuildUninstallerCopy(const PackageFile& setup, uint32_t package_offset,
                          const JsonValue& config, std::string& copy) {
  copy.clear();
  FileByteSource file(setup);
  StringByteSink sink(copy);
  if (!file.IsOpen() || !WriteUninstallerCopy(file, package_offset, config, sink)) {
    copy.clear();
    return false;
  }
  return true;
}

bool WriteUninstallerCopyFile(const PackageFile& setup, uint32_t package_offset,
                              const JsonValue& config, const std::wstring& copy_path,
                              DWORD* write_error) {
  if (write_error) *write_error = ERROR_SUCCESS;
  FileByteSource file(setup);
  if (!file.IsOpen()) return false;
  FileByteSink sink(copy_path);
  if (!sink.IsOpen()) {
    if (write_error) *write_error = sink.error();
    return false;
  }
  const bool written = WriteUninstallerCopy(file, package_offset, config, sink);
  const bool closed = sink.Close();
  if (write_error) *write_error = sink.error();
  if (written && closed) return true;
  DeleteFileW(copy_path.c_str());
  return false;
}
