// The shipped main window frame under the real pointer (xdotool under Wine,
// SendInput on Windows): the path through WM_NCHITTEST, the system's move
// loop and the element model's routing is what these tests check. A press on
// the title band, or on a label lying on it, drags the window; the close
// button over the band gets its click; the agreement box toggles on a click
// and, after a press elsewhere, only when it was checked; the keyboard alone
// goes through the install page.
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

constexpr int kLeft = 20;
constexpr int kTop = 20;

// The setup's main window frame, topmost, recording system commands and
// commands; it keeps its window on SC_CLOSE.
class MainFrame : public UIFrameWindow {
 public:
  LRESULT HandleSysCommand(WPARAM wparam, LPARAM lparam) override {
    log.push_back("sys:" + std::to_string(wparam & 0xFFF0));
    return UIFrameWindow::HandleSysCommand(wparam, lparam);
  }
  LRESULT HandleClose(WPARAM, LPARAM) override {
    log.push_back("close");
    return 0;
  }
  LRESULT HandleCommand(WPARAM wparam, LPARAM lparam) override {
    log.push_back("command:" + std::to_string(LOWORD(wparam)));
    return UIFrameWindow::HandleCommand(wparam, lparam);
  }

  std::vector<std::string> log;
};

class FrameRealInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterBasicControlKinds();
    ASSERT_TRUE(LoadShippedSkin(skin_));
    ASSERT_TRUE(EnsureWindowClass());
    ASSERT_TRUE(frame_.Create(nullptr, kLeft, kTop, WS_POPUP, WS_EX_TOOLWINDOW,
                              L"brindle frame input test"));
    frame_.LoadSkin(&skin_, "MainWindow", nullptr);
    // The uninstall question's label lies on the title band: (75, 190, 633, 218).
    label_ = CreateElement("MainWindow2/Label1", &skin_, kElementLabel, &frame_);
    ASSERT_NE(label_, nullptr);
    frame_.ResizeWindow(670, 680);
    ASSERT_TRUE(MakeLayered(&frame_));
    // ShowWindow (not SWP_SHOWWINDOW): its WM_SHOWWINDOW composes the window.
    ::ShowWindow(frame_.hwnd(), SW_SHOWNOACTIVATE);
    ASSERT_TRUE(frame_.composed_once());
    ::SetWindowPos(frame_.hwnd(), HWND_TOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  void TearDown() override {
    if (::GetCapture()) ::ReleaseCapture();
  }

  POINT Origin() const {
    RECT window;
    ::GetWindowRect(frame_.hwnd(), &window);
    return {window.left, window.top};
  }
  // Screen point of client point (x, y) where the window is now.
  InputAction At(int x, int y) const {
    const POINT origin = Origin();
    return InputAction::Move(origin.x + x, origin.y + y);
  }

  // Presses at client point (x, y) and drags the pointer by (dx, dy). Every
  // mouse message of the drag counts, whichever window procedure or loop
  // retrieves it.
  bool Drag(int x, int y, int dx, int dy) {
    const POINT origin = Origin();
    auto any_mouse = [](UINT first, UINT second) {
      return [=](const MSG& msg) { return msg.message == first || msg.message == second; };
    };
    RealInput input;
    return input.Run({
        {{At(x, y)}, any_mouse(WM_NCMOUSEMOVE, WM_MOUSEMOVE)},
        {{InputAction::Down()}, any_mouse(WM_NCLBUTTONDOWN, WM_LBUTTONDOWN)},
        {{InputAction::Move(origin.x + x + dx / 2, origin.y + y + dy / 2)},
         any_mouse(WM_MOUSEMOVE, WM_NCMOUSEMOVE)},
        {{InputAction::Move(origin.x + x + dx, origin.y + y + dy)},
         any_mouse(WM_MOUSEMOVE, WM_NCMOUSEMOVE)},
        {{InputAction::Up()}, any_mouse(WM_LBUTTONUP, WM_NCLBUTTONUP)},
    });
  }

  UIResource skin_;
  MainFrame frame_;
  UIObject* label_ = nullptr;
};

TEST_F(FrameRealInputTest, DraggingTheTitleBandMovesTheWindow) {
  ASSERT_TRUE(Drag(335, 150, 100, 40));
  EXPECT_TRUE(PumpUntil([&] { return Origin().x == kLeft + 100 && Origin().y == kTop + 40; }))
      << Origin().x << "," << Origin().y;
  // The system's move loop did it, entered through the title band.
  EXPECT_EQ(frame_.log, std::vector<std::string>{"sys:" + std::to_string(SC_MOVE)});
}

TEST_F(FrameRealInputTest, ALabelOnTheBandDoesNotStopTheDrag) {
  ASSERT_TRUE(Drag(300, 200, 60, 30));
  EXPECT_TRUE(PumpUntil([&] { return Origin().x == kLeft + 60 && Origin().y == kTop + 30; }))
      << Origin().x << "," << Origin().y;
}

TEST_F(FrameRealInputTest, CloseButtonOnTheBandGetsItsClick) {
  auto* close = dynamic_cast<UIButton*>(frame_.close_button());
  ASSERT_NE(close, nullptr);
  ASSERT_EQ(RectText(close->rect()), "610,45,625,60");
  RealInput input;
  ASSERT_TRUE(input.Run({
      {{At(617, 52)}, MessageAt(WM_MOUSEMOVE, frame_.hwnd(), 617, 52)},
      {{InputAction::Down()}, MessageOf(WM_LBUTTONDOWN, frame_.hwnd())},
      {{InputAction::Up()}, MessageOf(WM_LBUTTONUP, frame_.hwnd())},
  }));
  EXPECT_TRUE(PumpUntil([&] { return frame_.log.size() >= 3; }));
  EXPECT_EQ(frame_.log,
            (std::vector<std::string>{"sys:" + std::to_string(SC_CLOSE), "close", "command:1000"}));
  EXPECT_EQ(close->interaction_state(), kInteractionLighted);
  // The window did not move.
  EXPECT_EQ(Origin().x, kLeft);
  EXPECT_EQ(Origin().y, kTop);
}

TEST_F(FrameRealInputTest, AgreementBoxFollowsWhereTheButtonIsReleased) {
  auto* box = dynamic_cast<UICheckBox*>(
      CreateElement("MainWindow/CheckBoxAgree", &skin_, kElementCheckBox, &frame_));
  ASSERT_NE(box, nullptr);
  ASSERT_EQ(RectText(box->rect()), "48,480,268,507");
  box->Invalidate(nullptr, true);
  const HWND window = frame_.hwnd();
  auto press_at = [&](int x, int y) -> InputStep {
    return {{At(x, y), InputAction::Down()}, MessageAt(WM_LBUTTONDOWN, window, x, y)};
  };
  auto release_at = [&](int x, int y) -> InputStep {
    return {{At(x, y), InputAction::Up()}, MessageAt(WM_LBUTTONUP, window, x, y)};
  };
  RealInput input;

  // A click on the box.
  ASSERT_TRUE(input.Run({press_at(60, 493), release_at(60, 493)}));
  EXPECT_TRUE(box->checked());
  EXPECT_EQ(frame_.log, std::vector<std::string>{"command:1002"});

  // Pressed on the client background, released over the box: a checked box
  // (entered in the pressed state) unchecks...
  ASSERT_TRUE(input.Run({press_at(300, 400), release_at(60, 493)}));
  EXPECT_FALSE(box->checked());
  // ...an unchecked one (entered lighted) stays as it is. (Pressed elsewhere
  // again: a second press at the same place would be a double click.)
  ASSERT_TRUE(input.Run({press_at(400, 420), release_at(60, 493)}));
  EXPECT_FALSE(box->checked());
  EXPECT_EQ(frame_.log, (std::vector<std::string>{"command:1002", "command:1002"}));
}

// The install page's keyboard pass with real keys: Tab reaches the agreement
// box, Space toggles it, Tab reaches the install button past the desktop box,
// Enter clicks it, Shift+Tab goes back, Escape runs the cancel command (the
// close button); the focused element draws its frame.
TEST_F(FrameRealInputTest, TheKeyboardAloneGoesThroughTheInstallPage) {
  auto* install = CreateElement("MainWindow/InstallButton2", &skin_, kElementButton, &frame_);
  auto* desktop = dynamic_cast<UICheckBox*>(
      CreateElement("MainWindow/CheckBoxDesktop", &skin_, kElementCheckBox, &frame_));
  auto* agree = dynamic_cast<UICheckBox*>(
      CreateElement("MainWindow/CheckBoxAgree", &skin_, kElementCheckBox, &frame_));
  ASSERT_TRUE(install && desktop && agree);
  frame_.set_default_command(install->command_id());
  frame_.set_cancel_command(frame_.close_button()->command_id());
  frame_.Invalidate(nullptr, true);
  const HWND window = frame_.hwnd();
  auto key = [window](WORD code, bool shift = false) -> InputStep {
    return {
        {InputAction::Focus(window), shift ? InputAction::ShiftKey(code) : InputAction::Key(code)},
        KeyDownOf(code)};
  };
  // The left edge of the agreement box's focus frame, before it has one.
  const int edge_x = agree->rect().left + 2;
  const uint32_t unfocused_edge = BufferPixel(frame_, edge_x, 493);
  RealInput input;
  ASSERT_TRUE(input.Run({key(VK_TAB)})) << input.trace();
  EXPECT_EQ(frame_.focus_child(), agree);
  EXPECT_NE(BufferPixel(frame_, edge_x, 493), unfocused_edge);
  ASSERT_TRUE(input.Run({key(VK_SPACE)})) << input.trace();
  EXPECT_TRUE(agree->checked());
  ASSERT_TRUE(input.Run({key(VK_TAB), key(VK_TAB)})) << input.trace();
  EXPECT_EQ(frame_.focus_child(), install);
  EXPECT_TRUE(ShowsFocusLook(install));
  ASSERT_TRUE(input.Run({key(VK_RETURN)})) << input.trace();
  ASSERT_TRUE(input.Run({key(VK_TAB, true)})) << input.trace();
  EXPECT_EQ(frame_.focus_child(), desktop);
  ASSERT_TRUE(input.Run({key(VK_ESCAPE)})) << input.trace();
  EXPECT_EQ(frame_.log,
            (std::vector<std::string>{"command:1002", "command:1001",
                                      "sys:" + std::to_string(SC_CLOSE), "close", "command:1000"}));
}

}  // namespace
}  // namespace brindle::test
