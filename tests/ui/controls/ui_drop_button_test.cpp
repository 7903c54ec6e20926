// UIDropButton in a layered host (cell skin), driven with mouse messages: the
// button's state pictures, the forced caption alignment, the caption that does
// not shift when pressed, and the drop action run synchronously by the host's
// command handler while the button keeps its pressed look, after which the
// look follows where the pointer ended.
#include "ui/controls/ui_drop_button.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <utility>

#include "tests/ui/controls/controls_test_support.h"
#include "ui/controls/widget_kinds.h"

namespace brindle::test {
namespace {

namespace color = cell_color;

// A host whose command handler runs `on_command` (the drop-down "menu").
class DropHost : public ControlHost {
 public:
  LRESULT HandleCommand(WPARAM wparam, LPARAM lparam) override {
    const LRESULT result = ControlHost::HandleCommand(wparam, lparam);
    if (on_command) on_command();
    return result;
  }
  std::function<void()> on_command;
};

class UIDropButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterWidgetKinds();
    const std::string cfg = R"({"Drop":{"id":4242,"size":[20,20,120,30],)" + StateCells(0) +
                            R"(,"Text":{"margin":[4,0,4,0],"normal":{"al":37,"cr":16777215},)" +
                            R"("pressed":{"al":1,"cr":16777215}}},)" +
                            R"("Same":{"id":1,"size":[20,60,120,30],"normal":)" + CellEntry(0) +
                            R"(,"pressed":)" + CellEntry(0) +
                            R"(,"Text":{"normal":{"cr":16777215},"pressed":{"cr":16777215}}}})";
    ASSERT_TRUE(skin_.Parse(CellSkin(cfg)));
    ASSERT_TRUE(host_.Open(200, 120, 60, 60, L"brindle drop button test"));
    button_ = MakeControl<UIDropButton>(&skin_, "Drop", kElementDropButton, &host_);
    ASSERT_NE(button_, nullptr);
  }

  // Screen point of client point (x, y).
  POINT Screen(int x, int y) const {
    POINT point = {x, y};
    ::ClientToScreen(host_.hwnd(), &point);
    return point;
  }
  // Clicks the button with messages; the host's handler moves the pointer to
  // client point `end` (where the "menu" was closed) and records the button's
  // state meanwhile.
  void ClickEndingAt(POINT end) {
    host_.on_command = [this, end] {
      during_state_ = button_->interaction_state();
      during_dropping_ = button_->dropping();
      host_.MoveTo(end.x, end.y);  // Leaving while the menu runs is ignored.
      after_move_state_ = button_->interaction_state();
      const POINT screen = Screen(end.x, end.y);
      ::SetCursorPos(screen.x, screen.y);
    };
    host_.Click(button_);
  }

  UIResource skin_;
  DropHost host_;
  UIDropButton* button_ = nullptr;
  int during_state_ = -1;
  bool during_dropping_ = false;
  int after_move_state_ = -1;
};

TEST_F(UIDropButtonTest, CaptionsAreLeftAlignedOnOneCentredLine) {
  EXPECT_EQ(button_->kind(), kElementDropButton);
  EXPECT_EQ(button_->command_id(), 4242);
  EXPECT_EQ(RectText(button_->rect()), "20,20,140,50");
  for (const TextStyle& style : button_->drop_look().styles) {
    EXPECT_EQ(style.align, UIDropButton::kCaptionAlign);
  }
  EXPECT_EQ(button_->drop_look().styles[0].color, 0xFFFFFFu);
  UIDropButton missing;
  EXPECT_FALSE(missing.LoadSkin(&skin_, "Nothing", nullptr));
}

// The pictures are the ones UIButton read from the skin, one per visual state.
TEST_F(UIDropButtonTest, EachVisualStateDrawsTheButtonsPictureForIt) {
  button_->Invalidate(nullptr, true);
  EXPECT_EQ(host_.CentrePixel(button_), color::kNormal);
  host_.MoveTo(60, 35);
  EXPECT_EQ(host_.CentrePixel(button_), color::kLighted);
  host_.Press(60, 35);
  EXPECT_EQ(host_.CentrePixel(button_), color::kPressed);
  host_.MoveTo(170, 100);
  button_->set_enabled(false);
  button_->Invalidate(nullptr, true);
  EXPECT_EQ(host_.CentrePixel(button_), color::kGrayed);
}

TEST_F(UIDropButtonTest, TheDropRunsWhileTheButtonLooksPressedAndEndsLightedInside) {
  ClickEndingAt({60, 35});
  EXPECT_EQ(during_state_, kInteractionPressed);
  EXPECT_TRUE(during_dropping_);
  EXPECT_EQ(after_move_state_, kInteractionPressed);
  EXPECT_FALSE(button_->dropping());
  EXPECT_EQ(button_->interaction_state(), kInteractionLighted);
  EXPECT_EQ(host_.CentrePixel(button_), color::kLighted);
  // One command, id in wParam and lParam 0; no parent notification.
  ASSERT_EQ(host_.reports.size(), 1u);
  EXPECT_FALSE(host_.reports[0].from_child);
  EXPECT_EQ(host_.reports[0].wparam, 4242u);
  EXPECT_EQ(host_.reports[0].lparam, 0);
}

TEST_F(UIDropButtonTest, APointerThatEndsOutsideLeavesTheNormalLook) {
  ClickEndingAt({170, 100});
  EXPECT_EQ(during_state_, kInteractionPressed);
  EXPECT_EQ(after_move_state_, kInteractionPressed);
  EXPECT_EQ(button_->interaction_state(), kInteractionNormal);
  EXPECT_EQ(host_.CentrePixel(button_), color::kNormal);
}

TEST_F(UIDropButtonTest, ADropThatDisablesTheButtonLeavesItNormalNotPressed) {
  // The "menu" closes with the pointer over the button.
  host_.on_command = [this] {
    button_->set_enabled(false);
    const POINT inside = Screen(60, 35);
    ::SetCursorPos(inside.x, inside.y);
  };
  host_.Click(button_);
  EXPECT_EQ(button_->interaction_state(), kInteractionNormal);
  EXPECT_EQ(host_.CentrePixel(button_), color::kGrayed);
  button_->set_enabled(true);
  button_->Invalidate(nullptr, true);
  EXPECT_EQ(host_.CentrePixel(button_), color::kNormal);
}

TEST_F(UIDropButtonTest, OutsideTheDropLeavingIsAsForAButton) {
  host_.MoveTo(60, 35);
  EXPECT_EQ(button_->interaction_state(), kInteractionLighted);
  host_.MoveTo(170, 100);
  EXPECT_EQ(button_->interaction_state(), kInteractionNormal);
}

TEST_F(UIDropButtonTest, ThePressedCaptionDoesNotMove) {
  auto* same = MakeControl<UIDropButton>(&skin_, "Same", kElementDropButton, &host_);
  ASSERT_NE(same, nullptr);
  same->SetText(L"Open");
  const uint32_t background = host_.Pixel(21, 61);
  auto caption_pixels = [&] {
    std::set<std::pair<int, int>> pixels;
    for (int y = 60; y < 90; ++y) {
      for (int x = 20; x < 140; ++x) {
        if (host_.Pixel(x, y) != background) pixels.insert({x, y});
      }
    }
    return pixels;
  };
  const auto normal = caption_pixels();
  ASSERT_FALSE(normal.empty());
  host_.MoveTo(40, 75);
  host_.Press(40, 75);
  ASSERT_EQ(same->interaction_state(), kInteractionPressed);
  EXPECT_EQ(caption_pixels(), normal);
  // Left-aligned: the caption starts within the left quarter.
  EXPECT_LT(normal.begin()->first, 50);
}

}  // namespace
}  // namespace brindle::test
