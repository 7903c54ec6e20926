// UIToolBar in a layered host (cell skin and a test image strip), driven with
// mouse messages: item layout with insets, spacing, separators and hidden
// items; hot, pressed and disabled cells of the strip in the composed buffer;
// the click and its notifications; cursors; stay-hot items; tooltips
// registered with the bar's own tooltip window and the relay to it.
#include "ui/controls/ui_tool_bar.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/ui/controls/controls_test_support.h"
#include "ui/controls/widget_kinds.h"
#include "ui/framework/ch_bitmap.h"

namespace brindle::test {
namespace {

namespace color = cell_color;

constexpr int kButton = 8;

// Colour of the strip cell of image `image` in row `row` (0 normal, 1 hot,
// 2 pressed, 3 disabled), 0xAARRGGBB.
uint32_t StripColor(int image, int row) {
  return 0xFF000000u | static_cast<uint32_t>(0x40 + 0x40 * image) << 16 |
         static_cast<uint32_t>(0x30 + 0x30 * row) << 8 | 0x10u;
}

// Counts the TTM_RELAYEVENT messages a tooltip window receives.
int g_relayed = 0;
WNDPROC g_tooltip_proc = nullptr;
LRESULT CALLBACK CountingTooltipProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == TTM_RELAYEVENT) ++g_relayed;
  return ::CallWindowProcW(g_tooltip_proc, window, message, wparam, lparam);
}

class UIToolBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterWidgetKinds();
    const std::string cfg = R"({"Bar":{"id":9,"size":[10,10,300,40],"bkgnd":)" + CellEntry(0) +
                            R"(,"seperator":)" + CellEntry(1) + "}}";
    ASSERT_TRUE(skin_.Parse(CellSkin(cfg)));
    ASSERT_TRUE(strip_.Create(2 * kButton, 4 * kButton, 32));
    for (int y = 0; y < strip_.height(); ++y) {
      auto* row =
          reinterpret_cast<uint32_t*>(strip_.bits() + strip_.stride() * (strip_.height() - 1 - y));
      for (int x = 0; x < strip_.width(); ++x) row[x] = StripColor(x / kButton, y / kButton);
    }
    ASSERT_TRUE(host_.Open(320, 160));
    bar_ = MakeControl<UIToolBar>(&skin_, "Bar", kElementToolBar, &host_);
    ASSERT_NE(bar_, nullptr);
    bar_->SetImageStrip(&strip_, kButton, kButton);
    bar_->SetSpacing(2);
    bar_->SetInsets(4, 1);
    EXPECT_EQ(bar_->AddButton(101, 0, L"First"), 0);
    EXPECT_EQ(bar_->AddSeparator(), 1);
    EXPECT_EQ(bar_->AddButton(102, 1, L"", true), 2);
    EXPECT_EQ(bar_->AddButton(103, 0), 3);
    EXPECT_EQ(bar_->AddButton(104, 1, L"Hidden"), 4);
    EXPECT_EQ(bar_->AddButton(0x10069, 1, L"Last"), 5);
    ASSERT_TRUE(bar_->SetItemEnabled(3, false));
    ASSERT_TRUE(bar_->SetItemVisible(4, false));
    EXPECT_FALSE(bar_->SetItemEnabled(6, false));
  }

  std::string ItemRect(int index) const { return RectText(bar_->items()[index].rect); }
  // The composed pixel in the middle of item `index`.
  uint32_t ItemPixel(int index) const {
    const RECT& r = bar_->items()[index].rect;
    return host_.Pixel((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  LRESULT ToolCount() const {
    return ::SendMessageW(bar_->item_tooltips(), TTM_GETTOOLCOUNT, 0, 0);
  }

  UIResource skin_;
  CHBitmap strip_;
  ControlHost host_;
  UIToolBar* bar_ = nullptr;
};

TEST_F(UIToolBarTest, ItemsAreLaidOutWithInsetsSpacingAndSeparatorWidth) {
  EXPECT_EQ(bar_->kind(), kElementToolBar);
  EXPECT_EQ(bar_->command_id(), 9);
  EXPECT_EQ(RectText(bar_->rect()), "10,10,310,50");
  EXPECT_FALSE(bar_->layout_dirty());  // The composition laid it out.
  // Top: 10 + (40 - 8) / 2 + 1 = 27; items from 14, each one spacing in.
  EXPECT_EQ(ItemRect(0), "16,27,24,35");
  EXPECT_EQ(ItemRect(1), "28,27,36,35");  // The separator picture is 8 wide.
  EXPECT_EQ(ItemRect(2), "40,27,48,35");
  EXPECT_EQ(ItemRect(3), "52,27,60,35");
  EXPECT_EQ(ItemRect(4), "0,0,0,0");  // Hidden: no room.
  EXPECT_EQ(ItemRect(5), "64,27,72,35");
}

TEST_F(UIToolBarTest, PaintsBackgroundSeparatorAndStripCells) {
  EXPECT_EQ(host_.Pixel(200, 12), color::kNormal);
  EXPECT_EQ(ItemPixel(1), color::kGrayed);
  EXPECT_EQ(ItemPixel(0), StripColor(0, 0));
  EXPECT_EQ(ItemPixel(2), StripColor(1, 0));
  EXPECT_EQ(ItemPixel(3), StripColor(0, 3));  // Disabled.
  EXPECT_EQ(ItemPixel(5), StripColor(1, 0));
}

TEST_F(UIToolBarTest, HoverPressAndReleaseClickTheHotItem) {
  host_.MoveTo(20, 31);
  EXPECT_EQ(bar_->hot_item(), 0);
  EXPECT_EQ(bar_->press_state(), UIToolBar::kPressHot);
  EXPECT_EQ(ItemPixel(0), StripColor(0, 1));
  EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));

  host_.Press(20, 31);
  EXPECT_EQ(bar_->press_state(), UIToolBar::kPressDown);
  EXPECT_EQ(ItemPixel(0), StripColor(0, 2));
  EXPECT_TRUE(host_.reports.empty());

  host_.Release(20, 31);
  EXPECT_EQ(bar_->press_state(), UIToolBar::kPressNone);
  EXPECT_EQ(bar_->hot_item(), 0);
  EXPECT_EQ(ItemPixel(0), StripColor(0, 0));
  ASSERT_EQ(host_.reports.size(), 2u);
  EXPECT_TRUE(host_.reports[0].from_child);
  EXPECT_EQ(host_.reports[0].child, bar_);
  EXPECT_EQ(host_.reports[0].wparam, 101u);
  EXPECT_EQ(host_.reports[0].lparam, reinterpret_cast<LPARAM>(bar_));
  EXPECT_FALSE(host_.reports[1].from_child);
  EXPECT_EQ(host_.reports[1].wparam, 101u);
  EXPECT_EQ(host_.reports[1].lparam, reinterpret_cast<LPARAM>(host_.hwnd()));

  // Ids are reported in 16 bits.
  host_.MoveTo(68, 31);
  host_.Press(68, 31);
  host_.Release(68, 31);
  ASSERT_EQ(host_.reports.size(), 4u);
  EXPECT_EQ(host_.reports[3].wparam, 0x69u);
}

TEST_F(UIToolBarTest, DisabledItemsAndSeparatorsAreNotClicked) {
  host_.MoveTo(200, 30);  // No item: the arrow.
  EXPECT_EQ(bar_->hot_item(), -1);
  EXPECT_EQ(bar_->press_state(), UIToolBar::kPressNone);
  EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_ARROW));

  host_.MoveTo(56, 31);  // Disabled: hot, cursor unchanged, drawn disabled.
  EXPECT_EQ(bar_->hot_item(), 3);
  EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_EQ(ItemPixel(3), StripColor(0, 3));
  host_.Press(56, 31);
  host_.Release(56, 31);
  EXPECT_TRUE(host_.reports.empty());
  EXPECT_EQ(bar_->press_state(), UIToolBar::kPressHot);

  host_.MoveTo(32, 31);  // The separator is no item.
  EXPECT_EQ(bar_->hot_item(), -1);
  host_.Press(32, 31);
  host_.Release(32, 31);
  EXPECT_TRUE(host_.reports.empty());
}

TEST_F(UIToolBarTest, LeavingKeepsOnlyAStayHotItemHot) {
  host_.MoveTo(44, 31);
  ASSERT_EQ(bar_->hot_item(), 2);
  host_.MoveTo(200, 120);  // Off the bar.
  EXPECT_EQ(bar_->hot_item(), 2);
  EXPECT_EQ(ItemPixel(2), StripColor(1, 1));

  host_.MoveTo(20, 31);
  ASSERT_EQ(bar_->hot_item(), 0);
  host_.MoveTo(200, 120);
  EXPECT_EQ(bar_->hot_item(), -1);
  EXPECT_EQ(bar_->press_state(), UIToolBar::kPressNone);
  EXPECT_EQ(ItemPixel(0), StripColor(0, 0));
}

TEST_F(UIToolBarTest, ADisabledBarIgnoresThePointer) {
  bar_->set_enabled(false);
  EXPECT_FALSE(bar_->OnMouseMove(0, {20, 31}));
  EXPECT_EQ(bar_->hot_item(), -1);
}

TEST_F(UIToolBarTest, VisibleItemsWithTextHaveTooltipsAtTheirRectangles) {
  ASSERT_NE(bar_->item_tooltips(), nullptr);
  EXPECT_EQ(ToolCount(), 2);  // "First" and "Last"; the hidden one has none.
  TOOLINFOW tool = {};
  tool.cbSize = TTTOOLINFOW_V1_SIZE;
  tool.hwnd = host_.hwnd();
  tool.uId = 1;
  wchar_t text[80] = {};
  tool.lpszText = text;
  ASSERT_TRUE(
      ::SendMessageW(bar_->item_tooltips(), TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)));
  EXPECT_EQ(RectText(tool.rect), "16,27,24,35");
  EXPECT_STREQ(text, L"First");

  bar_->SetItemVisible(0, false);
  bar_->LayoutItems();
  EXPECT_EQ(ToolCount(), 1);
  bar_->SetItemVisible(4, true);
  bar_->SetItemVisible(0, true);
  bar_->LayoutItems();
  EXPECT_EQ(ToolCount(), 3);
}

TEST_F(UIToolBarTest, TheHostRelaysMessagesToTheBarsTooltips) {
  const HWND tooltips = bar_->item_tooltips();
  ASSERT_NE(tooltips, nullptr);
  g_relayed = 0;
  g_tooltip_proc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
      tooltips, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingTooltipProc)));
  MSG msg = {};
  msg.hwnd = host_.hwnd();
  msg.message = WM_MOUSEMOVE;
  msg.lParam = MAKELPARAM(20, 31);
  EXPECT_FALSE(host_.PreTranslateMessage(&msg));
  EXPECT_EQ(g_relayed, 1);
  ::SetWindowLongPtrW(tooltips, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_tooltip_proc));
}

}  // namespace
}  // namespace brindle::test
