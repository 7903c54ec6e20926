#include "tools/pe_stub.h"

#include <gtest/gtest.h>

#include <string>

#include "setup/package_format.h"
#include "tests/tools/tool_test_support.h"

namespace {

TEST(PeStubTest, AcceptsStrippedX86AndX64Images) {
  StubShape x64;
  x64.machine = 0x8664;
  x64.magic = 0x20B;
  const struct {
    StubShape shape;
    const char* architecture;
  } cases[] = {{StubShape(), "x86"}, {x64, "x64"}};
  for (const auto& c : cases) {
    StubImage image;
    EXPECT_EQ(CheckStub(MakeStub(c.shape), image), "") << c.architecture;
    EXPECT_STREQ(image.architecture, c.architecture);
    EXPECT_EQ(image.lfanew, 128u);
    EXPECT_EQ(image.image_size, 0x400u);
  }
}

std::string WithPackage(std::string stub) {
  StoreU32(static_cast<uint32_t>(stub.size()), reinterpret_cast<unsigned char*>(&stub[124]));
  const std::string config = "{\"mode\":1}\n";
  AppendU32(static_cast<uint32_t>(config.size()), stub);
  stub += config;
  AppendU32(0, stub);
  return stub;
}

TEST(PeStubTest, RefusesWhatCannotCarryAPackage) {
  struct Case {
    const char* name;
    std::string bytes;
    const char* problem;  // a part of the expected message
  };
  StubShape pe32_plus;  // x86 machine with the x64 optional header
  pe32_plus.magic = 0x20B;
  StubShape amd64_pe32;  // x64 machine with the x86 optional header
  amd64_pe32.machine = 0x8664;
  StubShape arm64;
  arm64.machine = 0xAA64;
  arm64.magic = 0x20B;
  StubShape tight;  // PE signature right behind the DOS header
  tight.lfanew = 64;
  StubShape truncated;
  truncated.section_raw_size = 0x400;
  std::string marked = MakeStub();
  marked[125] = 1;
  std::string symbols = MakeStub() + std::string(100, 'S');
  std::string no_signature = MakeStub();
  no_signature[129] = 'X';
  const Case cases[] = {
      {"text file", std::string(200, 'x'), "no MZ header"},
      {"empty file", "", "no MZ header"},
      {"no PE signature", no_signature, "no PE signature at e_lfanew 128"},
      {"e_lfanew past the end", MakeStub().substr(0, 130), "no PE signature"},
      {"ARM64 machine", MakeStub(arm64), "not an x86 or x64 executable (machine 0xAA64)"},
      {"x86 machine, PE32+ header", MakeStub(pe32_plus), "not a valid x86 image"},
      {"x64 machine, PE32 header", MakeStub(amd64_pe32), "not a valid x64 image"},
      {"no room before the signature", MakeStub(tight), "no room for the package offset"},
      {"bytes before the signature", marked, "non-zero bytes at offset 124"},
      {"already packed", WithPackage(MakeStub()), "already carries a package"},
      {"symbol table after the sections", symbols, "100 bytes after its last section"},
      {"truncated section", MakeStub(truncated), "is truncated"},
  };
  for (const Case& c : cases) {
    StubImage image;
    const std::string problem = CheckStub(c.bytes, image);
    EXPECT_NE(problem.find(c.problem), std::string::npos) << c.name << ": " << problem;
    EXPECT_EQ(image.image_size, 0u) << c.name;
  }
}

}  // namespace
