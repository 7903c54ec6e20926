#include "tools/version_resource.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/tools/tool_test_support.h"

namespace {

std::string VersionOf(const std::string& program) {
  MemoryByteSource source(program);
  return ReadProductVersion(source);
}

TEST(VersionResourceTest, TakesTheStringProductVersionOrElseTheFixedOne) {
  struct Case {
    std::string string_version;
    std::string expected;
  };
  for (const Case& c :
       {Case{"1.2.0", "1.2.0"}, Case{"  3.0 beta ", "3.0 beta"}, Case{"", "4.5.6.7"}}) {
    SCOPED_TRACE(c.string_version);
    EXPECT_EQ(VersionOf(MakeVersionedProgram(c.string_version, {4, 5, 6, 7})), c.expected);
  }
}

TEST(VersionResourceTest, NothingWithoutAVersionResource) {
  EXPECT_EQ(VersionOf(MakeStub()), "");
  EXPECT_EQ(VersionOf("not a program"), "");
  std::string damaged = MakeVersionedProgram("1.2.0", {1, 2, 0, 0});
  damaged[0x200 + 0x10 + 4] = 9;  // the root directory names type 9 instead of 16
  EXPECT_EQ(VersionOf(damaged), "");
}

}  // namespace
