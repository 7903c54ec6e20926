// Mouse, focus, keyboard, wheel and cursor routing from a host window through
// its element tree. Messages are sent to the real window procedure.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ui/framework/element_test_support.h"
#include "ui/framework/ui_object.h"

namespace brindle::test {
namespace {

using Log = std::vector<std::string>;

class ElementRoutingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.name = "host";
    host_.log = &log_;
    ASSERT_TRUE(host_.OpenHost(300, 200));
    // Two siblings side by side, and a pane with a nested child.
    a_ = AddProbe(&host_, "a", &log_, 10, 10, 50, 50);
    b_ = AddProbe(&host_, "b", &log_, 60, 10, 50, 50);
    pane_ = AddProbe(&host_, "pane", &log_, 150, 10, 100, 100);
    inner_ = AddProbe(pane_, "inner", &log_, 10, 10, 30, 30);  // (160, 20, 190, 50)
    log_.clear();
  }

  LRESULT Send(UINT message, WPARAM wparam, int x, int y) {
    return ::SendMessageW(host_.hwnd(), message, wparam, PointLParam(x, y));
  }
  void MoveTo(int x, int y) { Send(WM_MOUSEMOVE, 0, x, y); }
  void Click(int x, int y) {
    Send(WM_LBUTTONDOWN, MK_LBUTTON, x, y);
    Send(WM_LBUTTONUP, 0, x, y);
  }
  Log Take() { return std::exchange(log_, Log()); }

  Log log_;
  ProbeElement host_;
  ProbeElement* a_ = nullptr;
  ProbeElement* b_ = nullptr;
  ProbeElement* pane_ = nullptr;
  ProbeElement* inner_ = nullptr;
};

TEST_F(ElementRoutingTest, PointerMovesEnterMoveAndLeaveInOrder) {
  MoveTo(20, 20);
  EXPECT_EQ(Take(), (Log{"host:enter", "a:enter", "a:move", "host:move"}));
  EXPECT_TRUE(host_.hovered());
  EXPECT_TRUE(a_->hovered());

  // Inside the same child only the child moves.
  MoveTo(25, 25);
  EXPECT_EQ(Take(), (Log{"a:move"}));

  // From one sibling to the next: leave before enter.
  MoveTo(70, 20);
  EXPECT_EQ(Take(), (Log{"a:leave", "b:enter", "b:move", "host:move"}));
  EXPECT_FALSE(a_->hovered());
  EXPECT_EQ(host_.hover_child(), b_);

  // Onto the host's own background.
  MoveTo(130, 150);
  EXPECT_EQ(Take(), (Log{"b:leave", "host:move"}));
  EXPECT_EQ(host_.hover_child(), nullptr);
  MoveTo(131, 150);
  EXPECT_EQ(Take(), (Log{"host:move"}));
}

TEST_F(ElementRoutingTest, DeepestHoveredElementFollowsTheHoverChain) {
  MoveTo(170, 30);
  EXPECT_EQ(Take(), (Log{"host:enter", "pane:enter", "inner:enter", "inner:move", "pane:move",
                         "host:move"}));
  EXPECT_EQ(host_.hover_child(), pane_);
  EXPECT_EQ(pane_->hover_child(), inner_);
  EXPECT_EQ(DeepestHovered(&host_), inner_);

  // Out of the inner child but still in the pane.
  MoveTo(230, 90);
  EXPECT_EQ(Take(), (Log{"inner:leave", "pane:move"}));
  EXPECT_EQ(DeepestHovered(&host_), pane_);
}

TEST_F(ElementRoutingTest, MouseLeaveClearsTheWholeHoverChain) {
  MoveTo(170, 30);
  Take();
  ::SendMessageW(host_.hwnd(), WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(Take(), (Log{"host:leave", "pane:leave", "inner:leave"}));
  for (UIObject* element : {static_cast<UIObject*>(&host_), static_cast<UIObject*>(pane_),
                            static_cast<UIObject*>(inner_)}) {
    EXPECT_FALSE(element->hovered());
    EXPECT_EQ(element->hover_child(), nullptr);
  }
  EXPECT_EQ(DeepestHovered(&host_), nullptr);
  // Coming back enters again.
  MoveTo(170, 30);
  EXPECT_EQ(Take().front(), "host:enter");
}

TEST_F(ElementRoutingTest, OverlappingChildrenHitTheLaterOne) {
  ProbeElement* top = AddProbe(&host_, "top", &log_, 40, 40, 50, 50);
  EXPECT_EQ(HitTestChildren(&host_, POINT{45, 45}), top);
  EXPECT_EQ(HitTestChildren(&host_, POINT{20, 20}), a_);
  // Right and bottom edges are outside.
  EXPECT_EQ(HitTestChildren(&host_, POINT{109, 20}), b_);
  EXPECT_EQ(HitTestChildren(&host_, POINT{110, 20}), nullptr);
  EXPECT_EQ(HitTestChildren(&host_, POINT{20, 60}), nullptr);
  // A child the pointer moves onto from beneath leaves the covered one.
  MoveTo(20, 20);
  Take();
  MoveTo(45, 45);
  EXPECT_EQ(Take(), (Log{"a:move", "a:leave", "top:enter", "top:move", "host:move"}));
  EXPECT_FALSE(a_->hovered());
}

TEST_F(ElementRoutingTest, HiddenElementsAreNotHitAndLoseTheirHover) {
  MoveTo(20, 20);
  Take();
  SetVisible(a_, false);
  EXPECT_EQ(HitTestChildren(&host_, POINT{20, 20}), nullptr);
  MoveTo(21, 20);
  EXPECT_EQ(Take(), (Log{"a:move", "a:leave", "host:move"}));
  EXPECT_FALSE(a_->hovered());
}

TEST_F(ElementRoutingTest, PressMovesTheFocusAndDeliversTheButton) {
  MoveTo(20, 20);
  Take();
  Click(20, 20);
  EXPECT_EQ(Take(), (Log{"a:setfocus<-null", "a:ldown", "a:lup"}));
  EXPECT_EQ(host_.focus_child(), a_);

  // Pressing the focused element again does not refocus it.
  Click(20, 20);
  EXPECT_EQ(Take(), (Log{"a:ldown", "a:lup"}));

  MoveTo(70, 20);
  Take();
  Click(70, 20);
  EXPECT_EQ(Take(), (Log{"a:killfocus->b", "b:setfocus<-a", "b:ldown", "b:lup"}));
  EXPECT_EQ(host_.focus_child(), b_);

  // A press on the background takes the focus from the elements.
  MoveTo(130, 150);
  Take();
  Click(130, 150);
  EXPECT_EQ(Take(), (Log{"b:killfocus->null", "host:ldown", "host:lup"}));
  EXPECT_EQ(host_.focus_child(), nullptr);
}

TEST_F(ElementRoutingTest, DisabledElementsGetNeitherFocusNorButtons) {
  MoveTo(20, 20);
  Click(20, 20);
  b_->set_enabled(false);
  MoveTo(70, 20);
  Take();
  Click(70, 20);
  Send(WM_RBUTTONUP, 0, 70, 20);
  EXPECT_EQ(Take(), (Log{"host:rup"}));  // The host's own handler; b gets nothing.
  EXPECT_EQ(host_.focus_child(), a_);
  // Hover is tracked for disabled elements all the same.
  EXPECT_TRUE(b_->hovered());
}

TEST_F(ElementRoutingTest, KeysGoToTheFocusChildOrTheHost) {
  Send(WM_KEYDOWN, VK_SPACE, 0, 0);
  Send(WM_CHAR, L' ', 0, 0);
  EXPECT_EQ(Take(), (Log{"host:keydown", "host:char"}));

  MoveTo(170, 30);
  Click(170, 30);
  Take();
  Send(WM_KEYDOWN, VK_SPACE, 0, 0);
  Send(WM_CHAR, L' ', 0, 0);
  Send(WM_KEYUP, VK_SPACE, 0, 0);
  // Keys reach the focused element even when the pointer is elsewhere.
  MoveTo(20, 20);
  Take();
  Send(WM_KEYDOWN, VK_RETURN, 0, 0);
  EXPECT_EQ(Take(), (Log{"inner:keydown"}));

  // The flags are not consulted for keys.
  inner_->set_enabled(false);
  Send(WM_KEYDOWN, VK_RETURN, 0, 0);
  EXPECT_EQ(Take(), (Log{"inner:keydown"}));
}

TEST_F(ElementRoutingTest, RightButtonsForwardToTheDeepestHoveredElement) {
  MoveTo(170, 30);
  Take();
  Send(WM_RBUTTONUP, 0, 170, 30);
  EXPECT_EQ(Take(), (Log{"host:rup", "inner:rup"}));
}

TEST_F(ElementRoutingTest, WheelGoesToTheParentAndThenTheElement) {
  MoveTo(170, 30);
  Take();
  const WPARAM down = MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA));
  ::SendMessageW(host_.hwnd(), WM_MOUSEWHEEL, down, PointLParam(500, 400));
  EXPECT_EQ(Take(), (Log{"pane:wheel", "inner:wheel"}));
  ASSERT_EQ(inner_->wheel_deltas.size(), 1u);
  EXPECT_EQ(inner_->wheel_deltas[0], 0xFF88u);  // Bit 0x8000: towards the user.

  inner_->set_enabled(false);
  ::SendMessageW(host_.hwnd(), WM_MOUSEWHEEL, down, PointLParam(500, 400));
  EXPECT_EQ(Take(), Log{});

  ::SendMessageW(host_.hwnd(), WM_MOUSELEAVE, 0, 0);
  Take();
  ::SendMessageW(host_.hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), PointLParam(500, 400));
  EXPECT_EQ(Take(), (Log{"host:wheel"}));
  EXPECT_EQ(host_.wheel_deltas.back(), 120u);
}

TEST_F(ElementRoutingTest, CursorOfTheHoveredElementIsShown) {
  const HCURSOR hand = ::LoadCursorW(nullptr, IDC_HAND);
  const HCURSOR arrow = ::LoadCursorW(nullptr, IDC_ARROW);
  a_->set_cursor(hand);
  MoveTo(20, 20);
  ::SetCursor(arrow);
  const LPARAM client = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
  EXPECT_EQ(
      ::SendMessageW(host_.hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(host_.hwnd()), client),
      1);
  EXPECT_EQ(::GetCursor(), hand);

  // Disabled, or without a cursor of its own: the element leaves it alone.
  ::SetCursor(arrow);
  a_->set_enabled(false);
  ::SendMessageW(host_.hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(host_.hwnd()), client);
  EXPECT_NE(::GetCursor(), hand);
  MoveTo(70, 20);
  EXPECT_FALSE(host_.OnSetCursor());
}

// The system's own pointer: moving it over the shown window and away again
// produces the moves and the leave notification requested from the system.
TEST_F(ElementRoutingTest, RealPointerLeavingTheWindowClearsTheHover) {
  ::SetWindowPos(host_.hwnd(), HWND_TOPMOST, 100, 100, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  ::SetCursorPos(120, 120);  // Over a (10..60, 10..60 in the client).
  ASSERT_TRUE(PumpUntil([&] { return a_->hovered(); }));
  ::SetCursorPos(700, 600);  // Off the window.
  EXPECT_TRUE(PumpUntil([&] { return !host_.hovered(); }));
  EXPECT_FALSE(a_->hovered());
  EXPECT_EQ(host_.hover_child(), nullptr);
}

}  // namespace
}  // namespace brindle::test
