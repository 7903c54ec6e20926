#include "setup/number_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

struct Case {
  const wchar_t* format;
  long value;
  const wchar_t* text;
};

TEST(NumberTextTest, FormatsAsPrintfDoesForLongAndPercent) {
  const Case cases[] = {
      {L"正在复制文件: %ld%%", 57, L"正在复制文件: 57%"},
      {L"正在删除快捷方式: %ld%%", 90, L"正在删除快捷方式: 90%"},
      {L"%ld", 0, L"0"},
      {L"%ld", 100, L"100"},
      {L"%ld", -7, L"-7"},
      {L"%ld", 2147483647L, L"2147483647"},
      {L"%ld..%ld", 3, L"3..3"},
      {L"%%ld", 5, L"%ld"},
      {L"%%%ld", 5, L"%5"},
      {L"100%%", 1, L"100%"},
      {L"", 1, L""},
      {L"no number", 1, L"no number"},
      // Anything but "%ld" and "%%" after a percent sign is not a directive: copied as it is.
      {L"%d", 1, L"%d"},
      {L"%l", 1, L"%l"},
      {L"%s%ld", 2, L"%s2"},
      {L"end %", 1, L"end %"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatLong(c.format, c.value), c.text) << c.format << " " << c.value;
  }
}

TEST(NumberTextTest, SmallestLong) {
  EXPECT_EQ(FormatLong(L"%ld", LONG_MIN), std::to_wstring(LONG_MIN));
}

TEST(NumberTextTest, NullFormatGivesEmptyText) { EXPECT_EQ(FormatLong(nullptr, 1), L""); }

}  // namespace
