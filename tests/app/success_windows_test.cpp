// The two finish windows under Wine: their elements from the shipped skin,
// the commands and the real Alt+F4 that end the process (recorded here), the
// start of the installed program and the background drag.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/success_wnd.h"
#include "app/success_wnd2.h"
#include "tests/app/app_test_support.h"
#include "tests/ui/controls/real_input.h"
#include "ui/controls/ui_button.h"
#include "ui/controls/ui_label.h"
#include "ui/controls/ui_pane.h"
#include "ui/framework/dpi_awareness.h"
#include "ui/framework/ui_resource.h"

namespace {

using app_test::ProcessEndRecorder;
using app_test::WindowSize;
using brindle::test::InputAction;
using brindle::test::RealInput;

// Alt+F4 pressed on `window`, shown and given the keyboard focus, as a user
// presses it; then the messages are pumped until the process end was
// recorded (at most 5 s). True when the keys arrived.
bool PressAltF4(HWND window, const ProcessEndRecorder& ends) {
  ::ShowWindow(window, SW_SHOW);
  RealInput input;
  const bool arrived = input.Run(
      {{{InputAction::Focus(window), InputAction::AltKey(VK_F4)}, [window](const MSG& msg) {
          return msg.message == WM_SYSKEYDOWN && msg.hwnd == window && msg.wParam == VK_F4;
        }}});
  if (!arrived) ADD_FAILURE() << "Alt+F4 did not arrive; seen:" << input.trace();
  brindle::test::PumpUntil([&ends] { return !ends.calls().empty(); });
  return arrived;
}

class SuccessWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(app_test::PrepareWindows());
    ASSERT_TRUE(skin_.LoadFromResource(GetModuleHandleW(nullptr), L"UIR", 129));
    ASSERT_TRUE(window_.Create(nullptr, 0, 0, WS_POPUP, 0, L""));
    ASSERT_TRUE(window_.LoadSkin(&skin_, "SuccessWindow", nullptr));
  }

  UIButton* Button(int index) const {
    return dynamic_cast<UIButton*>(window_.children().at(index).get());
  }

  // Copies the test stub into `scratch` as `name` and makes that copy the window's launch path.
  std::wstring SetLaunchCopy(const ScratchFolder& scratch, const wchar_t* name) {
    const std::wstring program = scratch.Join(name);
    EXPECT_TRUE(CopyFileW(test_package::SiblingProgram(L"app_test_stub.exe").c_str(),
                          program.c_str(), FALSE));
    window_.set_launch_path(program);
    return program;
  }

  UIResource skin_;
  CHSuccessWnd window_;
};

TEST_F(SuccessWindowTest, IsTheSkinsBackgroundWithTwoButtons) {
  EXPECT_EQ(WindowSize(window_.hwnd()).cx, 670);
  EXPECT_EQ(WindowSize(window_.hwnd()).cy, 320);
  EXPECT_TRUE(app_test::IsCentred(window_.hwnd()));
  EXPECT_TRUE(app_test::IsLayered(window_.hwnd()));
  EXPECT_NE(window_.background().image, nullptr);
  EXPECT_EQ(window_.background().width, 670);
  ASSERT_EQ(window_.children().size(), 2u);
  ASSERT_NE(Button(0), nullptr);
  ASSERT_NE(Button(1), nullptr);
  EXPECT_EQ(Button(0)->command_id(), 2001);
  EXPECT_EQ(Button(0)->caption(), L"");
  EXPECT_EQ(Button(1)->command_id(), 1000);
  const RECT start = {670 - 250, 135, 670 - 250 + 196, 135 + 61};
  EXPECT_TRUE(EqualRect(&Button(0)->rect(), &start));
}

// A move to a monitor of another DPI (WM_DPICHANGED as Windows sends it;
// Wine never sends it, so the test does): background and buttons are read
// again at that DPI, the window takes the suggested rectangle, and the
// buttons are not made twice.
TEST_F(SuccessWindowTest, DpiChangeReadsTheWindowAgainAtTheNewDpi) {
  const struct {
    int dpi;
    RECT suggested;
    RECT start;
  } steps[] = {
      {192, {10, 20, 1350, 660}, {840, 270, 1232, 392}},
      {96, {10, 20, 680, 340}, {420, 135, 616, 196}},
  };
  for (const auto& step : steps) {
    SendMessageW(window_.hwnd(), kDpiChangedMessage, MAKEWPARAM(step.dpi, step.dpi),
                 reinterpret_cast<LPARAM>(&step.suggested));
    EXPECT_EQ(window_.dpi(), step.dpi);
    EXPECT_EQ(WindowSize(window_.hwnd()).cx, step.suggested.right - step.suggested.left);
    EXPECT_EQ(WindowSize(window_.hwnd()).cy, step.suggested.bottom - step.suggested.top);
    EXPECT_EQ(window_.background().width, step.suggested.right - step.suggested.left) << step.dpi;
    ASSERT_EQ(window_.children().size(), 2u);
    ASSERT_NE(Button(0), nullptr);
    EXPECT_TRUE(EqualRect(&Button(0)->rect(), &step.start)) << step.dpi;
  }
}

TEST_F(SuccessWindowTest, CloseEndsWithZeroAndStartsNothing) {
  ProcessEndRecorder ends;
  ScratchFolder scratch;
  app_test::StubRanEvent ran(L"closecheck.exe");
  SetLaunchCopy(scratch, L"closecheck.exe");
  app_test::ClickElement(window_.hwnd(), Button(1));
  EXPECT_EQ(ends.calls(), std::vector<UINT>{0});
  EXPECT_FALSE(ran.Wait(500));
}

TEST_F(SuccessWindowTest, StartButtonOpensTheLaunchPathThenEndsWithZero) {
  ProcessEndRecorder ends;
  ScratchFolder scratch;
  app_test::StubRanEvent ran(L"Launched Velto.exe");
  const std::wstring program = SetLaunchCopy(scratch, L"Launched Velto.exe");
  app_test::ClickElement(window_.hwnd(), Button(0));
  EXPECT_EQ(ends.calls(), std::vector<UINT>{0});
  EXPECT_TRUE(ran.Wait());
  // Let the started program end before the scratch folder goes.
  for (int i = 0; i < 100 && !DeleteFileW(program.c_str()); ++i) Sleep(50);
}

TEST_F(SuccessWindowTest, AltF4EndsWithZeroLikeTheCloseButtonAndStartsNothing) {
  ProcessEndRecorder ends;
  ScratchFolder scratch;
  app_test::StubRanEvent ran(L"altf4check.exe");
  SetLaunchCopy(scratch, L"altf4check.exe");
  ASSERT_TRUE(PressAltF4(window_.hwnd(), ends));
  EXPECT_EQ(ends.calls(), std::vector<UINT>{0});
  EXPECT_FALSE(ran.Wait(500));
}

TEST_F(SuccessWindowTest, EveryCommandEndsTheProcessEvenWithoutLaunchPath) {
  for (WPARAM id : {2001, 3001, 7}) {
    ProcessEndRecorder ends;
    SendMessageW(window_.hwnd(), WM_COMMAND, id, 0);
    EXPECT_EQ(ends.calls(), std::vector<UINT>{0}) << id;
  }
}

TEST_F(SuccessWindowTest, PressOnTheBackgroundDragsThePressOnAButtonDoesNot) {
  MSG msg;
  while (PeekMessageW(&msg, window_.hwnd(), WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE)) {
  }
  SendMessageW(window_.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 250));
  ASSERT_TRUE(PeekMessageW(&msg, window_.hwnd(), WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(HTCAPTION));
  EXPECT_EQ(msg.lParam, 0);
  const RECT& button = Button(0)->rect();
  SendMessageW(window_.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON,
               MAKELPARAM(button.left + 5, button.top + 5));
  EXPECT_FALSE(PeekMessageW(&msg, window_.hwnd(), WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE));
  SendMessageW(window_.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(0, 0));
}

class SuccessWindow2Test : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(app_test::PrepareWindows());
    ASSERT_TRUE(skin_.LoadFromResource(GetModuleHandleW(nullptr), L"UIR", 129));
    ASSERT_TRUE(window_.Create(nullptr, 0, 0, WS_POPUP | WS_CAPTION, 0, L""));
    ASSERT_TRUE(window_.LoadSkin(&skin_, "SuccessWindow2", nullptr));
  }

  UIResource skin_;
  CHSuccessWnd2 window_;
};

TEST_F(SuccessWindow2Test, ThanksWithTheDoneButtonAndTheIcon) {
  EXPECT_EQ(WindowSize(window_.hwnd()).cx, 670);
  EXPECT_EQ(WindowSize(window_.hwnd()).cy, 400);
  EXPECT_TRUE(app_test::IsCentred(window_.hwnd()));
  EXPECT_TRUE(app_test::IsLayered(window_.hwnd()));
  EXPECT_EQ(GetWindowLongW(window_.hwnd(), GWL_STYLE) & WS_CAPTION, 0);
  const UILabel* label = nullptr;
  const UIButton* done = nullptr;
  const UIPane* icon = nullptr;
  for (const auto& child : window_.children()) {
    if (auto* l = dynamic_cast<UILabel*>(child.get())) label = l;
    if (auto* p = dynamic_cast<UIPane*>(child.get())) icon = p;
    auto* b = dynamic_cast<UIButton*>(child.get());
    if (b && b != window_.close_button()) done = b;
  }
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(const_cast<UILabel*>(label)->text(),
            L"卸载完毕。我们致力于为您打造超一流的用户体验，我们希望能得到您宝贵的建议和反馈。");
  ASSERT_NE(done, nullptr);
  EXPECT_EQ(done->caption(), L"完成");
  EXPECT_EQ(done->command_id(), 1002);
  ASSERT_NE(icon, nullptr);
  const RECT icon_rect = {85, 273, 85 + 18, 273 + 18};
  EXPECT_TRUE(EqualRect(&icon->rect(), &icon_rect));
}

TEST_F(SuccessWindow2Test, AltF4EndsWithZero) {
  ProcessEndRecorder ends;
  ASSERT_TRUE(PressAltF4(window_.hwnd(), ends));
  EXPECT_EQ(ends.calls(), std::vector<UINT>{0});
}

TEST_F(SuccessWindow2Test, DoneAndCloseEndWithZeroOtherCommandsDoNothing) {
  for (WPARAM id : {1002, 1000}) {
    ProcessEndRecorder ends;
    EXPECT_EQ(SendMessageW(window_.hwnd(), WM_COMMAND, id, 0), 0) << id;
    EXPECT_EQ(ends.calls(), std::vector<UINT>{0}) << id;
  }
  for (WPARAM id : {1001, 3001, 2001}) {
    ProcessEndRecorder ends;
    EXPECT_EQ(SendMessageW(window_.hwnd(), WM_COMMAND, id, 0), 0) << id;
    EXPECT_TRUE(ends.calls().empty()) << id;
  }
  EXPECT_TRUE(IsWindow(window_.hwnd()));
}

}  // namespace
