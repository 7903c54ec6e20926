#include "ui/framework/ch_window.h"

#include "ui/framework/dpi_awareness.h"

namespace {

bool IsChildStyle(HWND window) { return (::GetWindowLongW(window, GWL_STYLE) & WS_CHILD) != 0; }

// WINDOWPOS flags after which the position or size may have changed.
constexpr UINT kNoSizeOrNoCopyBits = SWP_NOSIZE | SWP_NOCOPYBITS;

LONG_PTR ProcAsLong(WNDPROC proc) { return reinterpret_cast<LONG_PTR>(proc); }

// The object passed as creation parameter by CHWindow::Create; null for a
// window of this class created without one.
CHWindow* ObjectFromCreateParams(UINT message, LPARAM lparam) {
  if (message != WM_NCCREATE && message != WM_CREATE) return nullptr;
  const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
  return create ? static_cast<CHWindow*>(create->lpCreateParams) : nullptr;
}

}  // namespace

CHWindow* CHWindow::FromHandle(HWND window) {
  return static_cast<CHWindow*>(::GetPropW(window, kCHWindowProperty));
}

LRESULT CALLBACK CHWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  CHWindow* object = CHWindow::FromHandle(window);
  if (!object) {
    object = ObjectFromCreateParams(message, lparam);
    if (!object) return ::DefWindowProcW(window, message, wparam, lparam);
    object->hwnd_ = window;
    ::SetPropW(window, kCHWindowProperty, object);
  }
  return object->Route(message, wparam, lparam);
}

LRESULT CHWindow::Route(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT:
      return HandlePaint(wparam, lparam);
    case WM_NCPAINT:
      return HandleNcPaint(wparam, lparam);
    case WM_ERASEBKGND:
      return HandleEraseBkgnd(wparam, lparam);
    case WM_MOUSEMOVE:
      return HandleMouseMove(wparam, lparam);
    case WM_NCHITTEST:
      return HandleNcHitTest(wparam, lparam);
    case WM_NCMOUSEMOVE:
      return HandleNcMouseMove(wparam, lparam);
    case WM_SETCURSOR:
      return HandleSetCursor(wparam, lparam);
    case WM_NCLBUTTONUP:
      return HandleNcLButtonUp(wparam, lparam);
    case WM_NCLBUTTONDOWN:
      return HandleNcLButtonDown(wparam, lparam);
    case WM_NCLBUTTONDBLCLK:
      return HandleNcLButtonDblClk(wparam, lparam);
    case WM_NCRBUTTONUP:
      return HandleNcRButtonUp(wparam, lparam);
    case WM_NCRBUTTONDOWN:
      return HandleNcRButtonDown(wparam, lparam);
    case WM_NCRBUTTONDBLCLK:
      return HandleNcRButtonDblClk(wparam, lparam);
    case WM_NCCALCSIZE:
      return HandleNcCalcSize(wparam, lparam);
    case WM_WINDOWPOSCHANGED: {
      const LRESULT result = HandleWindowPosChanged(wparam, lparam);
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(lparam);
      if (pos && (pos->flags & kNoSizeOrNoCopyBits) == 0) OnPosChanged();
      return result;
    }
    case WM_LBUTTONUP:
      return HandleLButtonUp(wparam, lparam);
    case WM_LBUTTONDOWN:
      return HandleLButtonDown(wparam, lparam);
    case WM_LBUTTONDBLCLK:
      return HandleLButtonDblClk(wparam, lparam);
    case WM_RBUTTONUP:
      return HandleRButtonUp(wparam, lparam);
    case WM_RBUTTONDOWN:
      return HandleRButtonDown(wparam, lparam);
    case WM_RBUTTONDBLCLK:
      return HandleRButtonDblClk(wparam, lparam);
    case WM_COMMAND:
      return HandleCommand(wparam, lparam);
    case WM_KEYUP:
      return HandleKeyUp(wparam, lparam);
    case WM_KEYDOWN:
      return HandleKeyDown(wparam, lparam);
    case WM_SIZE:
      return HandleSize(wparam, lparam);
    case WM_NOTIFY:
      return RouteNotify(wparam, lparam);
    case WM_HOTKEY:
      return HandleHotKey(wparam, lparam);
    case WM_TIMER:
      return HandleTimer(wparam, lparam);
    case WM_HSCROLL:
      return HandleHScroll(wparam, lparam);
    case WM_VSCROLL:
      return HandleVScroll(wparam, lparam);
    case WM_DRAWITEM:
      return HandleDrawItem(wparam, lparam);
    case WM_MEASUREITEM:
      return HandleMeasureItem(wparam, lparam);
    case WM_CHAR:
      return HandleChar(wparam, lparam);
    case WM_DROPFILES:
      return HandleDropFiles(wparam, lparam);
    case WM_SETFOCUS:
      return HandleSetFocus(wparam, lparam);
    case WM_KILLFOCUS:
      return HandleKillFocus(wparam, lparam);
    case WM_MOUSEWHEEL:
      return HandleMouseWheel(wparam, lparam);
    case WM_MOUSEHOVER:
      return HandleMouseHover(wparam, lparam);
    case WM_MOUSELEAVE:
      return HandleMouseLeave(wparam, lparam);
    case WM_GETMINMAXINFO:
      return HandleGetMinMaxInfo(wparam, lparam);
    case WM_SHOWWINDOW:
      return HandleShowWindow(wparam, lparam);
    case WM_SYSCOMMAND:
      return HandleSysCommand(wparam, lparam);
    case WM_NCACTIVATE:
      return HandleNcActivate(wparam, lparam);
    case WM_CREATE:
      return HandleCreate(wparam, lparam);
    case WM_DESTROY:
      return HandleDestroy(wparam, lparam);
    case WM_CLOSE:
      return HandleClose(wparam, lparam);
    case WM_NCCREATE:
      return HandleNcCreate(wparam, lparam);
    case WM_NCDESTROY: {
      const LRESULT result = HandleNcDestroy(wparam, lparam);
      Detach();
      return result;
    }
    default:
      return OnMessage(message, wparam, lparam);
  }
}

// A control that has an object of its own may answer its notification itself
// before the parent sees it.
LRESULT CHWindow::RouteNotify(WPARAM wparam, LPARAM lparam) {
  auto* header = reinterpret_cast<NMHDR*>(lparam);
  if (header) {
    if (CHWindow* source = FromHandle(header->hwndFrom)) {
      if (const LRESULT reflected = source->ReflectNotify(header)) return reflected;
    }
  }
  return HandleNotify(wparam, lparam);
}

CHWindow::~CHWindow() {
  const HWND window = Detach();
  if (window && ::IsWindow(window)) ::DestroyWindow(window);
}

LRESULT CHWindow::CallPreviousProc(UINT message, WPARAM wparam, LPARAM lparam) {
  return ::CallWindowProcW(previous_proc_, hwnd_, message, wparam, lparam);
}

LRESULT CHWindow::HandlePaint(WPARAM w, LPARAM l) { return CallPreviousProc(WM_PAINT, w, l); }
LRESULT CHWindow::HandleNcPaint(WPARAM w, LPARAM l) { return CallPreviousProc(WM_NCPAINT, w, l); }
LRESULT CHWindow::HandleEraseBkgnd(WPARAM w, LPARAM l) {
  return CallPreviousProc(WM_ERASEBKGND, w, l);
}
LRESULT CHWindow::HandleMouseMove(WPARAM w, LPARAM l) {
  return CallPreviousProc(WM_MOUSEMOVE, w, l);
}
LRESULT CHWindow::HandleNcHitTest(WPARAM w, LPARAM l) {
  return CallPreviousProc(WM_NCHITTEST, w, l);
}
LRESULT CHWindow::HandleNcMouseMove(WPARAM w, LPARAM l) {
  return CallPreviousProc(WM_NCMOUSEMOVE, w, l);
}
LRESULT CHWindow::HandleSetCursor(WPARAM w, LPARAM l) {
  return CallPreviousProc(WM_SETCURSOR, w, l);
}
LRESULT CHWindow::HandleNcLButtonUp(WPARAM w, LPARAM l) {
  return CallPreviousProc(WM_NCLBUTTONUP, w, l);
}
LRESULT CHWindow::HandleNcLButtonDown(WPARAM w, LPARAM l) {
  return CallPreviousProc(WM_NCLBUTTONDOWN, w, l);
}
LRESULT CHWindow::HandleNcLButtonDblClk(WPARAM w, LPARAM l) {
  return CallPreviousProc(WM_NCLBUTTONDBLCLK, w, l);
}
LRESULT CHWindow::HandleNcRButtonUp(WPARAM w, LPARAM l) {
  return CallPreviousProc(WM_NCRBUTTONUP, w, l);
}
LRESULT CHWindow::HandleNcRButtonDown(WPARAM w, LPARAM l) {
  return CallPreviousProc(WM_NCRBUTTONDOWN, w, l);
}
LRESULT CHWindow::HandleNcRButtonDblClk(WPARAM w, LPARAM l) {
  return CallPreviousProc(WM_NCRBUTTONDBLCLK, w, l);
}
LRESULT CHWindow::HandleNcCalcSize(WPARAM w, LPARAM l) {
  return CallPreviousProc(WM_NCCALCSIZE, w, l);
}
LRESULT CHWindow::HandleWindowPosChanged(WPARAM w, LPARAM l) {
  return CallPreviousProc(WM_WINDOWPOSCHANGED, w, l);
}
LRESULT CHWindow::HandleLButtonUp(WPARAM w, LPARAM l) {
  return CallPreviousProc(WM_LBUTTONUP, w, l);
}
LRESULT CHWindow::HandleLButtonDown(WPARAM w, LPARAM l) {
  return CallPreviousProc(WM_LBUTTONDOWN, w, l);
}
LRESULT CHWindow::HandleLButtonDblClk(WPARAM w, LPARAM l) {
  return CallPreviousProc(WM_LBUTTONDBLCLK, w, l);
}
LRESULT CHWindow::HandleRButtonUp(WPARAM w, LPARAM l) {
  return CallPreviousProc(WM_RBUTTONUP, w, l);
}
LRESULT CHWindow::HandleRButtonDown(WPARAM w, LPARAM l) {
  return CallPreviousProc(WM_RBUTTONDOWN, w, l);
}
LRESULT CHWindow::HandleRButtonDblClk(WPARAM w, LPARAM l) {
  return CallPreviousProc(WM_RBUTTONDBLCLK, w, l);
}
LRESULT CHWindow::HandleCommand(WPARAM w, LPARAM l) { return CallPreviousProc(WM_COMMAND, w, l); }
LRESULT CHWindow::HandleKeyUp(WPARAM w, LPARAM l) { return CallPreviousProc(WM_KEYUP, w, l); }
LRESULT CHWindow::HandleKeyDown(WPARAM w, LPARAM l) { return CallPreviousProc(WM_KEYDOWN, w, l); }
LRESULT CHWindow::HandleSize(WPARAM w, LPARAM l) { return CallPreviousProc(WM_SIZE, w, l); }
LRESULT CHWindow::HandleNotify(WPARAM w, LPARAM l) { return CallPreviousProc(WM_NOTIFY, w, l); }
LRESULT CHWindow::HandleHotKey(WPARAM w, LPARAM l) { return CallPreviousProc(WM_HOTKEY, w, l); }
LRESULT CHWindow::HandleTimer(WPARAM w, LPARAM l) { return CallPreviousProc(WM_TIMER, w, l); }
LRESULT CHWindow::HandleHScroll(WPARAM w, LPARAM l) { return CallPreviousProc(WM_HSCROLL, w, l); }
LRESULT CHWindow::HandleVScroll(WPARAM w, LPARAM l) { return CallPreviousProc(WM_VSCROLL, w, l); }
LRESULT CHWindow::HandleDrawItem(WPARAM w, LPARAM l) { return CallPreviousProc(WM_DRAWITEM, w, l); }
LRESULT CHWindow::HandleMeasureItem(WPARAM w, LPARAM l) {
  return CallPreviousProc(WM_MEASUREITEM, w, l);
}
LRESULT CHWindow::HandleChar(WPARAM w, LPARAM l) { return CallPreviousProc(WM_CHAR, w, l); }
LRESULT CHWindow::HandleDropFiles(WPARAM w, LPARAM l) {
  return CallPreviousProc(WM_DROPFILES, w, l);
}
LRESULT CHWindow::HandleSetFocus(WPARAM w, LPARAM l) { return CallPreviousProc(WM_SETFOCUS, w, l); }
LRESULT CHWindow::HandleKillFocus(WPARAM w, LPARAM l) {
  return CallPreviousProc(WM_KILLFOCUS, w, l);
}
LRESULT CHWindow::HandleMouseWheel(WPARAM w, LPARAM l) {
  return CallPreviousProc(WM_MOUSEWHEEL, w, l);
}
LRESULT CHWindow::HandleMouseHover(WPARAM w, LPARAM l) {
  return CallPreviousProc(WM_MOUSEHOVER, w, l);
}
LRESULT CHWindow::HandleMouseLeave(WPARAM w, LPARAM l) {
  return CallPreviousProc(WM_MOUSELEAVE, w, l);
}
LRESULT CHWindow::HandleGetMinMaxInfo(WPARAM w, LPARAM l) {
  return CallPreviousProc(WM_GETMINMAXINFO, w, l);
}
LRESULT CHWindow::HandleShowWindow(WPARAM w, LPARAM l) {
  return CallPreviousProc(WM_SHOWWINDOW, w, l);
}
LRESULT CHWindow::HandleSysCommand(WPARAM w, LPARAM l) {
  return CallPreviousProc(WM_SYSCOMMAND, w, l);
}
LRESULT CHWindow::HandleNcActivate(WPARAM w, LPARAM l) {
  return CallPreviousProc(WM_NCACTIVATE, w, l);
}
LRESULT CHWindow::HandleCreate(WPARAM w, LPARAM l) { return CallPreviousProc(WM_CREATE, w, l); }
LRESULT CHWindow::HandleDestroy(WPARAM w, LPARAM l) { return CallPreviousProc(WM_DESTROY, w, l); }
LRESULT CHWindow::HandleClose(WPARAM w, LPARAM l) { return CallPreviousProc(WM_CLOSE, w, l); }
LRESULT CHWindow::HandleNcCreate(WPARAM w, LPARAM l) { return CallPreviousProc(WM_NCCREATE, w, l); }
LRESULT CHWindow::HandleNcDestroy(WPARAM w, LPARAM l) {
  return CallPreviousProc(WM_NCDESTROY, w, l);
}

void CHWindow::OnAttached() {}
void CHWindow::OnDetached() {}
void CHWindow::OnPosChanged() {}
LRESULT CHWindow::ReflectNotify(NMHDR*) { return 0; }

void CHWindow::SetLastModal(HWND dialog) { ::SetPropW(hwnd_, kLastModalProperty, dialog); }
void CHWindow::ClearLastModal() { ::RemovePropW(hwnd_, kLastModalProperty); }

BOOL CHWindow::PreTranslateMessage(MSG*) { return FALSE; }

LRESULT CHWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  return CallPreviousProc(message, wparam, lparam);
}

bool CHWindow::Create(HWND parent, int x, int y, DWORD style, DWORD ex_style,
                      const wchar_t* title) {
  const HWND window = ::CreateWindowExW(ex_style, kCHWindowClassName, title, style, x, y, 0, 0,
                                        parent, nullptr, nullptr, this);
  hwnd_ = window;
  if (window) Attach(window);  // Finds the property set at WM_NCCREATE: a no-op.
  return hwnd_ != nullptr;
}

bool CHWindow::Attach(HWND window) {
  if (!::IsWindow(window) || FromHandle(window)) return false;
  hwnd_ = window;
  ::SetPropW(window, kCHWindowProperty, this);
  const auto replaced = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(window, GWLP_WNDPROC, ProcAsLong(CHWindowProc)));
  // A window of class "CHWindow" made without an object already runs
  // CHWindowProc: calling on to it would come back here without end. Its
  // default processing is DefWindowProcW.
  previous_proc_ = replaced == CHWindowProc ? ::DefWindowProcW : replaced;
  OnAttached();
  return true;
}

HWND CHWindow::Detach() {
  const HWND window = hwnd_;
  if (!window || !::IsWindow(window)) return window;
  ::RemovePropW(window, kCHWindowProperty);
  if (const HWND dialog = static_cast<HWND>(::GetPropW(window, kLastModalProperty))) {
    ::EndDialog(dialog, IDCANCEL);
    ::RemovePropW(window, kLastModalProperty);
  }
  if (previous_proc_) {
    ::SetWindowLongPtrW(window, GWLP_WNDPROC, ProcAsLong(previous_proc_));
    OnDetached();
  }
  hwnd_ = nullptr;
  // A later Create makes a window of class "CHWindow", whose default
  // processing is DefWindowProcW, not the procedure of a window attached
  // before.
  previous_proc_ = ::DefWindowProcW;
  return window;
}

void CHWindow::CenterWindow() {
  RECT own;
  if (!::GetWindowRect(hwnd_, &own)) return;
  const int width = own.right - own.left;
  const int height = own.bottom - own.top;
  const HWND parent = ::GetParent(hwnd_);
  if (IsChildStyle(hwnd_) && parent) {
    RECT reference;
    if (!::GetClientRect(parent, &reference)) return;
    const int x = reference.left + (reference.right - reference.left - width) / 2;
    const int y = reference.top + (reference.bottom - reference.top - height) / 2;
    ::MoveWindow(hwnd_, x, y, width, height, ::IsWindowVisible(hwnd_));
    return;
  }
  const ScreenBox placed = CentreInside(width, height, WorkAreaOf(hwnd_));
  ::MoveWindow(hwnd_, placed.left, placed.top, width, height, ::IsWindowVisible(hwnd_));
}

void CHWindow::KeepInsideWorkArea() {
  RECT own;
  if (IsChildStyle(hwnd_) || !::GetWindowRect(hwnd_, &own)) return;
  const ScreenBox placed = FitInside({own.left, own.top, own.right, own.bottom}, WorkAreaOf(hwnd_));
  if (placed.left == own.left && placed.top == own.top) return;
  ::SetWindowPos(hwnd_, nullptr, placed.left, placed.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CHWindow::ResizeWindow(int width, int height) {
  RECT rect;
  if (!::GetWindowRect(hwnd_, &rect)) return;
  // A child window is moved in its parent's client coordinates. Mapping the
  // corner through the parent's client origin is right whether or not the
  // parent is itself a child and whether or not it has a border.
  const HWND parent = ::GetParent(hwnd_);
  if ((::GetWindowLongW(hwnd_, GWL_STYLE) & WS_CHILD) && parent) {
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  }
  ::MoveWindow(hwnd_, rect.left, rect.top, width, height, ::IsWindowVisible(hwnd_));
}

bool CHWindow::ModifyExStyle(DWORD remove, DWORD add) {
  const DWORD current = static_cast<DWORD>(::GetWindowLongW(hwnd_, GWL_EXSTYLE));
  const DWORD wanted = (current & ~remove) | add;
  if (wanted == current) return false;
  ::SetWindowLongW(hwnd_, GWL_EXSTYLE, static_cast<LONG>(wanted));
  return true;
}
