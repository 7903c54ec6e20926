#include "tests/tools/tool_test_support.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "setup/package_format.h"

namespace fs = std::filesystem;

TempFolder::TempFolder() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/brindle-tools-test-XXXXXX";
  if (mkdtemp(pattern.data())) path_ = pattern;
}

TempFolder::~TempFolder() {
  if (path_.empty()) return;
  std::error_code error;
  // Restore permissions that a test took away, so that everything can be removed.
  for (auto it = fs::recursive_directory_iterator(path_, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (!it->is_symlink()) chmod(it->path().c_str(), 0700);
  }
  fs::remove_all(path_, error);
}

std::vector<std::string> TempFolder::List(const std::string& relative) const {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry :
       fs::directory_iterator(relative.empty() ? path_ : Join(relative), error)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::error_code error;
  fs::create_directories(fs::path(path).parent_path(), error);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(file.good()) << "cannot write " << path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

bool FileExists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

namespace {

void Put16(std::string& bytes, size_t offset, uint16_t value) {
  bytes[offset] = static_cast<char>(value & 0xFF);
  bytes[offset + 1] = static_cast<char>(value >> 8);
}

void Put32(std::string& bytes, size_t offset, uint32_t value) {
  StoreU32(value, reinterpret_cast<unsigned char*>(&bytes[offset]));
}

std::string Quote(const std::string& argument) {
  std::string quoted = "'";
  for (char c : argument) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

std::string MakeStub(const StubShape& shape) {
  std::string bytes(shape.file_size, '\0');
  bytes[0] = 'M';
  bytes[1] = 'Z';
  Put32(bytes, kLfanewOffset, shape.lfanew);
  const size_t pe = shape.lfanew;
  bytes.replace(pe, 4, std::string("PE\0\0", 4));
  Put16(bytes, pe + 4, shape.machine);
  Put16(bytes, pe + 6, 1);       // NumberOfSections
  Put16(bytes, pe + 20, 224);    // SizeOfOptionalHeader
  Put16(bytes, pe + 22, 0x102);  // Characteristics: executable, 32-bit machine
  const size_t optional = pe + 24;
  Put16(bytes, optional, shape.magic);
  Put32(bytes, optional + 60, 0x200);  // SizeOfHeaders
  const size_t section = optional + 224;
  bytes.replace(section, 5, ".text");
  Put32(bytes, section + 16, shape.section_raw_size);
  Put32(bytes, section + 20, shape.section_raw_offset);
  for (size_t i = 0x200; i < bytes.size(); ++i) bytes[i] = static_cast<char>(0x90 + i % 7);
  return bytes;
}

ToolResult RunBrindlePack(const std::vector<std::string>& arguments) {
  TempFolder capture;
  std::string command = Quote(BRINDLE_PACK_PATH);
  for (const std::string& argument : arguments) command += " " + Quote(argument);
  command += " >" + Quote(capture.Join("out")) + " 2>" + Quote(capture.Join("err"));
  ToolResult result;
  const int status = std::system(command.c_str());
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = ReadFile(capture.Join("out"));
  result.err = ReadFile(capture.Join("err"));
  return result;
}
