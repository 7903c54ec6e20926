#include "ui/framework/ch_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ui/framework/framework_test_support.h"

namespace {

// Every message handler with its message, in slot order.
#define BRINDLE_MESSAGE_HANDLERS(X)              \
  X(HandlePaint, WM_PAINT)                       \
  X(HandleNcPaint, WM_NCPAINT)                   \
  X(HandleEraseBkgnd, WM_ERASEBKGND)             \
  X(HandleMouseMove, WM_MOUSEMOVE)               \
  X(HandleNcHitTest, WM_NCHITTEST)               \
  X(HandleNcMouseMove, WM_NCMOUSEMOVE)           \
  X(HandleSetCursor, WM_SETCURSOR)               \
  X(HandleNcLButtonUp, WM_NCLBUTTONUP)           \
  X(HandleNcLButtonDown, WM_NCLBUTTONDOWN)       \
  X(HandleNcLButtonDblClk, WM_NCLBUTTONDBLCLK)   \
  X(HandleNcRButtonUp, WM_NCRBUTTONUP)           \
  X(HandleNcRButtonDown, WM_NCRBUTTONDOWN)       \
  X(HandleNcRButtonDblClk, WM_NCRBUTTONDBLCLK)   \
  X(HandleNcCalcSize, WM_NCCALCSIZE)             \
  X(HandleWindowPosChanged, WM_WINDOWPOSCHANGED) \
  X(HandleLButtonUp, WM_LBUTTONUP)               \
  X(HandleLButtonDown, WM_LBUTTONDOWN)           \
  X(HandleLButtonDblClk, WM_LBUTTONDBLCLK)       \
  X(HandleRButtonUp, WM_RBUTTONUP)               \
  X(HandleRButtonDown, WM_RBUTTONDOWN)           \
  X(HandleRButtonDblClk, WM_RBUTTONDBLCLK)       \
  X(HandleCommand, WM_COMMAND)                   \
  X(HandleKeyUp, WM_KEYUP)                       \
  X(HandleKeyDown, WM_KEYDOWN)                   \
  X(HandleSize, WM_SIZE)                         \
  X(HandleNotify, WM_NOTIFY)                     \
  X(HandleHotKey, WM_HOTKEY)                     \
  X(HandleTimer, WM_TIMER)                       \
  X(HandleHScroll, WM_HSCROLL)                   \
  X(HandleVScroll, WM_VSCROLL)                   \
  X(HandleDrawItem, WM_DRAWITEM)                 \
  X(HandleMeasureItem, WM_MEASUREITEM)           \
  X(HandleChar, WM_CHAR)                         \
  X(HandleDropFiles, WM_DROPFILES)               \
  X(HandleSetFocus, WM_SETFOCUS)                 \
  X(HandleKillFocus, WM_KILLFOCUS)               \
  X(HandleMouseWheel, WM_MOUSEWHEEL)             \
  X(HandleMouseHover, WM_MOUSEHOVER)             \
  X(HandleMouseLeave, WM_MOUSELEAVE)             \
  X(HandleGetMinMaxInfo, WM_GETMINMAXINFO)       \
  X(HandleShowWindow, WM_SHOWWINDOW)             \
  X(HandleSysCommand, WM_SYSCOMMAND)             \
  X(HandleNcActivate, WM_NCACTIVATE)             \
  X(HandleCreate, WM_CREATE)                     \
  X(HandleDestroy, WM_DESTROY)                   \
  X(HandleClose, WM_CLOSE)                       \
  X(HandleNcCreate, WM_NCCREATE)                 \
  X(HandleNcDestroy, WM_NCDESTROY)

struct Call {
  std::string handler;
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
};

// Records every handler call. While `intercept` is set the handlers answer
// 1000 + message themselves; otherwise they do the base processing.
class RecordingWindow : public CHWindow {
 public:
  bool intercept = false;
  std::vector<Call> calls;

#define BRINDLE_RECORD(handler, message)                   \
  LRESULT handler(WPARAM wparam, LPARAM lparam) override { \
    calls.push_back({#handler, message, wparam, lparam});  \
    if (intercept) return 1000 + message;                  \
    return CHWindow::handler(wparam, lparam);              \
  }
  BRINDLE_MESSAGE_HANDLERS(BRINDLE_RECORD)
#undef BRINDLE_RECORD

  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
    calls.push_back({"OnMessage", message, wparam, lparam});
    return CHWindow::OnMessage(message, wparam, lparam);
  }

  bool Called(const std::string& handler) const {
    for (const Call& call : calls) {
      if (call.handler == handler) return true;
    }
    return false;
  }
};

struct HandlerCase {
  const char* handler;
  UINT message;
};

#define BRINDLE_CASE(handler, message) {#handler, message},
const HandlerCase kHandlerCases[] = {BRINDLE_MESSAGE_HANDLERS(BRINDLE_CASE)};
#undef BRINDLE_CASE

constexpr DWORD kHiddenPopup = WS_POPUP;

class CHWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(brindle::test::EnsureWindowClass()); }
};

// The pointer-carrying messages get valid structures, so that the routing
// itself (which reads WINDOWPOS and NMHDR) sees what the system would send.
LPARAM ParameterFor(UINT message) {
  static WINDOWPOS pos = {nullptr, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE};
  static NMHDR header = {nullptr, 0, 0};
  static RECT rects[3] = {};
  static CREATESTRUCTW create = {};
  static MINMAXINFO minmax = {};
  static DRAWITEMSTRUCT draw = {};
  static MEASUREITEMSTRUCT measure = {};
  switch (message) {
    case WM_WINDOWPOSCHANGED:
      return reinterpret_cast<LPARAM>(&pos);
    case WM_NOTIFY:
      return reinterpret_cast<LPARAM>(&header);
    case WM_NCCALCSIZE:
      return reinterpret_cast<LPARAM>(rects);
    case WM_CREATE:
    case WM_NCCREATE:
      return reinterpret_cast<LPARAM>(&create);
    case WM_GETMINMAXINFO:
      return reinterpret_cast<LPARAM>(&minmax);
    case WM_DRAWITEM:
      return reinterpret_cast<LPARAM>(&draw);
    case WM_MEASUREITEM:
      return reinterpret_cast<LPARAM>(&measure);
    default:
      return 0x00050007;
  }
}

TEST_F(CHWindowTest, EveryHandlerReceivesItsMessageWithParametersAndResult) {
  RecordingWindow window;
  ASSERT_TRUE(window.Create(nullptr, 0, 0, kHiddenPopup, 0, L"routing"));
  const HWND handle = window.hwnd();
  window.intercept = true;
  for (const HandlerCase& c : kHandlerCases) {
    SCOPED_TRACE(c.handler);
    window.calls.clear();
    const LPARAM lparam = ParameterFor(c.message);
    const LRESULT result = ::SendMessageW(handle, c.message, 0x11, lparam);
    EXPECT_EQ(static_cast<LRESULT>(1000 + c.message), result);
    ASSERT_EQ(1u, window.calls.size());
    EXPECT_EQ(c.handler, window.calls[0].handler);
    EXPECT_EQ(0x11u, window.calls[0].wparam);
    EXPECT_EQ(lparam, window.calls[0].lparam);
  }
  // The WM_NCDESTROY of the table detached the object from the still
  // existing window.
  EXPECT_EQ(nullptr, window.hwnd());
  EXPECT_EQ(nullptr, ::GetPropW(handle, kCHWindowProperty));
  EXPECT_TRUE(::DestroyWindow(handle));
}

TEST_F(CHWindowTest, MessagesWithoutHandlerReachOnMessage) {
  RecordingWindow window;
  ASSERT_TRUE(window.Create(nullptr, 0, 0, kHiddenPopup, 0, L"other"));
  window.calls.clear();
  ::SendMessageW(window.hwnd(), WM_APP + 3, 5, 6);
  ASSERT_EQ(1u, window.calls.size());
  EXPECT_EQ("OnMessage", window.calls[0].handler);
  EXPECT_EQ(static_cast<UINT>(WM_APP + 3), window.calls[0].message);
  EXPECT_EQ(5u, window.calls[0].wparam);
  EXPECT_EQ(6, window.calls[0].lparam);
}

// Sees whether the property is already in place when the first handler runs.
class CreationWindow : public RecordingWindow {
 public:
  bool property_at_nccreate = false;
  LRESULT HandleNcCreate(WPARAM wparam, LPARAM lparam) override {
    property_at_nccreate = FromHandle(hwnd()) == this;
    return RecordingWindow::HandleNcCreate(wparam, lparam);
  }
};

TEST_F(CHWindowTest, PropertyLivesFromCreationToDestruction) {
  CreationWindow window;
  ASSERT_TRUE(window.Create(nullptr, 0, 0, kHiddenPopup, 0, L"lifetime"));
  const HWND handle = window.hwnd();
  EXPECT_TRUE(window.property_at_nccreate);
  EXPECT_TRUE(window.Called("HandleCreate"));
  EXPECT_EQ(&window, ::GetPropW(handle, kCHWindowProperty));
  EXPECT_EQ(&window, CHWindow::FromHandle(handle));
  RECT rect;
  ASSERT_TRUE(::GetWindowRect(handle, &rect));
  EXPECT_EQ(0, rect.right - rect.left);
  EXPECT_EQ(0, rect.bottom - rect.top);

  ASSERT_TRUE(::DestroyWindow(handle));
  EXPECT_TRUE(window.Called("HandleDestroy"));
  EXPECT_TRUE(window.Called("HandleNcDestroy"));
  EXPECT_EQ(nullptr, window.hwnd());
  EXPECT_EQ(nullptr, window.Detach());
}

TEST_F(CHWindowTest, CreateWithoutWindowLeavesHandleNull) {
  CHWindow window;
  // A child window needs a parent; this creation fails.
  EXPECT_FALSE(window.Create(nullptr, 0, 0, WS_CHILD, 0, L"orphan"));
  EXPECT_EQ(nullptr, window.hwnd());
}

class DestroyProbe : public CHWindow {
 public:
  explicit DestroyProbe(bool* destroyed_seen) : destroyed_seen_(destroyed_seen) {}
  LRESULT HandleDestroy(WPARAM wparam, LPARAM lparam) override {
    *destroyed_seen_ = true;
    return CHWindow::HandleDestroy(wparam, lparam);
  }

 private:
  bool* destroyed_seen_;
};

TEST_F(CHWindowTest, DeletingTheObjectDestroysTheWindowWithoutCallingIt) {
  bool destroyed_seen = false;
  auto* window = new DestroyProbe(&destroyed_seen);
  ASSERT_TRUE(window->Create(nullptr, 0, 0, kHiddenPopup, 0, L"owned"));
  const HWND handle = window->hwnd();
  delete window;
  EXPECT_FALSE(::IsWindow(handle));
  EXPECT_FALSE(destroyed_seen);
}

class PosWindow : public CHWindow {
 public:
  int pos_changes = 0;
  void OnPosChanged() override { ++pos_changes; }
};

TEST_F(CHWindowTest, OnPosChangedOnlyWhenTheSizeMayHaveChanged) {
  PosWindow window;
  ASSERT_TRUE(window.Create(nullptr, 10, 10, kHiddenPopup, 0, L"pos"));
  window.pos_changes = 0;
  ASSERT_TRUE(::SetWindowPos(window.hwnd(), nullptr, 0, 0, 120, 80,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
  EXPECT_EQ(1, window.pos_changes);
  ASSERT_TRUE(::SetWindowPos(window.hwnd(), HWND_BOTTOM, 0, 0, 0, 0,
                             SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE));
  EXPECT_EQ(1, window.pos_changes);
}

class NotifyWindow : public CHWindow {
 public:
  static constexpr UINT kReflectedCode = 0x4242;
  int parent_notifies = 0;
  int reflected = 0;
  LRESULT HandleNotify(WPARAM, LPARAM) override {
    ++parent_notifies;
    return 5;
  }
  LRESULT ReflectNotify(NMHDR* header) override {
    ++reflected;
    return header->code == kReflectedCode ? 77 : 0;
  }
};

TEST_F(CHWindowTest, NotificationsReflectToTheSourceObjectFirst) {
  NotifyWindow parent;
  ASSERT_TRUE(parent.Create(nullptr, 0, 0, kHiddenPopup, 0, L"parent"));
  NotifyWindow child;
  ASSERT_TRUE(child.Create(parent.hwnd(), 0, 0, WS_CHILD, 0, L"child"));
  const HWND plain = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, parent.hwnd(),
                                       nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, plain);

  NMHDR reflected = {child.hwnd(), 1, NotifyWindow::kReflectedCode};
  EXPECT_EQ(77, ::SendMessageW(parent.hwnd(), WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&reflected)));
  EXPECT_EQ(1, child.reflected);
  EXPECT_EQ(0, parent.parent_notifies);

  NMHDR declined = {child.hwnd(), 1, 0x4343};
  EXPECT_EQ(5, ::SendMessageW(parent.hwnd(), WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&declined)));
  EXPECT_EQ(2, child.reflected);
  EXPECT_EQ(1, parent.parent_notifies);

  // A control without object: straight to the parent's handler.
  NMHDR from_plain = {plain, 2, NotifyWindow::kReflectedCode};
  EXPECT_EQ(5, ::SendMessageW(parent.hwnd(), WM_NOTIFY, 2, reinterpret_cast<LPARAM>(&from_plain)));
  EXPECT_EQ(2, child.reflected);
  EXPECT_EQ(2, parent.parent_notifies);
}

// A window class of its own, standing for a window made by someone else.
int g_plain_app_messages = 0;

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_APP) {
    ++g_plain_app_messages;
    return 31;
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}

HWND CreatePlainWindow() {
  static const ATOM atom = [] {
    WNDCLASSEXW window_class = {};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = PlainProc;
    window_class.hInstance = ::GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"BrindlePlainTestWindow";
    return ::RegisterClassExW(&window_class);
  }();
  if (!atom) return nullptr;
  return ::CreateWindowExW(0, L"BrindlePlainTestWindow", L"plain", WS_POPUP, 0, 0, 10, 10, nullptr,
                           nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

class AttachWindow : public RecordingWindow {
 public:
  int attached = 0;
  int detached = 0;
  void OnAttached() override { ++attached; }
  void OnDetached() override { ++detached; }
};

TEST_F(CHWindowTest, AttachSubclassesAnExistingWindowAndDetachRestoresIt) {
  const HWND plain = CreatePlainWindow();
  ASSERT_NE(nullptr, plain);
  const LONG_PTR original = ::GetWindowLongPtrW(plain, GWLP_WNDPROC);

  AttachWindow window;
  ASSERT_TRUE(window.Attach(plain));
  EXPECT_EQ(1, window.attached);
  EXPECT_EQ(plain, window.hwnd());
  EXPECT_EQ(&window, ::GetPropW(plain, kCHWindowProperty));
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(CHWindowProc), ::GetWindowLongPtrW(plain, GWLP_WNDPROC));

  // The object sees the message first, then the window's own procedure.
  g_plain_app_messages = 0;
  EXPECT_EQ(31, ::SendMessageW(plain, WM_APP, 0, 0));
  EXPECT_TRUE(window.Called("OnMessage"));
  EXPECT_EQ(1, g_plain_app_messages);

  AttachWindow second;
  EXPECT_FALSE(second.Attach(plain));
  EXPECT_EQ(nullptr, second.hwnd());
  EXPECT_EQ(0, second.attached);

  EXPECT_EQ(plain, window.Detach());
  EXPECT_EQ(1, window.detached);
  EXPECT_EQ(nullptr, window.hwnd());
  EXPECT_EQ(nullptr, ::GetPropW(plain, kCHWindowProperty));
  EXPECT_EQ(original, ::GetWindowLongPtrW(plain, GWLP_WNDPROC));
  window.calls.clear();
  EXPECT_EQ(31, ::SendMessageW(plain, WM_APP, 0, 0));
  EXPECT_TRUE(window.calls.empty());

  EXPECT_EQ(nullptr, window.Detach());
  EXPECT_EQ(1, window.detached);
  ::DestroyWindow(plain);
}

// A window of our own class created without an object runs CHWindowProc
// already; the object calls on to the default processing, not to itself.
TEST_F(CHWindowTest, AttachToAnObjectlessWindowOfOurClassCallsOnToTheDefault) {
  const HWND own = ::CreateWindowExW(0, kCHWindowClassName, L"own", WS_POPUP, 0, 0, 10, 10, nullptr,
                                     nullptr, ::GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(nullptr, own);
  AttachWindow window;
  ASSERT_TRUE(window.Attach(own));
  EXPECT_EQ(reinterpret_cast<WNDPROC>(::DefWindowProcW), window.previous_proc());
  EXPECT_TRUE(::SetWindowTextW(own, L"renamed"));
  wchar_t title[16] = {};
  ::GetWindowTextW(own, title, 16);
  EXPECT_STREQ(L"renamed", title);
  EXPECT_TRUE(window.Called("OnMessage"));
  EXPECT_EQ(own, window.Detach());
  EXPECT_EQ(0, ::SendMessageW(own, WM_APP, 0, 0));
  ::DestroyWindow(own);
}

TEST_F(CHWindowTest, AttachRefusesWhatIsNotAWindow) {
  CHWindow window;
  EXPECT_FALSE(window.Attach(nullptr));
  const HWND plain = CreatePlainWindow();
  ASSERT_NE(nullptr, plain);
  ASSERT_TRUE(::DestroyWindow(plain));
  EXPECT_FALSE(window.Attach(plain));
  EXPECT_EQ(nullptr, window.hwnd());
}

// The owner detaches itself while its modal dialog runs.
constexpr UINT kDetachNow = WM_APP + 20;
constexpr UINT_PTR kGuardTimer = 1;
constexpr INT_PTR kGuardResult = 99;

class ModalOwner : public CHWindow {
 public:
  HWND dialog = nullptr;
  bool property_seen = false;
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
    if (message == kDetachNow) {
      Detach();
      return 0;
    }
    return CHWindow::OnMessage(message, wparam, lparam);
  }
};

INT_PTR CALLBACK ModalProc(HWND dialog, UINT message, WPARAM, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* owner = reinterpret_cast<ModalOwner*>(lparam);
    owner->dialog = dialog;
    owner->SetLastModal(dialog);
    owner->property_seen = ::GetPropW(owner->hwnd(), kLastModalProperty) == dialog;
    ::PostMessageW(owner->hwnd(), kDetachNow, 0, 0);
    // Ends the dialog should the detach never come, so a failure cannot hang.
    ::SetTimer(dialog, kGuardTimer, 10000, nullptr);
    return TRUE;
  }
  if (message == WM_TIMER) ::EndDialog(dialog, kGuardResult);
  return FALSE;
}

// An empty dialog template: no menu, default class, no title, no controls.
struct EmptyDialog {
  DLGTEMPLATE header;
  WORD menu;
  WORD window_class;
  WORD title;
};

TEST_F(CHWindowTest, DetachEndsTheRecordedModalDialogWithCancel) {
  ModalOwner owner;
  ASSERT_TRUE(owner.Create(nullptr, 0, 0, kHiddenPopup, 0, L"modal owner"));
  const HWND handle = owner.hwnd();
  alignas(4) EmptyDialog dialog = {};
  dialog.header.style = WS_POPUP | DS_MODALFRAME;
  dialog.header.cx = 40;
  dialog.header.cy = 20;
  const INT_PTR result =
      ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), &dialog.header, handle, ModalProc,
                                reinterpret_cast<LPARAM>(&owner));
  EXPECT_TRUE(owner.property_seen);
  EXPECT_EQ(IDCANCEL, result);
  EXPECT_EQ(nullptr, ::GetPropW(handle, kLastModalProperty));
  EXPECT_EQ(nullptr, owner.hwnd());
  EXPECT_FALSE(::IsWindow(owner.dialog));
  ::DestroyWindow(handle);
}

TEST_F(CHWindowTest, ClearLastModalForgetsTheDialog) {
  CHWindow owner;
  ASSERT_TRUE(owner.Create(nullptr, 0, 0, kHiddenPopup, 0, L"modal owner"));
  CHWindow other;
  ASSERT_TRUE(other.Create(nullptr, 0, 0, kHiddenPopup, 0, L"not a dialog"));
  owner.SetLastModal(other.hwnd());
  owner.ClearLastModal();
  EXPECT_EQ(nullptr, ::GetPropW(owner.hwnd(), kLastModalProperty));
  const HWND other_handle = other.hwnd();
  owner.Detach();
  EXPECT_TRUE(::IsWindow(other_handle));
}

RECT RectInParent(HWND window) {
  RECT rect;
  ::GetWindowRect(window, &rect);
  ::MapWindowPoints(nullptr, ::GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void ExpectRect(const RECT& expected, const RECT& actual) {
  EXPECT_EQ(expected.left, actual.left);
  EXPECT_EQ(expected.top, actual.top);
  EXPECT_EQ(expected.right, actual.right);
  EXPECT_EQ(expected.bottom, actual.bottom);
}

TEST_F(CHWindowTest, ResizeKeepsTheCornerAndCenterCentres) {
  CHWindow top;
  ASSERT_TRUE(top.Create(nullptr, 100, 60, kHiddenPopup, 0, L"top"));
  top.ResizeWindow(300, 200);
  RECT rect;
  ASSERT_TRUE(::GetWindowRect(top.hwnd(), &rect));
  ExpectRect({100, 60, 400, 260}, rect);

  CHWindow child;
  ASSERT_TRUE(child.Create(top.hwnd(), 10, 20, WS_CHILD | WS_BORDER, 0, L"child"));
  child.ResizeWindow(100, 80);
  ExpectRect({10, 20, 110, 100}, RectInParent(child.hwnd()));

  // A child of a child with a border keeps its corner in the client area.
  CHWindow grandchild;
  ASSERT_TRUE(grandchild.Create(child.hwnd(), 5, 6, WS_CHILD, 0, L"grandchild"));
  grandchild.ResizeWindow(30, 20);
  ExpectRect({5, 6, 35, 26}, RectInParent(grandchild.hwnd()));

  child.CenterWindow();
  ExpectRect({100, 60, 200, 140}, RectInParent(child.hwnd()));

  RECT screen;
  ASSERT_TRUE(::GetWindowRect(::GetDesktopWindow(), &screen));
  top.CenterWindow();
  ASSERT_TRUE(::GetWindowRect(top.hwnd(), &rect));
  const int left = screen.left + (screen.right - screen.left - 300) / 2;
  const int top_edge = screen.top + (screen.bottom - screen.top - 200) / 2;
  ExpectRect({left, top_edge, left + 300, top_edge + 200}, rect);
}

TEST_F(CHWindowTest, ModifyExStyleReportsWhetherItChanged) {
  CHWindow window;
  ASSERT_TRUE(window.Create(nullptr, 0, 0, kHiddenPopup, 0, L"styles"));
  EXPECT_TRUE(window.ModifyExStyle(0, WS_EX_TOOLWINDOW));
  EXPECT_TRUE(::GetWindowLongW(window.hwnd(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(window.ModifyExStyle(0, WS_EX_TOOLWINDOW));
  EXPECT_TRUE(window.ModifyExStyle(WS_EX_TOOLWINDOW, 0));
  EXPECT_FALSE(::GetWindowLongW(window.hwnd(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
}

}  // namespace
