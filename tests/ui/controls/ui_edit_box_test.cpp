// UIEditBox as the main window's licence box (shipped skin, layered host):
// skin reading, the multi-line layout with its scroll bar, scrolling by wheel
// and by scroll bar notifications with their different bottoms, the range
// that follows the text only at the next layout, and what scrolling changes in
// the composed buffer, line ends (CR LF and CR stored and drawn as LF), blank
// lines, a long licence's line count, and scrolling by keys.
// A cell skin covers the boxes without "Text" or "ScrollBar".
#include "ui/controls/ui_edit_box.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/ui/controls/controls_test_support.h"
#include "ui/controls/ui_scroll_bar.h"
#include "ui/controls/widget_kinds.h"

namespace brindle::test {
namespace {

// `count` short lines, one under the other.
std::wstring Lines(int count) {
  std::wstring text;
  for (int i = 1; i <= count; ++i) {
    if (i > 1) text += L"\n";
    text += L"Line " + std::to_wstring(i) + L" of the licence";
  }
  return text;
}

// Wheel delta words: towards the user (bit 0x8000) and away from the user.
constexpr WORD kWheelDown = static_cast<WORD>(-WHEEL_DELTA);
constexpr WORD kWheelUp = WHEEL_DELTA;

class LicenceBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterWidgetKinds();
    ASSERT_TRUE(LoadShippedSkin(skin_));
    ASSERT_TRUE(host_.Open(670, 500, 40, 40, L"brindle licence box test"));
    ASSERT_NE(host_.buffer_bits(), nullptr);
    box_ = MakeControl<UIEditBox>(&skin_, "MainWindow/EditBoxReadMe", kElementEditBox, &host_);
    ASSERT_NE(box_, nullptr);
    bar_ = box_->scroll_bar();
    // As the main window does: the mode, the text, then a layout.
    box_->set_multi_line(true);
    box_->Invalidate(nullptr, true);
  }

  void SetTextAndLayOut(const std::wstring& text) {
    box_->SetText(text.c_str());
    LayoutTree(box_);
  }
  // Hovers the box's text and turns the wheel once.
  void Wheel(WORD delta) {
    host_.MoveTo(100, 350);
    POINT screen = {100, 350};
    ::ClientToScreen(host_.hwnd(), &screen);
    ::SendMessageW(host_.hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, delta),
                   MAKELPARAM(screen.x, screen.y));
  }

  UIResource skin_;
  ControlHost host_;
  UIEditBox* box_ = nullptr;
  UIScrollBar* bar_ = nullptr;
};

TEST_F(LicenceBoxTest, ReadsTheShippedLicenceBox) {
  EXPECT_EQ(box_->kind(), kElementEditBox);
  EXPECT_EQ(RectText(box_->rect()), "55,305,615,475");
  EXPECT_EQ(RectText(box_->margin()), "12,12,12,12");
  EXPECT_EQ(box_->normal_style().color, 131586u);
  EXPECT_EQ(bar_->Width(), 17);
  EXPECT_EQ(bar_->min_thumb_length(), UIEditBox::kMinThumbLength);
  ASSERT_FALSE(box_->children().empty());
  EXPECT_EQ(box_->children().front().get(), bar_);
  EXPECT_TRUE(box_->text().empty());
}

TEST_F(LicenceBoxTest, LongTextPutsTheBarAtTheRightWithTheTextHeightAsRange) {
  SetTextAndLayOut(Lines(40));
  EXPECT_EQ(RectText(box_->text_rect()), "55,305,598,475");
  EXPECT_EQ(RectText(bar_->rect()), "598,305,615,475");
  EXPECT_EQ(bar_->page(), 146);
  EXPECT_EQ(bar_->min(), 0);
  // Forty lines are far taller than the page, and each line adds height.
  EXPECT_GT(bar_->max(), 146 * 3);
  const int forty = bar_->max();
  SetTextAndLayOut(Lines(41));
  EXPECT_GT(bar_->max(), forty);
  EXPECT_EQ(box_->scroll_offset(), 0);
  // The thumb: page / range of the track, at the top.
  EXPECT_EQ(bar_->thumb_rect().top, 305);
  EXPECT_EQ(bar_->thumb_rect().bottom - bar_->thumb_rect().top,
            std::max(::MulDiv(145, 170, bar_->max()), 30));
}

TEST_F(LicenceBoxTest, EachWheelMessageScrollsAnEighthOfThePage) {
  SetTextAndLayOut(Lines(40));
  Wheel(kWheelDown);
  EXPECT_EQ(box_->scroll_offset(), 18);
  EXPECT_EQ(bar_->position(), 18);
  Wheel(kWheelDown | 0x0F00);  // A bigger turn is still one step.
  EXPECT_EQ(box_->scroll_offset(), 36);
  Wheel(kWheelUp);
  EXPECT_EQ(box_->scroll_offset(), 18);
  for (int i = 0; i < 5; ++i) Wheel(kWheelUp);
  EXPECT_EQ(box_->scroll_offset(), 0);
  const int steps_to_bottom = (bar_->max() - 146 + 1) / 18 + 2;
  for (int i = 0; i < steps_to_bottom; ++i) Wheel(kWheelDown);
  EXPECT_EQ(box_->scroll_offset(), bar_->max() - 146 + 1);
  EXPECT_EQ(bar_->position(), box_->scroll_offset());
}

TEST_F(LicenceBoxTest, ShortTextIgnoresTheWheelAndFillsTheTrack) {
  SetTextAndLayOut(L"One line.");
  ASSERT_GT(bar_->max(), 0);
  ASSERT_LE(bar_->max(), 100);
  Wheel(kWheelDown);
  EXPECT_EQ(box_->scroll_offset(), 0);
  EXPECT_EQ(RectText(bar_->thumb_rect()), "598,305,615,475");
}

TEST_F(LicenceBoxTest, TextSlightlyShorterThanThePageNeverScrollsDown) {
  // Over 100 pixels but within the page: the wheel's bottom lies above 0.
  int lines = 1;
  do {
    SetTextAndLayOut(Lines(++lines));
  } while (bar_->max() <= 100);
  ASSERT_LT(bar_->max(), 146) << "lines of this font are too tall for the case";
  Wheel(kWheelDown);
  EXPECT_EQ(box_->scroll_offset(), 0);
  box_->OnChildNotify(bar_, WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(box_->scroll_offset(), 0);
}

TEST_F(LicenceBoxTest, PageClicksAndNotificationsStopAtTheirBottoms) {
  SetTextAndLayOut(Lines(40));
  const int max = bar_->max();
  // A click below the thumb, through the host: one page down.
  host_.MoveTo(606, 470);
  host_.Press(606, 470);
  host_.Release(606, 470);
  EXPECT_EQ(box_->scroll_offset(), 146);
  EXPECT_EQ(bar_->position(), 146);
  box_->OnChildNotify(bar_, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(box_->scroll_offset(), 147);
  box_->OnChildNotify(bar_, WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(box_->scroll_offset(), max - 146 - 1);
  box_->OnChildNotify(bar_, WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(box_->scroll_offset(), max - 146 - 1);
  box_->OnChildNotify(bar_, WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(box_->scroll_offset(), 0);
  box_->OnChildNotify(bar_, WM_VSCROLL, SB_LINEUP, 0);
  EXPECT_EQ(box_->scroll_offset(), 0);
  box_->OnChildNotify(bar_, WM_VSCROLL, SB_ENDSCROLL, 0);
  EXPECT_EQ(box_->scroll_offset(), 0);
}

TEST_F(LicenceBoxTest, OtherNotificationsGoNoFurther) {
  SetTextAndLayOut(Lines(40));
  EXPECT_EQ(box_->OnChildNotify(bar_, WM_COMMAND, 77, 0), 0);
  EXPECT_TRUE(host_.reports.empty());
}

TEST_F(LicenceBoxTest, TheRangeFollowsNewTextOnlyAtTheNextLayout) {
  SetTextAndLayOut(Lines(40));
  const int forty = bar_->max();
  box_->SetText(L"Short.");
  EXPECT_EQ(box_->text(), L"Short.");
  EXPECT_EQ(bar_->max(), forty);
  LayoutTree(box_);
  EXPECT_LT(bar_->max(), 100);
  box_->SetText(nullptr);
  EXPECT_TRUE(box_->text().empty());
}

TEST_F(LicenceBoxTest, ScrollingMovesOnlyTheTextAndClipsItAtTheMargin) {
  SetTextAndLayOut(Lines(40));
  // Rows of the box's left part: the top margin (305..316), the text area.
  auto row = [this](int y) {
    std::vector<uint32_t> pixels;
    for (int x = 60; x < 300; ++x) pixels.push_back(host_.Pixel(x, y));
    return pixels;
  };
  auto text_pixels = [this] {
    int count = 0;
    for (int y = 317; y < 463; ++y) {
      for (int x = 67; x < 300; ++x) count += host_.Pixel(x, y) != host_.Pixel(62, 400);
    }
    return count;
  };
  const std::vector<uint32_t> margin_before = row(308);
  const uint32_t corner_before = host_.Pixel(60, 310);
  const std::vector<uint32_t> first_text_row_before = row(320);
  ASSERT_GT(text_pixels(), 0);
  // Three steps: 54 pixels, so partial lines lie across the top margin.
  for (int i = 0; i < 3; ++i) Wheel(kWheelDown);
  ASSERT_EQ(box_->scroll_offset(), 54);
  EXPECT_EQ(row(308), margin_before);
  EXPECT_NE(row(320), first_text_row_before);
  EXPECT_GT(text_pixels(), 0);
  // The background stays: the top margin and the left margin.
  EXPECT_EQ(host_.Pixel(60, 310), corner_before);
  EXPECT_EQ(host_.Pixel(62, 400) >> 24, 0xFFu);
}

// Line ends: the box keeps every line end as one LF, so that CR LF (the
// usual line end of a licence file) and a lone CR break lines like LF. GDI+
// on Windows breaks lines at all three; Wine's GDI+ breaks only at LF and
// draws a CR as a box glyph.
TEST_F(LicenceBoxTest, SetTextStoresEveryLineEndAsOneLineFeed) {
  const struct {
    const wchar_t* given;
    const wchar_t* stored;
  } cases[] = {
      {L"a\r\nb", L"a\nb"},
      {L"a\rb", L"a\nb"},
      {L"a\nb", L"a\nb"},
      {L"a\r\r\nb", L"a\n\nb"},
      {L"a\n\rb", L"a\n\nb"},
      {L"\r\n\r\n", L"\n\n"},
      {L"\r", L"\n"},
      {L"end\r\n", L"end\n"},
      {L"no breaks", L"no breaks"},
      {L"", L""},
      {L"\x8BB8\r\n\x53EF", L"\x8BB8\n\x53EF"},
  };
  for (const auto& c : cases) {
    box_->SetText(c.given);
    EXPECT_EQ(box_->text(), c.stored)
        << "given: " << ::testing::PrintToString(std::wstring(c.given));
  }
}

TEST_F(LicenceBoxTest, CarriageReturnsLayOutAndDrawLikeLineFeeds) {
  auto text_area = [this] {
    std::vector<uint32_t> pixels;
    for (int y = 317; y < 463; ++y) {
      for (int x = 67; x < 586; ++x) pixels.push_back(host_.Pixel(x, y));
    }
    return pixels;
  };
  const std::wstring lf = Lines(40);
  SetTextAndLayOut(lf);
  const int lf_range = bar_->max();
  const std::vector<uint32_t> lf_pixels = text_area();
  for (const wchar_t* line_end : {L"\r\n", L"\r"}) {
    std::wstring other;
    for (const wchar_t c : lf) other += c == L'\n' ? std::wstring(line_end) : std::wstring(1, c);
    SetTextAndLayOut(other);
    EXPECT_EQ(bar_->max(), lf_range);
    EXPECT_TRUE(text_area() == lf_pixels) << "line end " << (line_end[1] ? "CR LF" : "CR");
  }
  // The check can fail: the same lines joined without breaks look different.
  std::wstring joined = lf;
  std::replace(joined.begin(), joined.end(), L'\n', L' ');
  SetTextAndLayOut(joined);
  EXPECT_NE(bar_->max(), lf_range);
  EXPECT_FALSE(text_area() == lf_pixels);
}

// Text pixels (anything but the background at the left margin) in the rows
// [top, bottom) of the box's text area.
int TextPixelsInRows(const ControlHost& host, int top, int bottom) {
  const uint32_t background = host.Pixel(62, 400);
  int count = 0;
  for (int y = top; y < bottom; ++y) {
    for (int x = 67; x < 586; ++x) count += host.Pixel(x, y) != background;
  }
  return count;
}

TEST_F(LicenceBoxTest, BlankLinesAreKept) {
  SetTextAndLayOut(L"First\n\n\nFourth\r\n\r\nSixth");
  const int height = box_->line_height();
  ASSERT_GT(height, 0);
  ASSERT_EQ(box_->lines().size(), 6u);
  EXPECT_EQ(bar_->max(), 6 * height);
  // Text area from y 317: lines 1, 4 and 6 drawn, 2, 3 and 5 blank.
  const int top = 317;
  const bool drawn[] = {true, false, false, true, false, true};
  for (int line = 0; line < 6; ++line) {
    const int pixels =
        TextPixelsInRows(host_, top + line * height + 2, top + (line + 1) * height - 2);
    EXPECT_EQ(pixels > 0, drawn[line]) << "line " << line + 1;
  }
}

TEST_F(LicenceBoxTest, ALongLicenceHasItsLineCountAsRange) {
  std::wstring licence;
  for (int i = 0; i < 5000; ++i) licence += L"Clause " + std::to_wstring(i) + L".\n\n";
  licence += L"The end.";
  SetTextAndLayOut(licence);
  EXPECT_EQ(box_->lines().size(), 10001u);
  EXPECT_EQ(bar_->max(), 10001 * box_->line_height());
}

TEST_F(LicenceBoxTest, KeysScrollByLinesAndPages) {
  SetTextAndLayOut(Lines(40));
  EXPECT_TRUE(box_->IsTabStop());
  SetFocusElement(&host_, box_);
  const int line = box_->line_height();
  const int page = bar_->page();
  const int bottom = bar_->max() - page;
  const struct {
    WORD key;
    int offset;
  } steps[] = {
      {VK_UP, 0},        {VK_DOWN, line},   {VK_DOWN, 2 * line}, {VK_UP, line},
      {VK_NEXT, page},   {VK_PRIOR, line},  {VK_PRIOR, 0},       {VK_END, bottom},
      {VK_NEXT, bottom}, {VK_DOWN, bottom}, {VK_HOME, 0},
  };
  for (const auto& step : steps) {
    ::SendMessageW(host_.hwnd(), WM_KEYDOWN, step.key, 0);
    EXPECT_EQ(box_->scroll_offset(), step.offset) << "key " << step.key;
    EXPECT_EQ(bar_->position(), step.offset);
  }
  // Keys the box does not take go on to the window (here: nowhere).
  EXPECT_FALSE(box_->OnKeyDown(VK_RETURN, 0));
}

TEST_F(LicenceBoxTest, EndShowsTheLastLine) {
  SetTextAndLayOut(Lines(200) + L"\n\nThe last line");
  SetFocusElement(&host_, box_);
  ::SendMessageW(host_.hwnd(), WM_KEYDOWN, VK_END, 0);
  const int height = box_->line_height();
  const int last = static_cast<int>(box_->lines().size()) - 1;
  const int last_top = 317 + last * height - box_->scroll_offset();
  ASSERT_GE(last_top, 317);
  ASSERT_LE(last_top + height, 317 + bar_->page());
  EXPECT_GT(TextPixelsInRows(host_, last_top, last_top + height), 0);
  // The blank line above it is blank.
  EXPECT_EQ(TextPixelsInRows(host_, last_top - height + 2, last_top - 2), 0);
}

TEST_F(LicenceBoxTest, ASingleLineBoxTakesNoKeysAndNoFocus) {
  box_->set_multi_line(false);
  EXPECT_FALSE(box_->IsTabStop());
  EXPECT_FALSE(box_->OnKeyDown(VK_DOWN, 0));
}

// Boxes of a cell skin: without "Text" and "ScrollBar", and with them.
class EditBoxCellSkinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterWidgetKinds();
    const std::string cfg = R"({"Plain":{"id":7,"size":[10,10,200,60],"bkgnd":)" + CellEntry(0) +
                            R"(},"Scrolled":{"size":[10,80,200,60],"bkgnd":)" + CellEntry(0) +
                            R"(,"ScrollBar":{"thumb":)" + CellEntry(11) + R"(,"trackbar":)" +
                            CellEntry(10) + "}}}";
    ASSERT_TRUE(skin_.Parse(CellSkin(cfg)));
    ASSERT_TRUE(host_.Open(240, 160));
  }

  UIResource skin_;
  ControlHost host_;
};

TEST_F(EditBoxCellSkinTest, WithoutTextOrBarTheTextUsesTheWholeBox) {
  auto* box = MakeControl<UIEditBox>(&skin_, "Plain", kElementEditBox, &host_);
  ASSERT_NE(box, nullptr);
  box->set_multi_line(true);
  box->SetText(Lines(20).c_str());
  LayoutTree(box);
  EXPECT_EQ(box->command_id(), 7);
  EXPECT_EQ(RectText(box->margin()), "0,0,0,0");
  EXPECT_EQ(box->scroll_bar()->Width(), 0);
  EXPECT_EQ(RectText(box->text_rect()), "10,10,210,70");
  EXPECT_EQ(host_.CentrePixel(box), cell_color::kNormal);
  UIEditBox missing;
  EXPECT_FALSE(missing.LoadSkin(&skin_, "Nothing", nullptr));
}

TEST_F(EditBoxCellSkinTest, SingleLineBoxesLeaveTheBarOut) {
  auto* box = MakeControl<UIEditBox>(&skin_, "Scrolled", kElementEditBox, &host_);
  ASSERT_NE(box, nullptr);
  box->SetText(Lines(20).c_str());
  LayoutTree(box);
  EXPECT_EQ(RectText(box->text_rect()), "10,80,210,140");
  EXPECT_TRUE(::IsRectEmpty(&box->scroll_bar()->rect()));
  EXPECT_FALSE(box->OnMouseWheel(0, kWheelDown, {}));
}

TEST_F(EditBoxCellSkinTest, MultiLineBoxPaintsItsBarOverTheBackground) {
  auto* box = MakeControl<UIEditBox>(&skin_, "Scrolled", kElementEditBox, &host_);
  ASSERT_NE(box, nullptr);
  box->set_multi_line(true);
  box->SetText(Lines(20).c_str());
  LayoutTree(box);
  EXPECT_EQ(RectText(box->scroll_bar()->rect()), "202,80,210,140");
  EXPECT_EQ(host_.Pixel(206, 81), cell_color::kFill);     // Thumb at the top.
  EXPECT_EQ(host_.Pixel(206, 138), cell_color::kTrack);   // Track below it.
  EXPECT_EQ(host_.Pixel(150, 138), cell_color::kNormal);  // Background.
}

}  // namespace
}  // namespace brindle::test
