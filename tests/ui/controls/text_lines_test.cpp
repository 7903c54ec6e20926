// WrapTextLines and TextLineHeight on a memory DC with the system's icon-title
// font: every LF ends a line and blank lines stay, long paragraphs break at
// spaces or between CJK characters inside the width, a word wider than the
// width breaks inside it, a surrogate pair is never split, and a long licence
// gives exactly its number of lines.
#include "ui/controls/text_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "setup/text_width.h"
#include "ui/framework/gdi_handles.h"
#include "ui/framework/ui_object.h"

namespace brindle::test {
namespace {

class TextLinesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dc_);
    select_ = std::make_unique<gdi::ScopedSelectObject>(dc_.get(), ElementDefaultFont());
  }

  // The lines of `text` at `width`, each as its text.
  std::vector<std::wstring> Wrap(const std::wstring& text, int width) const {
    std::vector<std::wstring> result;
    for (const TextLine& line : WrapTextLines(dc_.get(), text, width)) {
      result.push_back(
          text.substr(static_cast<size_t>(line.start), static_cast<size_t>(line.length)));
    }
    return result;
  }
  int Width(const std::wstring& text) const { return TextWidth(dc_.get(), text); }

  gdi::MemoryDC dc_{::CreateCompatibleDC(nullptr)};
  std::unique_ptr<gdi::ScopedSelectObject> select_;
};

TEST_F(TextLinesTest, EveryLineFeedEndsALineAndBlankLinesStay) {
  using Lines = std::vector<std::wstring>;
  const struct {
    const wchar_t* text;
    Lines lines;
  } cases[] = {
      {L"", {L""}},
      {L"one", {L"one"}},
      {L"a\nb", {L"a", L"b"}},
      {L"a\n\nb", {L"a", L"", L"b"}},
      {L"a\n\n\n\nb", {L"a", L"", L"", L"", L"b"}},
      {L"\n", {L"", L""}},
      {L"\nfirst blank", {L"", L"first blank"}},
      {L"last blank\n", {L"last blank", L""}},
      {L"\x8BB8\x53EF\n\n\x534F\x8BAE", {L"\x8BB8\x53EF", L"", L"\x534F\x8BAE"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Wrap(c.text, 500), c.lines) << ::testing::PrintToString(std::wstring(c.text));
  }
}

TEST_F(TextLinesTest, LongParagraphsBreakAtTheLastSpaceThatFits) {
  std::wstring paragraph;
  for (int i = 0; i < 60; ++i) paragraph += L"word" + std::to_wstring(i) + L" ";
  const int width = 200;
  const std::vector<std::wstring> lines = Wrap(paragraph, width);
  ASSERT_GT(lines.size(), 3u);
  std::wstring joined;
  for (size_t i = 0; i < lines.size(); ++i) {
    joined += lines[i];
    EXPECT_LE(Width(lines[i]), width) << i;
    if (i + 1 == lines.size()) continue;
    // Ends after a space, and the next word would not have fitted.
    EXPECT_EQ(lines[i].back(), L' ') << i;
    const std::wstring next_word = lines[i + 1].substr(0, lines[i + 1].find(L' '));
    EXPECT_GT(Width(lines[i] + next_word), width) << i;
  }
  EXPECT_EQ(joined, paragraph);
}

TEST_F(TextLinesTest, CjkBreaksBetweenCharactersAndLongWordsInsideThem) {
  const std::wstring chinese(80, L'\x5B57');
  const std::vector<std::wstring> lines = Wrap(chinese, 150);
  ASSERT_GT(lines.size(), 1u);
  for (const auto& line : lines) EXPECT_LE(Width(line), 150);
  EXPECT_GT(Width(lines[0] + L'\x5B57'), 150);

  const std::wstring word(200, L'm');
  const std::vector<std::wstring> pieces = Wrap(word, 100);
  ASSERT_GT(pieces.size(), 1u);
  for (const auto& piece : pieces) {
    EXPECT_FALSE(piece.empty());
    EXPECT_LE(Width(piece), 100);
  }
  // Even a width too small for one character makes progress.
  EXPECT_EQ(Wrap(L"abc", 0).size(), 3u);
}

TEST_F(TextLinesTest, ASurrogatePairIsNeverSplit) {
  std::wstring text;
  for (int i = 0; i < 40; ++i) text += L"\xD83D\xDE00";
  for (const int width : {1, 10, 30, 77}) {
    for (const auto& line : Wrap(text, width)) {
      ASSERT_FALSE(line.empty());
      EXPECT_TRUE(IS_HIGH_SURROGATE(line.front())) << width;
      EXPECT_TRUE(IS_LOW_SURROGATE(line.back())) << width;
    }
  }
}

TEST_F(TextLinesTest, ALongLicenceGivesItsNumberOfLines) {
  // 20,000 short lines with a blank line after every tenth: about 700 KB.
  std::wstring licence;
  size_t expected = 0;
  for (int i = 0; i < 20000; ++i) {
    licence += L"Clause " + std::to_wstring(i) + L" of the licence applies.\n";
    ++expected;
    if (i % 10 == 9) {
      licence += L"\n";
      ++expected;
    }
  }
  ++expected;  // The empty line after the last LF.
  EXPECT_EQ(WrapTextLines(dc_.get(), licence, 536).size(), expected);
}

TEST_F(TextLinesTest, LineHeightIsTheFontHeight) {
  TEXTMETRICW metrics = {};
  ASSERT_TRUE(::GetTextMetricsW(dc_.get(), &metrics));
  EXPECT_EQ(TextLineHeight(dc_.get()), metrics.tmHeight + metrics.tmExternalLeading);
  EXPECT_GT(TextLineHeight(dc_.get()), 0);
  EXPECT_EQ(TextLineHeight(nullptr), 0);
}

}  // namespace
}  // namespace brindle::test
