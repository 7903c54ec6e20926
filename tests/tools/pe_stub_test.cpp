#include "tools/pe_stub.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// The PE CheckSum as the loader defines it, over a whole file at once: 16-bit words summed with
// end-around carry (an odd last byte as a word of its own), the field counted as zero, plus the
// length.
uint32_t WholeFileChecksum(std::string file, size_t field) {
  file.replace(field, 4, std::string(4, '\0'));
  uint64_t sum = 0;
  for (size_t i = 0; i < file.size(); i += 2) {
    sum += static_cast<unsigned char>(file[i]);
    if (i + 1 < file.size()) sum += uint64_t{static_cast<unsigned char>(file[i + 1])} << 8;
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  return static_cast<uint32_t>(sum) + static_cast<uint32_t>(file.size());
}

TEST(PeStubTest, ChecksumOfAFileFedInAnyPieces) {
  std::string file;
  for (size_t i = 0; i < 5001; ++i) file.push_back(static_cast<char>((i * 131 + 7) % 251));
  file.replace(0, 4, std::string("\xFF\xFF\xFF\xFF", 4));  // carries
  const uint64_t field = ChecksumFieldOffset(0x80);
  ASSERT_EQ(field, 0x80u + 88);
  const uint32_t expected = WholeFileChecksum(file, field);
  for (size_t piece :
       {size_t{1}, size_t{2}, size_t{3}, size_t{7}, size_t{216}, size_t{4096}, file.size()}) {
    SCOPED_TRACE(piece);
    PeChecksum checksum(field);
    for (size_t at = 0; at < file.size(); at += piece) {
      checksum.Add(file.data() + at, std::min(piece, file.size() - at));
    }
    EXPECT_EQ(checksum.Value(), expected);
  }
  // The field's own bytes do not count.
  std::string changed = file;
  changed[field + 2] = 0x55;
  PeChecksum checksum(field);
  checksum.Add(changed.data(), changed.size());
  EXPECT_EQ(checksum.Value(), expected);
}

}  // namespace
