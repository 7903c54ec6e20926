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
#include <tuple>

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
  Put32(bytes, optional + 32, 0x1000);                             // SectionAlignment
  Put32(bytes, optional + 36, 0x200);                              // FileAlignment
  Put32(bytes, optional + 56, 0x2000);                             // SizeOfImage
  Put32(bytes, optional + 60, 0x200);                              // SizeOfHeaders
  Put32(bytes, optional + (shape.magic == 0x20B ? 108 : 92), 16);  // NumberOfRvaAndSizes
  const size_t section = optional + 224;
  bytes.replace(section, 5, ".text");
  Put32(bytes, section + 16, shape.section_raw_size);
  Put32(bytes, section + 20, shape.section_raw_offset);
  for (size_t i = 0x200; i < bytes.size(); ++i) bytes[i] = static_cast<char>(0x90 + i % 7);
  return bytes;
}

namespace {

std::string Utf16(const std::string& ascii) {
  std::string out;
  for (char c : ascii) out += std::string{c, '\0'};
  return out;
}

void PadTo4(std::string& bytes) { bytes.resize((bytes.size() + 3) & ~size_t{3}, '\0'); }

// One block of a version resource: wLength, wValueLength, wType, key, value, children.
std::string VersionBlock(const std::string& key, const std::string& value, uint16_t value_length,
                         bool text, const std::string& children) {
  std::string block(6, '\0');
  block += Utf16(key) + std::string(2, '\0');
  PadTo4(block);
  block += value;
  PadTo4(block);
  block += children;
  Put16(block, 0, static_cast<uint16_t>(block.size()));
  Put16(block, 2, value_length);
  Put16(block, 4, text ? 1 : 0);
  return block;
}

}  // namespace

std::string MakeVersionedProgram(const std::string& product_version,
                                 const std::array<uint16_t, 4>& fixed_version) {
  std::string fixed(52, '\0');
  Put32(fixed, 0, 0xFEEF04BD);
  Put32(fixed, 4, 0x10000);
  Put32(fixed, 16, uint32_t{fixed_version[0]} << 16 | fixed_version[1]);
  Put32(fixed, 20, uint32_t{fixed_version[2]} << 16 | fixed_version[3]);
  std::string strings;
  if (!product_version.empty()) {
    const std::string value = Utf16(product_version) + std::string(2, '\0');
    const std::string entries =
        VersionBlock("CompanyName", Utf16("Velto") + std::string(2, '\0'), 6, true, "") +
        VersionBlock("ProductVersion", value, static_cast<uint16_t>(product_version.size() + 1),
                     true, "");
    strings =
        VersionBlock("StringFileInfo", "", 0, true, VersionBlock("040904B0", "", 0, true, entries));
  }
  const std::string info = VersionBlock("VS_VERSION_INFO", fixed, 52, false, strings);

  return MakeProgramWithResource(16, u"", 1, info, StubShape());
}

std::string MakeProgramWithResource(uint32_t type, const std::u16string& name, uint32_t id,
                                    const std::string& data, StubShape shape) {
  // Resource directory: type -> name or id -> language 0x409 -> data entry (0x48), then the
  // name string, then the data.
  std::string resources(0x58, '\0');
  const uint32_t kSubdirectory = 0x80000000u;
  const uint32_t name_field = name.empty() ? id : kSubdirectory | 0x58;
  for (const auto& [directory, key, target] :
       {std::tuple<size_t, uint32_t, uint32_t>{0x00, type, kSubdirectory | 0x18},
        {0x18, name_field, kSubdirectory | 0x30},
        {0x30, 0x409, 0x48}}) {
    Put16(resources, directory + (key & kSubdirectory ? 12 : 14), 1);
    Put32(resources, directory + 16, key);
    Put32(resources, directory + 20, target);
  }
  if (!name.empty()) {
    resources += Utf16(std::string(name.begin(), name.end()));
    resources.insert(0x58, 2, '\0');
    Put16(resources, 0x58, static_cast<uint16_t>(name.size()));
    PadTo4(resources);
  }
  Put32(resources, 0x48, 0x1000 + static_cast<uint32_t>(resources.size()));
  Put32(resources, 0x4C, static_cast<uint32_t>(data.size()));
  resources += data;
  PadTo4(resources);

  shape.section_raw_size = static_cast<uint32_t>((resources.size() + 0x1FF) & ~size_t{0x1FF});
  shape.file_size = 0x200 + shape.section_raw_size;
  std::string bytes = MakeStub(shape);
  const size_t optional = shape.lfanew + 24;
  const size_t directories = optional + (shape.magic == 0x20B ? 112 : 96);
  Put32(bytes, directories + 16, 0x1000);  // resource directory entry: RVA, size
  Put32(bytes, directories + 20, static_cast<uint32_t>(resources.size()));
  const size_t section = optional + 224;
  Put32(bytes, section + 8, shape.section_raw_size);  // VirtualSize
  Put32(bytes, section + 12, 0x1000);                 // VirtualAddress
  bytes.replace(0x200, resources.size(), resources);
  return bytes;
}

std::string MakeSetupStub(const StubShape& shape) {
  return MakeProgramWithResource(10, u"BRINDLE_SETUP", 0, "Brindle setup program, package format 1",
                                 shape);
}

ToolResult RunProgramForTest(const std::string& program,
                             const std::vector<std::string>& arguments) {
  TempFolder capture;
  std::string command = Quote(program);
  for (const std::string& argument : arguments) command += " " + Quote(argument);
  command += " </dev/null >" + Quote(capture.Join("out")) + " 2>" + Quote(capture.Join("err"));
  ToolResult result;
  const int status = std::system(command.c_str());
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = ReadFile(capture.Join("out"));
  result.err = ReadFile(capture.Join("err"));
  return result;
}

ToolResult RunBrindlePack(const std::vector<std::string>& arguments) {
  return RunProgramForTest(BRINDLE_PACK_PATH, arguments);
}
