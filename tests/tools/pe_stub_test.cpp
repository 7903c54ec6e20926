#include "tools/pe_stub.h"

#include <gtest/gtest.h>

#include <string>

#include "setup/package_format.h"
#include "tests/tools/tool_test_support.h"

namespace {

TEST(PeStubTest, AcceptsAStrippedPe32) {
  const std::string stub = MakeStub();
  StubImage image;
  EXPECT_EQ(CheckStub(stub, image), "");
  EXPECT_EQ(image.lfanew, 128u);
  EXPECT_EQ(image.image_size, 0x400u);
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
  StubShape pe32_plus;
  pe32_plus.magic = 0x20B;
  StubShape amd64;
  amd64.machine = 0x8664;
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
      {"64-bit machine", MakeStub(amd64), "not a 32-bit x86 executable (machine 0x8664)"},
      {"PE32+ image", MakeStub(pe32_plus), "not a PE32 image"},
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
