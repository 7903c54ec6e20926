#include "ui/framework/ch_app.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tests/ui/framework/framework_test_support.h"
#include "ui/framework/ch_window.h"

namespace {

constexpr DWORD kHiddenPopup = WS_POPUP;
constexpr UINT kProbe = WM_APP + 1;

class LoopApp : public CHApp {
 public:
  BOOL init_result = TRUE;
  int init_calls = 0;
  int exit_calls = 0;
  int main_messages = 0;

  BOOL InitInstance() override {
    ++init_calls;
    if (!init_result) return FALSE;
    if (!main_.Create(nullptr, 0, 0, kHiddenPopup, 0, L"main")) return FALSE;
    ::PostMessageW(main_.hwnd(), kProbe, 0, 0);
    ::PostQuitMessage(7);
    return TRUE;
  }
  void ExitInstance() override {
    ++exit_calls;
    main_messages = main_.probes;
    ::DestroyWindow(main_.hwnd());
  }
  CHWindow* GetMainWindow() override { return &main_; }

 private:
  class Main : public CHWindow {
   public:
    int probes = 0;
    LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
      if (message == kProbe) ++probes;
      return CHWindow::OnMessage(message, wparam, lparam);
    }
  };
  Main main_;
};

TEST(RunAppTest, RegistersRunsTheLoopAndReturnsTheQuitCode) {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  ::UnregisterClassW(kCHWindowClassName, instance);
  wchar_t command_line[] = L"a b";

  LoopApp app;
  EXPECT_EQ(7, RunApp(app, instance, nullptr, command_line, SW_SHOWMINIMIZED));
  EXPECT_EQ(1, app.init_calls);
  EXPECT_EQ(1, app.exit_calls);
  EXPECT_EQ(1, app.main_messages);
  EXPECT_EQ(SW_SHOWMINIMIZED, app.show_command());
  EXPECT_EQ(command_line, app.command_line());
  EXPECT_EQ(instance, app.instance());
  EXPECT_EQ(nullptr, app.previous_instance());

  WNDCLASSEXW info = {};
  info.cbSize = sizeof(info);
  ASSERT_TRUE(::GetClassInfoExW(instance, kCHWindowClassName, &info));
  EXPECT_EQ(static_cast<UINT>(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS), info.style);
  EXPECT_EQ(reinterpret_cast<HBRUSH>(COLOR_MENU + 1), info.hbrBackground);
  EXPECT_EQ(::LoadCursorW(nullptr, IDC_ARROW), info.hCursor);
  EXPECT_EQ(nullptr, info.hIcon);
  EXPECT_EQ(0, info.cbClsExtra);
  EXPECT_EQ(0, info.cbWndExtra);
}

TEST(RunAppTest, FailedRegistrationEndsWithZeroBeforeInitInstance) {
  ASSERT_TRUE(brindle::test::EnsureWindowClass());
  LoopApp app;
  EXPECT_EQ(0, RunApp(app, ::GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOW));
  EXPECT_EQ(0, app.init_calls);
  EXPECT_EQ(0, app.exit_calls);
}

TEST(RunAppTest, InitInstanceFailureEndsWithZeroWithoutTheLoop) {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  ::UnregisterClassW(kCHWindowClassName, instance);
  LoopApp app;
  app.init_result = FALSE;
  EXPECT_EQ(0, RunApp(app, instance, nullptr, nullptr, SW_SHOW));
  EXPECT_EQ(1, app.init_calls);
  EXPECT_EQ(0, app.exit_calls);
}

// Records the probe messages it is offered and dispatched, and consumes the
// one message it is told to.
class Probe : public CHWindow {
 public:
  Probe(std::vector<std::pair<Probe*, UINT>>* offers, UINT consumed)
      : offers_(offers), consumed_(consumed) {}
  std::vector<UINT> dispatched;
  std::vector<HWND> offered_for;

  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->message < WM_APP || msg->message > WM_APP + 100) return FALSE;
    offers_->emplace_back(this, msg->message);
    offered_for.push_back(msg->hwnd);
    return msg->message == consumed_;
  }
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
    if (message >= WM_APP && message <= WM_APP + 100) dispatched.push_back(message);
    return CHWindow::OnMessage(message, wparam, lparam);
  }

 private:
  std::vector<std::pair<Probe*, UINT>>* offers_;
  UINT consumed_;
};

class MessageLoopTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(brindle::test::EnsureWindowClass()); }

  // Runs the loop until the WM_QUIT posted after the messages already queued.
  WPARAM RunLoop() {
    ::PostQuitMessage(3);
    return app_.RunMessageLoop();
  }

  brindle::test::TestApp app_;
  std::vector<std::pair<Probe*, UINT>> offers_;
};

TEST_F(MessageLoopTest, ParentObjectPreTranslatesForAChildWithoutObject) {
  Probe parent(&offers_, 0);
  ASSERT_TRUE(parent.Create(nullptr, 0, 0, kHiddenPopup, 0, L"parent"));
  const HWND plain = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, parent.hwnd(),
                                       nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, plain);
  ASSERT_TRUE(::PostMessageW(plain, kProbe, 0, 0));

  EXPECT_EQ(3u, RunLoop());
  ASSERT_EQ(1u, offers_.size());
  EXPECT_EQ(&parent, offers_[0].first);
  EXPECT_EQ(plain, parent.offered_for.at(0));
}

TEST_F(MessageLoopTest, NearestObjectFirstAndConsumedMessagesAreNotDispatched) {
  constexpr UINT kParentConsumes = WM_APP + 2;
  constexpr UINT kChildConsumes = WM_APP + 3;
  constexpr UINT kNobodyConsumes = WM_APP + 4;
  Probe parent(&offers_, kParentConsumes);
  ASSERT_TRUE(parent.Create(nullptr, 0, 0, kHiddenPopup, 0, L"parent"));
  Probe child(&offers_, kChildConsumes);
  ASSERT_TRUE(child.Create(parent.hwnd(), 0, 0, WS_CHILD, 0, L"child"));
  for (UINT message : {kParentConsumes, kChildConsumes, kNobodyConsumes}) {
    ASSERT_TRUE(::PostMessageW(child.hwnd(), message, 0, 0));
  }

  EXPECT_EQ(3u, RunLoop());
  const std::vector<std::pair<Probe*, UINT>> expected = {
      {&child, kParentConsumes}, {&parent, kParentConsumes}, {&child, kChildConsumes},
      {&child, kNobodyConsumes}, {&parent, kNobodyConsumes},
  };
  EXPECT_EQ(expected, offers_);
  EXPECT_EQ(std::vector<UINT>{kNobodyConsumes}, child.dispatched);
  EXPECT_TRUE(parent.dispatched.empty());
}

TEST_F(MessageLoopTest, ExitInstanceRunsOnceAfterTheLoop) {
  class CountingApp : public brindle::test::TestApp {
   public:
    int exits = 0;
    void ExitInstance() override { ++exits; }
  } app;
  ::PostQuitMessage(11);
  EXPECT_EQ(11u, app.RunMessageLoop());
  EXPECT_EQ(1, app.exits);
}

}  // namespace
