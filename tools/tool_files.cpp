#include "tools/tool_files.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "tools/host_system.h"

namespace {

// Why `path` is no regular file, or empty when it is one.
std::string NotAFile(const std::string& path) {
  std::error_code error;
  const auto status = std::filesystem::status(std::filesystem::u8path(path), error);
  if (error) return error.message();
  if (std::filesystem::is_directory(status)) return "is a folder, not a file";
  return std::string();
}

}  // namespace

StreamByteSource::StreamByteSource(const std::string& path) {
  problem_ = NotAFile(path);
  if (!problem_.empty()) return;
  file_ = OpenFile(path, "rb");
  if (!file_) {
    problem_ = std::strerror(errno);
    return;
  }
  const int64_t size = SeekFile(file_, 0, SEEK_END) ? TellFile(file_) : -1;
  if (size < 0) {
    problem_ = "its size cannot be read";
    std::fclose(file_);
    file_ = nullptr;
    return;
  }
  size_ = static_cast<uint64_t>(size);
}

StreamByteSource::~StreamByteSource() {
  if (file_) std::fclose(file_);
}

bool StreamByteSource::ReadAt(uint64_t offset, void* buffer, size_t size) {
  if (!file_ || offset > size_ || size > size_ - offset) return false;
  return SeekFile(file_, static_cast<int64_t>(offset), SEEK_SET) &&
         std::fread(buffer, 1, size, file_) == size;
}

bool ReadFileBytes(const std::string& path, std::string& bytes, std::string& problem) {
  StreamByteSource file(path);
  if (!file.IsOpen()) {
    problem = file.problem();
    return false;
  }
  bytes.resize(static_cast<size_t>(file.Size()));
  if (!file.ReadAt(0, bytes.data(), bytes.size())) {
    problem = "cannot be read";
    return false;
  }
  return true;
}
