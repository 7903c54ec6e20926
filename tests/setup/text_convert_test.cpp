#include "setup/text_convert.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

namespace {

struct Pair {
  const char* utf8;
  const wchar_t* utf16;
};

constexpr Pair kPairs[] = {
    {"plain ASCII", L"plain ASCII"},
    {u8"安装程序 Velto", L"安装程序 Velto"},
    {u8"C:\\Program Files\\维尔托\\说明.txt", L"C:\\Program Files\\维尔托\\说明.txt"},
    {"\xF0\x9F\x98\x80", L"\xD83D\xDE00"},  // U+1F600, a surrogate pair
    {u8"提示", L"提示"},
};

TEST(TextConvertTest, Utf8RoundTripsThroughUtf16) {
  ScratchPool pool;
  for (const Pair& p : kPairs) {
    EXPECT_STREQ(ToWide(pool, p.utf8, CP_UTF8), p.utf16);
    EXPECT_STREQ(ToNarrow(p.utf16, pool, CP_UTF8), p.utf8);
  }
  EXPECT_EQ(pool.Count(), 2 * std::size(kPairs));
}

TEST(TextConvertTest, ResultsStayValidUntilPoolIsReleased) {
  ScratchPool pool;
  const wchar_t* wide = ToWide(pool, u8"第一", CP_UTF8);
  const char* narrow = ToNarrow(L"第二", pool, CP_UTF8);
  for (int i = 0; i < 100; ++i) ToWide(pool, "filler text", CP_UTF8);
  EXPECT_STREQ(wide, L"第一");
  EXPECT_STREQ(narrow, u8"第二");
}

TEST(TextConvertTest, EmptyNullAndFailedConversionsGiveStaticEmptyString) {
  ScratchPool pool;
  const UINT kNoSuchCodePage = 54321;
  EXPECT_STREQ(ToWide(pool, nullptr, CP_UTF8), L"");
  EXPECT_STREQ(ToWide(pool, "", CP_UTF8), L"");
  EXPECT_STREQ(ToWide(pool, "text", kNoSuchCodePage), L"");
  EXPECT_STREQ(ToNarrow(nullptr, pool, CP_UTF8), "");
  EXPECT_STREQ(ToNarrow(L"", pool, CP_UTF8), "");
  EXPECT_STREQ(ToNarrow(L"text", pool, kNoSuchCodePage), "");
  EXPECT_EQ(pool.Count(), 0u);
}

TEST(TextConvertTest, AnsiCodePageCarriesAscii) {
  ScratchPool pool;
  EXPECT_STREQ(ToWide(pool, "setup.exe", CP_ACP), L"setup.exe");
  EXPECT_STREQ(ToNarrow(L"setup.exe", pool, CP_ACP), "setup.exe");
}

TEST(TextConvertTest, InvalidUtf8BecomesReplacementCharacter) {
  ScratchPool pool;
  EXPECT_STREQ(ToWide(pool,
                      "a\xFF"
                      "b",
                      CP_UTF8),
               L"a\xFFFD"
               L"b");
}

}  // namespace
