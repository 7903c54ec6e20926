#include "tools/text_checks.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TextChecksTest, Utf8Validity) {
  struct Case {
    std::string text;
    bool valid;
  };
  const Case cases[] = {
      {"", true},
      {"Velto.exe", true},
      {"使用说明.txt", true},
      {"\xF0\x9F\x98\x80", true},   // U+1F600, four bytes
      {"\xF4\x8F\xBF\xBF", true},   // U+10FFFF
      {"\xFF", false},              // never a UTF-8 byte
      {"\x80", false},              // stray continuation byte
      {"\xE4\xBD", false},          // truncated sequence
      {"\xC0\xAF", false},          // overlong "/"
      {"\xE0\x80\xAF", false},      // overlong "/", three bytes
      {"\xED\xA0\x80", false},      // surrogate U+D800
      {"\xF4\x90\x80\x80", false},  // beyond U+10FFFF
      {"caf\xE9", false},           // Latin-1
  };
  for (const Case& c : cases) EXPECT_EQ(IsValidUtf8(c.text), c.valid) << c.text;
}

TEST(TextChecksTest, WindowsNames) {
  const char* accepted[] = {"Velto.exe", "使用说明.txt", "a b",       ".hidden",
                            "CONSOLE",   "COM0",         "lpt10.txt", "con_.txt"};
  for (const char* name : accepted) EXPECT_EQ(WindowsNameProblem(name), "") << name;
  const char* refused[] = {"",          ".",          "..",   "a:b",      "a*b",
                           "what?",     "x\"y",       "<a>",  "a|b",      "a\\b",
                           "tab\there", "end.",       "end ", "CON",      "con.txt",
                           "Nul",       "aux.tar.gz", "COM1", "lpt9.log", "PRN  .txt"};
  for (const char* name : refused) EXPECT_NE(WindowsNameProblem(name), "") << name;
}

TEST(TextChecksTest, LicenceLineBreaksBecomeCrLf) {
  struct Case {
    std::string bytes;
    std::string text;
  };
  const Case cases[] = {
      {"", ""},
      {"one line", "one line"},
      {"a\nb\n", "a\r\nb\r\n"},
      {"a\r\nb\r\n", "a\r\nb\r\n"},
      {"a\rb", "a\r\nb"},
      {"a\n\nb", "a\r\n\r\nb"},
      {"a\r\r\nb", "a\r\n\r\nb"},
      {"\xEF\xBB\xBF许可\n", "许可\r\n"},  // byte order mark dropped
  };
  for (const Case& c : cases) {
    std::string text;
    std::string problem;
    ASSERT_TRUE(NormaliseLicenceText(c.bytes, text, problem)) << problem;
    EXPECT_EQ(text, c.text);
  }
}

TEST(TextChecksTest, LicenceThatIsNoUtf8TextIsRefused) {
  const std::string refused[] = {
      std::string("\xFF\xFEL\0i\0", 6),  // UTF-16 LE with byte order mark
      std::string("\xFE\xFF\0L\0i", 6),  // UTF-16 BE
      std::string("\0\0\xFE\xFF", 4),    // UTF-32 BE
      std::string("text\0more", 9),      // zero byte
      "Lizenz f\xFCr alle",              // Latin-1
  };
  for (const std::string& bytes : refused) {
    std::string text = "stale";
    std::string problem;
    EXPECT_FALSE(NormaliseLicenceText(bytes, text, problem));
    EXPECT_FALSE(problem.empty());
    EXPECT_TRUE(text.empty());
  }
}

}  // namespace

namespace {

TEST(TextChecksTest, NamesFoldAsWindowsComparesThem) {
  const std::pair<std::string, std::string> same[] = {
      {"Velto", "VELTO"}, {"café", "CAFÉ"}, {"αβγ", "ΑΒΓ"}, {"ёлка", "ЁЛКА"}, {"说明", "说明"}};
  for (const auto& [a, b] : same) EXPECT_EQ(FoldNameCase(a), FoldNameCase(b)) << a;
  EXPECT_NE(FoldNameCase("Velto"), FoldNameCase("Velt0"));
  EXPECT_NE(FoldNameCase("÷"), FoldNameCase("×")) << "U+00F7 is no letter";
  EXPECT_EQ(FoldNameCase("说明 a"), "说明 A") << "other characters stay as they are";
}

}  // namespace
