#include "setup/split_string.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Case {
  std::string text;
  std::string separator;
  std::vector<std::string> pieces;
};

TEST(SplitStringTest, SplitsAsDocumented) {
  const Case cases[] = {
      {"a//b/", "/", {"a", "", "b"}},
      {"abc", "/", {"abc"}},
      {"", "/", {}},
      {"/", "/", {""}},
      {"//", "/", {"", ""}},
      {"/a", "/", {"", "a"}},
      {"a/b", "/", {"a", "b"}},
      {"a::b::", "::", {"a", "b"}},
      {"a:::b", "::", {"a", ":b"}},
      {"a|b", "a|b", {""}},
      {"ab", "abc", {"ab"}},
      {"a\r\nb\r\n\r\nc", "\r\n", {"a", "b", "", "c"}},
      {std::string("a\0b", 3), std::string("\0", 1), {"a", "b"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("text \"" + c.text + "\" separator \"" + c.separator + "\"");
    EXPECT_EQ(SplitString(c.text, c.separator), c.pieces);
  }
}

TEST(SplitStringTest, EmptySeparatorNeverMatches) {
  EXPECT_EQ(SplitString("abc", ""), std::vector<std::string>{"abc"});
  EXPECT_TRUE(SplitString("", "").empty());
}

}  // namespace
