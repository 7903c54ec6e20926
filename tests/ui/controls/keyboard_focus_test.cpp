// The keyboard in a skinned frame window, driven with key messages (Shift+Tab
// with real keys): the tab
// order (rows from top to bottom, each from left to right, the system buttons
// last) with Tab and Shift+Tab, disabled and hidden elements left out, Space
// and Enter on the focused button and check box, Enter and Escape running the
// window's default and cancel commands, and the focus look drawn only once the
// keyboard moved the focus (a focused picture where the skin has one, a frame
// over every focused control).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ui/controls/controls_test_support.h"
#include "tests/ui/controls/real_input.h"
#include "ui/controls/ui_button.h"
#include "ui/controls/ui_check_box.h"
#include "ui/framework/ui_frame_window.h"

namespace brindle::test {
namespace {

namespace color = cell_color;

// Created in this order, laid out in two rows: "Right" and "Top" in the
// first, "Wide" (a little higher) and "Box" in the second; the close button
// at the top right; "Plain" has no focused picture.
std::string SkinJson() {
  const std::string states = StateCells(0);
  auto element = [&states](const char* name, int id, const char* size, const std::string& look) {
    return "\"" + std::string(name) + "\":{\"id\":" + std::to_string(id) + ",\"size\":" + size +
           "," + look + "}";
  };
  const std::string plain = "\"normal\":" + CellEntry(0) + ",\"focused\":{\"bi\":0}";
  return "{\"Win\":{\"SysBtns\":{\"Close\":{\"id\":1000,\"size\":[-20,4,12,12]," + states + "}}," +
         element("Right", 12, "[100,12,60,20]", states) + "," +
         element("Top", 11, "[10,10,60,20]", states) + "," +
         element("Wide", 14, "[90,46,80,30]", states) + "," +
         element("Box", 13, "[10,50,60,20]", states) + "," +
         element("Plain", 15, "[10,80,60,16]", plain) + "}}";
}

// The frame is drawn with alpha 254: a trace of what lies below may remain.
bool NearBlack(uint32_t pixel) {
  return (pixel & 0xFF) <= 2 && ((pixel >> 8) & 0xFF) <= 2 && ((pixel >> 16) & 0xFF) <= 2;
}

// Records commands and system commands; keeps its window on SC_CLOSE.
class Frame : public UIFrameWindow {
 public:
  LRESULT HandleCommand(WPARAM wparam, LPARAM lparam) override {
    log.push_back("command:" + std::to_string(LOWORD(wparam)));
    return UIFrameWindow::HandleCommand(wparam, lparam);
  }
  LRESULT HandleSysCommand(WPARAM wparam, LPARAM lparam) override {
    log.push_back("sys:" + std::to_string(wparam & 0xFFF0));
    return UIFrameWindow::HandleSysCommand(wparam, lparam);
  }
  LRESULT HandleClose(WPARAM, LPARAM) override { return 0; }

  std::vector<std::string> log;
};

class KeyboardFocusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterBasicControlKinds();
    ASSERT_TRUE(skin_.Parse(CellSkin(SkinJson())));
    ASSERT_TRUE(EnsureWindowClass());
    ASSERT_TRUE(frame_.Create(nullptr, 30, 30, WS_POPUP, WS_EX_TOOLWINDOW, L"brindle keys"));
    frame_.LoadSkin(&skin_, "Win", nullptr);
    right_ = Make<UIButton>("Win/Right", kElementButton);
    top_ = Make<UIButton>("Win/Top", kElementButton);
    wide_ = Make<UIButton>("Win/Wide", kElementButton);
    box_ = Make<UICheckBox>("Win/Box", kElementCheckBox);
    plain_ = Make<UIButton>("Win/Plain", kElementButton);
    frame_.ResizeWindow(200, 100);
    ASSERT_TRUE(MakeLayered(&frame_));
    ::ShowWindow(frame_.hwnd(), SW_SHOWNOACTIVATE);
    ASSERT_TRUE(frame_.composed_once());
    ASSERT_NE(frame_.close_button(), nullptr);
  }

  template <typename Element>
  Element* Make(const char* path, int kind) {
    return MakeControl<Element>(&skin_, path, kind, &frame_);
  }
  // A key message as if typed alone. GetKeyState reports the state as of the
  // last message retrieved, and a real Shift+Tab before may have left the
  // release of Shift in the queue: it is taken first.
  void Key(WORD key, LPARAM lparam = 0) {
    ASSERT_TRUE(PumpUntil([] { return ::GetKeyState(VK_SHIFT) >= 0; }, 3000));
    ::SendMessageW(frame_.hwnd(), WM_KEYDOWN, key, lparam);
  }
  // Shift+Tab through the X server (SendInput on Windows), waiting until the
  // release of Shift has arrived too: a release that comes after the window
  // has gone is never seen, and Shift would stay down for what runs next.
  void ShiftTab() {
    RealInput input;
    const bool done = input.Run(
        {{{InputAction::Focus(frame_.hwnd()), InputAction::ShiftKey(VK_TAB)},
          [](const MSG& msg) { return msg.message == WM_KEYUP && msg.wParam == VK_SHIFT; }}});
    ASSERT_TRUE(done) << input.trace();
  }
  uint32_t Pixel(int x, int y) const { return BufferPixel(frame_, x, y); }
  uint32_t Centre(const UIObject* element) const {
    const RECT& r = element->rect();
    return Pixel((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  // The pixel on the focus frame's left edge, halfway down.
  uint32_t FramePixel(const UIObject* element) const {
    const RECT& r = element->rect();
    return Pixel(r.left + 2, (r.top + r.bottom) / 2);
  }

  UIResource skin_;
  Frame frame_;
  UIButton* right_ = nullptr;
  UIButton* top_ = nullptr;
  UIButton* wide_ = nullptr;
  UICheckBox* box_ = nullptr;
  UIButton* plain_ = nullptr;
};

TEST_F(KeyboardFocusTest, TabGoesThroughTheRowsAndTheSystemButtonsLast) {
  const std::vector<UIObject*> order = {top_, right_, box_, wide_, plain_, frame_.close_button()};
  EXPECT_EQ(TabOrder(&frame_), order);
  ASSERT_EQ(frame_.focus_child(), nullptr);
  for (size_t i = 0; i < 2 * order.size(); ++i) {
    Key(VK_TAB);
    EXPECT_EQ(frame_.focus_child(), order[i % order.size()]) << i;
  }
  // Back from the last stop, wrapping to it from the first: real keys, since
  // Wine takes the Shift state from the X server.
  const size_t count = order.size();
  for (size_t i = 1; i <= count; ++i) {
    ShiftTab();
    EXPECT_EQ(frame_.focus_child(), order[(2 * count - 1 - i) % count]) << i;
  }
}

TEST_F(KeyboardFocusTest, ShiftTabFromNothingStartsAtTheLastStop) {
  ShiftTab();
  EXPECT_EQ(frame_.focus_child(), frame_.close_button());
  ShiftTab();
  EXPECT_EQ(frame_.focus_child(), plain_);
}

TEST_F(KeyboardFocusTest, DisabledAndHiddenElementsAreNoStops) {
  right_->set_enabled(false);
  SetVisible(box_, false);
  const std::vector<UIObject*> order = {top_, wide_, plain_, frame_.close_button()};
  EXPECT_EQ(TabOrder(&frame_), order);
  Key(VK_TAB);
  Key(VK_TAB);
  EXPECT_EQ(frame_.focus_child(), wide_);
}

TEST_F(KeyboardFocusTest, SpaceAndEnterClickTheFocusedButtonOnce) {
  Key(VK_TAB);
  ASSERT_EQ(frame_.focus_child(), top_);
  constexpr LPARAM kRepeat = 1 << 30;
  Key(VK_SPACE);
  Key(VK_SPACE, kRepeat);  // A held key clicks only once.
  Key(VK_RETURN);
  EXPECT_EQ(frame_.log, (std::vector<std::string>{"command:11", "command:11"}));
  EXPECT_EQ(top_->interaction_state(), kInteractionNormal);
  // A disabled focused button leaves Enter to the window.
  top_->set_enabled(false);
  frame_.set_default_command(14);
  Key(VK_RETURN);
  EXPECT_EQ(frame_.log.back(), "command:14");
}

TEST_F(KeyboardFocusTest, SpaceAndEnterToggleTheFocusedBox) {
  for (int i = 0; i < 3; ++i) Key(VK_TAB);
  ASSERT_EQ(frame_.focus_child(), box_);
  ASSERT_FALSE(box_->checked());
  Key(VK_SPACE);
  EXPECT_TRUE(box_->checked());
  EXPECT_EQ(Centre(box_), color::kPressed);
  Key(VK_RETURN);
  EXPECT_FALSE(box_->checked());
  // Unchecked again, it shows its focused picture, not a pressed one.
  EXPECT_EQ(Centre(box_), color::kFocused);
  EXPECT_EQ(frame_.log, (std::vector<std::string>{"command:13", "command:13"}));
}

TEST_F(KeyboardFocusTest, EnterAndEscapeRunTheDefaultAndCancelCommands) {
  Key(VK_RETURN);
  Key(VK_ESCAPE);
  EXPECT_TRUE(frame_.log.empty()) << "no commands set";
  frame_.set_default_command(14);
  frame_.set_cancel_command(1000);
  EXPECT_EQ(frame_.default_command(), 14);
  EXPECT_EQ(frame_.cancel_command(), 1000);
  Key(VK_RETURN);
  // Escape clicks the close button: the system command, then its command.
  Key(VK_ESCAPE);
  EXPECT_EQ(frame_.log, (std::vector<std::string>{"command:14", "sys:61536", "command:1000"}));
  // A disabled or hidden default does nothing; a command without an element
  // reaches the window all the same.
  frame_.log.clear();
  wide_->set_enabled(false);
  Key(VK_RETURN);
  EXPECT_TRUE(frame_.log.empty());
  frame_.set_default_command(77);
  Key(VK_RETURN);
  EXPECT_EQ(frame_.log, std::vector<std::string>{"command:77"});
}

TEST_F(KeyboardFocusTest, AFocusedButtonTakesEnterBeforeTheDefault) {
  frame_.set_default_command(14);
  Key(VK_TAB);
  Key(VK_RETURN);
  EXPECT_EQ(frame_.log, std::vector<std::string>{"command:11"});
}

TEST_F(KeyboardFocusTest, TheFocusLookFollowsTheKeyboardOnly) {
  const uint32_t normal_frame = FramePixel(top_);
  ASSERT_EQ(Centre(top_), color::kNormal);
  // Focus from a press (no keyboard yet): no focus look.
  SetFocusElement(&frame_, top_);
  frame_.Invalidate(nullptr, true);
  EXPECT_FALSE(ShowsFocusLook(top_));
  EXPECT_EQ(Centre(top_), color::kNormal);
  EXPECT_EQ(FramePixel(top_), normal_frame);
  // Tab turns the cues on: the focused picture and the frame (black: the
  // skin gives the button no caption colour).
  Key(VK_TAB);
  ASSERT_EQ(frame_.focus_child(), right_);
  EXPECT_TRUE(ShowsFocusLook(right_));
  EXPECT_EQ(Centre(right_), color::kFocused);
  EXPECT_TRUE(NearBlack(FramePixel(right_)));
  // The element left behind is repainted without it.
  EXPECT_EQ(Centre(top_), color::kNormal);
  EXPECT_EQ(FramePixel(top_), normal_frame);
  // Hovered, the lighted picture wins; the frame stays.
  ::SendMessageW(frame_.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(130, 22));
  EXPECT_EQ(Centre(right_), color::kLighted);
  EXPECT_TRUE(NearBlack(FramePixel(right_)));
}

TEST_F(KeyboardFocusTest, WithoutAFocusedPictureTheNormalOneGetsTheFrame) {
  while (frame_.focus_child() != plain_) Key(VK_TAB);
  EXPECT_EQ(plain_->VisualState(), kVisualNormal);
  EXPECT_EQ(Centre(plain_), color::kNormal);
  EXPECT_TRUE(NearBlack(FramePixel(plain_)));
}

// Any host, not only a frame window, has the two commands (the install-
// finished window is a plain element host); its own command id does not hide
// an element's.
TEST(HostCommandsTest, APlainHostRunsItsDefaultAndCancelCommands) {
  RegisterBasicControlKinds();
  UIResource skin;
  ASSERT_TRUE(
      skin.Parse(CellSkin(R"({"Done":{"id":5,"size":[10,10,40,20],)" + StateCells(0) + "}}")));
  ControlHost host;
  ASSERT_TRUE(host.Open(100, 60));
  host.set_command_id(5);
  auto* done = MakeControl<UIButton>(&skin, "Done", kElementButton, &host);
  ASSERT_NE(done, nullptr);
  host.set_default_command(5);
  host.set_cancel_command(6);
  ::SendMessageW(host.hwnd(), WM_KEYDOWN, VK_RETURN, 0);
  ::SendMessageW(host.hwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
  std::vector<std::string> seen;
  for (const auto& report : host.reports) {
    seen.push_back((report.from_child ? "child:" : "command:") + std::to_string(report.wparam));
  }
  // The button's click (its parent, then the host), then the cancel command
  // that no element has, straight to the window.
  EXPECT_EQ(seen, (std::vector<std::string>{"child:5", "command:5", "command:6"}));
}

}  // namespace
}  // namespace brindle::test
