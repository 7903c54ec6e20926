#include "setup/dotted_version.h"

#include <gtest/gtest.h>

namespace {

TEST(DottedVersionTest, ComparesNumberByNumber) {
  const struct {
    const char* a;
    const char* b;
    int order;
  } cases[] = {
      {"1.2.0", "1.2.0", 0}, {"1.2", "1.2.0", 0},    {"2", "2.0.0.0", 0},
      {"1.10", "1.9", 1},    {"1.9", "1.10", -1},    {"2.0.1", "2.0", 1},
      {"01.002", "1.2", 0},  {"10.0", "9.99", 1},    {"1.2.3b", "1.2.3", 0},
      {"", "0", 0},          {"", "0.1", -1},        {"99999999999999999999", "1", 1},
      {"1.x.2", "1.0.2", 0}, {"3.0", "3.0.0.1", -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CompareDottedVersions(c.a, c.b), c.order) << c.a << " vs " << c.b;
    EXPECT_EQ(CompareDottedVersions(c.b, c.a), -c.order) << c.b << " vs " << c.a;
  }
}

}  // namespace
