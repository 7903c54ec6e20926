// UITabCtrl in a layered host (cell skin), driven with mouse messages: tab
// widths from label widths, horizontal and vertical layouts, hidden tabs,
// selection on press with its two notifications, the selected tab sending
// nothing, and the pictures of selected and normal tabs.
#include "ui/controls/ui_tab_ctrl.h"

#include <gtest/gtest.h>

#include <string>

#include "setup/text_width.h"
#include "tests/ui/controls/controls_test_support.h"
#include "ui/controls/widget_kinds.h"

namespace brindle::test {
namespace {

namespace color = cell_color;

TEST(UITabWidthTest, LabelWidthPlus35ButAtLeast80) {
  const struct {
    int label;
    int tab;
  } cases[] = {{0, 80}, {20, 80}, {44, 80}, {45, 80}, {46, 81}, {60, 95}, {200, 235}};
  for (const auto& c : cases) EXPECT_EQ(UITabCtrl::TabWidth(c.label), c.tab) << c.label;
}

class UITabCtrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterWidgetKinds();
    const std::string cfg = R"({"Tabs":{"id":5,"size":[1,1,1,1],"bkgnd":)" + CellEntry(0) +
                            R"(,"Item":{"normal":)" + CellEntry(2) + R"(,"pressed":)" +
                            CellEntry(3) +
                            R"(},"Text":{"normal":{"cr":16777215},"pressed":{"cr":0}}}})";
    ASSERT_TRUE(skin_.Parse(CellSkin(cfg)));
    ASSERT_TRUE(host_.Open(420, 200));
    tabs_ = MakeControl<UITabCtrl>(&skin_, "Tabs", kElementTabCtrl, &host_);
    ASSERT_NE(tabs_, nullptr);
    SetPosition(tabs_, 10, 20, 400, 30);
  }

  int Width(const wchar_t* label) { return TextWidth(tabs_->GetHostDC(), label); }
  std::string TabRect(int index) const { return RectText(tabs_->tabs()[index].rect); }
  void PressAt(int x, int y) {
    host_.MoveTo(x, y);
    host_.Press(x, y);
    host_.Release(x, y);
  }

  UIResource skin_;
  ControlHost host_;
  UITabCtrl* tabs_ = nullptr;
};

TEST_F(UITabCtrlTest, ReadsNoIdAndNoSize) {
  EXPECT_EQ(tabs_->kind(), kElementTabCtrl);
  EXPECT_EQ(tabs_->command_id(), 0);
  EXPECT_EQ(RectText(tabs_->rect()), "10,20,410,50");
  EXPECT_EQ(tabs_->selected(), -1);
  EXPECT_FALSE(tabs_->vertical());
  EXPECT_EQ(tabs_->tab_height(), UITabCtrl::kDefaultTabHeight);
}

TEST_F(UITabCtrlTest, TabsSitSideBySideFromTheLeftEdge) {
  const wchar_t* labels[] = {L"A", L"General settings and more", L"Files"};
  for (int i = 0; i < 3; ++i) EXPECT_EQ(tabs_->AddTab(static_cast<WORD>(100 + i), labels[i]), i);
  tabs_->LayoutTabs(tabs_->GetHostDC());
  const int first = UITabCtrl::TabWidth(Width(labels[0]));
  const int second = UITabCtrl::TabWidth(Width(labels[1]));
  ASSERT_EQ(first, 80);
  ASSERT_GT(second, 80);
  EXPECT_EQ(TabRect(0), "10,20,90,50");
  EXPECT_EQ(TabRect(1), "90,20," + std::to_string(90 + second) + ",50");
  EXPECT_EQ(tabs_->tabs()[2].rect.left, 90 + second);

  // A hidden tab takes no room.
  ASSERT_TRUE(tabs_->SetTabVisible(1, false));
  EXPECT_FALSE(tabs_->SetTabVisible(3, false));
  tabs_->LayoutTabs(tabs_->GetHostDC());
  EXPECT_EQ(TabRect(1), "0,0,0,0");
  EXPECT_EQ(tabs_->tabs()[2].rect.left, 90);
}

TEST_F(UITabCtrlTest, VerticalTabsStackFromTheTop) {
  SetPosition(tabs_, 10, 20, 120, 150);
  tabs_->set_vertical(true);
  tabs_->set_tab_height(40);
  tabs_->AddTab(1, L"One");
  tabs_->AddTab(2, L"Two");
  tabs_->AddTab(3, L"Three");
  tabs_->SetTabVisible(1, false);
  tabs_->LayoutTabs(tabs_->GetHostDC());
  EXPECT_EQ(TabRect(0), "10,20,130,60");
  EXPECT_EQ(TabRect(2), "10,60,130,100");
}

TEST_F(UITabCtrlTest, APressSelectsATabAndReportsItOnce) {
  tabs_->AddTab(100, L"A");
  tabs_->AddTab(0x1234, L"B");
  PressAt(120, 35);  // The second tab: 90 ... 170.
  EXPECT_EQ(tabs_->selected(), 1);
  ASSERT_EQ(host_.reports.size(), 2u);
  EXPECT_TRUE(host_.reports[0].from_child);
  EXPECT_EQ(host_.reports[0].child, tabs_);
  EXPECT_EQ(host_.reports[0].wparam, 0x1234u);
  EXPECT_EQ(host_.reports[0].lparam, reinterpret_cast<LPARAM>(tabs_));
  EXPECT_FALSE(host_.reports[1].from_child);
  EXPECT_EQ(host_.reports[1].wparam, 0x1234u);
  EXPECT_EQ(host_.reports[1].lparam, reinterpret_cast<LPARAM>(host_.hwnd()));

  // The selected tab again: nothing.
  PressAt(130, 40);
  EXPECT_EQ(host_.reports.size(), 2u);
  // Right of the last tab: nothing.
  PressAt(300, 40);
  EXPECT_EQ(tabs_->selected(), 1);
  EXPECT_EQ(host_.reports.size(), 2u);

  PressAt(20, 40);
  EXPECT_EQ(tabs_->selected(), 0);
  EXPECT_EQ(host_.reports.size(), 4u);
  EXPECT_EQ(host_.reports[3].wparam, 100u);
}

TEST_F(UITabCtrlTest, SelectionHappensOnThePress) {
  tabs_->AddTab(7, L"A");
  host_.MoveTo(20, 40);
  host_.Press(20, 40);
  EXPECT_EQ(tabs_->selected(), 0);
  EXPECT_EQ(host_.reports.size(), 2u);
  host_.Release(20, 40);
  EXPECT_EQ(host_.reports.size(), 2u);
}

TEST_F(UITabCtrlTest, ADisabledControlSelectsNothing) {
  tabs_->AddTab(7, L"A");
  tabs_->set_enabled(false);
  PressAt(20, 40);
  EXPECT_EQ(tabs_->selected(), -1);
  EXPECT_TRUE(host_.reports.empty());
  EXPECT_FALSE(tabs_->OnLButtonDown(0, {20, 40}));
}

TEST_F(UITabCtrlTest, PaintsTheSelectedTabPressedAndTheOthersNormal) {
  tabs_->AddTab(1, L"A");
  tabs_->AddTab(2, L"B");
  tabs_->SetSelected(1);
  EXPECT_EQ(host_.Pixel(12, 22), color::kLighted);  // Tab 0: "Item/normal".
  EXPECT_EQ(host_.Pixel(92, 22), color::kPressed);  // Tab 1: "Item/pressed".
  EXPECT_EQ(host_.Pixel(300, 22), color::kNormal);  // Background.
  EXPECT_EQ(host_.Pixel(9, 22) >> 24, 0u);          // Outside the control.
  // Labels: white on the normal tab, black on the selected one.
  auto channels_within = [](uint32_t pixel, uint32_t low, uint32_t high) {
    for (int shift = 0; shift < 24; shift += 8) {
      const uint32_t channel = (pixel >> shift) & 0xFF;
      if (channel < low || channel > high) return false;
    }
    return true;
  };
  bool white = false;
  bool black = false;
  for (int y = 20; y < 50; ++y) {
    for (int x = 10; x < 90; ++x) white = white || channels_within(host_.Pixel(x, y), 0xF0, 0xFF);
    for (int x = 90; x < 170; ++x) black = black || channels_within(host_.Pixel(x, y), 0, 0x20);
  }
  EXPECT_TRUE(white);
  EXPECT_TRUE(black);
}

}  // namespace
}  // namespace brindle::test
