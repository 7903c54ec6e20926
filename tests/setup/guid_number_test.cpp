#include "setup/guid_number.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <set>

namespace {

TEST(GuidNumberTest, NumbersAreDistinctAndCarryTheGuidLayout) {
  std::set<uint64_t> seen;
  for (int i = 0; i < 1000; ++i) {
    const uint64_t number = NewGuidNumber();
    ASSERT_NE(number, 0u);
    EXPECT_TRUE(seen.insert(number).second);
    // CoCreateGuid makes version 4 GUIDs: the version is the top nibble of
    // Data3, which must land in bits 60-63.
    EXPECT_EQ(number >> 60, 4u);
  }
}

TEST(GuidNumberTest, PrintsAsSixteenUpperCaseHexDigits) {
  for (int i = 0; i < 200; ++i) {
    char text[32];
    std::snprintf(text, sizeof(text), "%016llX", static_cast<unsigned long long>(NewGuidNumber()));
    ASSERT_EQ(std::strlen(text), 16u) << text;
    for (const char* c = text; *c; ++c) {
      EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(*c)) || (*c >= 'A' && *c <= 'F'));
    }
  }
}

}  // namespace
