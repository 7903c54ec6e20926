#include "setup/resource_bytes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The bytes of resource "TESTDATA" 7 in resource_bytes_test.rc (16-bit words,
// little-endian).
const std::string kExpected("Brindle\0\x01\xff", 10);

TEST(ResourceBytesTest, LoadsCustomResourceOfThisProgram) {
  std::string bytes = "stale";
  EXPECT_TRUE(LoadResourceBytes(nullptr, L"TESTDATA", 7, bytes));
  EXPECT_EQ(bytes, kExpected);
  bytes.clear();
  EXPECT_TRUE(LoadResourceBytes(GetModuleHandleW(nullptr), L"TESTDATA", 7, bytes));
  EXPECT_EQ(bytes, kExpected);
}

TEST(ResourceBytesTest, MissingResourceGivesFalseAndEmptyBytes) {
  struct Case {
    const wchar_t* type;
    int id;
  };
  const Case cases[] = {{L"TESTDATA", 8}, {L"UIR", 7}, {L"UIR", 129}};
  for (const Case& c : cases) {
    std::string bytes = "stale";
    EXPECT_FALSE(LoadResourceBytes(nullptr, c.type, c.id, bytes)) << c.id;
    EXPECT_TRUE(bytes.empty());
  }
}

}  // namespace
