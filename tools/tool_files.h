// Files of the packing tool, named by UTF-8 paths: positioned reads through a ByteSource, and
// whole small files.
#ifndef BRINDLE_TOOLS_TOOL_FILES_H_
#define BRINDLE_TOOLS_TOOL_FILES_H_

#include <cstdio>
#include <string>

#include "setup/package_format.h"

// A ByteSource over a regular file opened for reading; its size is taken when it is opened.
class StreamByteSource final : public ByteSource {
 public:
  explicit StreamByteSource(const std::string& path);
  ~StreamByteSource() override;
  StreamByteSource(const StreamByteSource&) = delete;
  StreamByteSource& operator=(const StreamByteSource&) = delete;

  // False when the file cannot be opened, is a folder or its size cannot be read; `problem` then
  // says why.
  bool IsOpen() const { return file_ != nullptr; }
  const std::string& problem() const { return problem_; }
  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t offset, void* buffer, size_t size) override;

 private:
  FILE* file_ = nullptr;
  uint64_t size_ = 0;
  std::string problem_;
};

// Reads the whole file at `path` into `bytes`. False with `problem` set (for example "is a
// folder, not a file") when it cannot.
bool ReadFileBytes(const std::string& path, std::string& bytes, std::string& problem);

#endif  // BRINDLE_TOOLS_TOOL_FILES_H_
