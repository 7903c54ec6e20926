#include "setup/dotted_version.h"

#include <gtest/gtest.h>

namespace {

TEST(DottedVersionTest, ComparesNumberByNumber) {
  const struct {
    const char* a;
    const char* b;
    int order;
  } cases[] = {
      {"1.2.0", "1.2.0", 0},
      {"1.2", "1.2.0", 0},
      {"2", "2.0.0.0", 0},
      {"1.10", "1.9", 1},
      {"1.9", "1.10", -1},
      {"2.0.1", "2.0", 1},
      {"01.002", "1.2", 0},
      {"10.0", "9.99", 1},
      {"1.2.3b", "1.2.3", 0},
      {"", "0", 0},
      {"", "0.1", -1},
      {"99999999999999999999", "1", 1},
      {"1.x.2", "1.0.2", 0},
      {"3.0", "3.0.0.1", -1},
      // Pre-release parts, as semantic versioning orders them.
      {"1.2.0-beta.1", "1.2.0", -1},
      {"1.2.0", "1.2.1", -1},
      {"1.2.0-beta.1", "1.2.1", -1},
      {"1.0.0-alpha", "1.0.0-alpha.1", -1},
      {"1.0.0-alpha.1", "1.0.0-alpha.beta", -1},
      {"1.0.0-alpha.beta", "1.0.0-beta", -1},
      {"1.0.0-beta", "1.0.0-beta.2", -1},
      {"1.0.0-beta.2", "1.0.0-beta.11", -1},
      {"1.0.0-beta.11", "1.0.0-rc.1", -1},
      {"1.0.0-rc.1", "1.0.0", -1},
      {"1.2-rc.1", "1.2.0-rc.1", 0},
      {"1.2.0+build.5", "1.2.0", 0},
      {"1.2.0-beta+x", "1.2.0-beta+y", 0},
      {"1.2.0-RC", "1.2.0-rc", -1},
      {"2.0-beta", "1.9", 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CompareDottedVersions(c.a, c.b), c.order) << c.a << " vs " << c.b;
    EXPECT_EQ(CompareDottedVersions(c.b, c.a), -c.order) << c.b << " vs " << c.a;
  }
}

TEST(DottedVersionTest, AcceptsOnlyVersionsItCanCompare) {
  const struct {
    const char* version;
    bool accepted;
  } cases[] = {
      {"1", true},
      {"1.2", true},
      {"1.2.0", true},
      {"1.2.3.4", true},
      {"1.2.0-beta.1", true},
      {"1.2.0-rc-1", true},
      {"1.2.0+build.7", true},
      {"1.2.0-beta+exp.sha.5114f85", true},
      {"", false},
      {"v1.2", false},
      {"v1.2 beta", false},
      {"1.2 beta", false},
      {"1..2", false},
      {"1.2.", false},
      {".1", false},
      {"1.2.3.4.5", false},
      {"1.2.0-", false},
      {"1.2.0-beta.", false},
      {"1.2.0-be ta", false},
      {"1.2.0+", false},
      {"1.2.0-beta..1", false},
      {"1.x", false},
      {"１.2", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsComparableVersion(c.version), c.accepted) << c.version;
  }
}

}  // namespace
