// Helpers for the tests of the host tools: a scratch folder, file I/O, crafted PE stubs and a
// runner for the brindle-pack program.
#ifndef BRINDLE_TESTS_TOOLS_TOOL_TEST_SUPPORT_H_
#define BRINDLE_TESTS_TOOLS_TOOL_TEST_SUPPORT_H_

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// A fresh folder under $TMPDIR (or /tmp), removed with its content on destruction.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + relative.
  std::string Join(const std::string& relative) const { return path_ + "/" + relative; }
  // Names of the entries directly in the folder `relative` ("" for the folder itself), sorted.
  std::vector<std::string> List(const std::string& relative = "") const;

 private:
  std::string path_;
};

// Writes `bytes` to `path`, creating missing parent folders. Fails the current test on error.
void WriteFile(const std::string& path, const std::string& bytes);
// The whole content of `path`; empty when it cannot be read.
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);

// The shape of a crafted PE stub.
struct StubShape {
  uint16_t machine = 0x14C;  // i386
  uint16_t magic = 0x10B;    // PE32
  uint32_t lfanew = 128;
  uint32_t section_raw_offset = 0x200;
  uint32_t section_raw_size = 0x200;
  uint32_t file_size = 0x400;  // bytes of the whole file
};

// A minimal PE image: DOS header, PE signature, COFF header, a 224-byte optional header whose
// SizeOfHeaders is 0x200 (alignments 0x1000 in memory and 0x200 in the file), one section; a byte
// pattern in the section's data.
std::string MakeStub(const StubShape& shape = StubShape());

// A PE image like MakeStub's whose section holds a version resource: VS_FIXEDFILEINFO with the
// product version `fixed_version` and, unless `product_version` is empty, a string table with
// "CompanyName" and "ProductVersion" = `product_version` (ASCII).
std::string MakeVersionedProgram(const std::string& product_version,
                                 const std::array<uint16_t, 4>& fixed_version);

// A PE image like MakeStub's (of `shape`, whose section sizes it sets) whose section holds one
// resource: type `type`, named `name` (ASCII) or, when it is empty, numbered `id`, language
// 0x409, with the bytes `data`. The directory is laid out by hand, not by the tool's writer.
std::string MakeProgramWithResource(uint32_t type, const std::u16string& name, uint32_t id,
                                    const std::string& data, StubShape shape = StubShape());

// A stub that brindle-pack accepts as the setup program: MakeProgramWithResource with the setup
// program's marker (RT_RCDATA "BRINDLE_SETUP").
std::string MakeSetupStub(const StubShape& shape = StubShape());

struct ToolResult {
  int exit_code = -1;
  std::string out;
  std::string err;
};

// Runs `program` (a path or a name in PATH) with `arguments` and no input, capturing stdout and
// stderr.
ToolResult RunProgramForTest(const std::string& program, const std::vector<std::string>& arguments);

// Runs the brindle-pack program with `arguments`, capturing stdout and stderr.
ToolResult RunBrindlePack(const std::vector<std::string>& arguments);

#endif  // BRINDLE_TESTS_TOOLS_TOOL_TEST_SUPPORT_H_
