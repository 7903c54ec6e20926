// CHWindow: the object behind one window. The one window procedure of class
// "CHWindow" finds the object through the window property "CHWindow" and
// routes each message to a virtual handler; classes derived from CHWindow
// override the handlers they need and append their own virtual operations
// after the last hook.
#ifndef BRINDLE_UI_FRAMEWORK_CH_WINDOW_H_
#define BRINDLE_UI_FRAMEWORK_CH_WINDOW_H_

#include <windows.h>

// Name of the window class registered by CHApp::RegisterWindowClass.
inline constexpr wchar_t kCHWindowClassName[] = L"CHWindow";
// Window property holding the address of the CHWindow object of a window.
inline constexpr wchar_t kCHWindowProperty[] = L"CHWindow";
// Window property holding the handle of the modal dialog a window runs.
inline constexpr wchar_t kLastModalProperty[] = L"PropLastModal";

// The window procedure of class "CHWindow"; Attach installs it on existing
// windows too.
LRESULT CALLBACK CHWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

class CHWindow {
 public:
  CHWindow() = default;
  // Detaches and destroys a window that still exists, so no message reaches a
  // deleted object.
  virtual ~CHWindow();
  CHWindow(const CHWindow&) = delete;
  CHWindow& operator=(const CHWindow&) = delete;

  // The object driving `window`, from its "CHWindow" property; null if none.
  static CHWindow* FromHandle(HWND window);

  // The window this object drives; null while there is none.
  HWND hwnd() const { return hwnd_; }
  // What every default handler calls (DefWindowProcW unless an existing
  // window was attached).
  WNDPROC previous_proc() const { return previous_proc_; }

  // Message handlers. The base version of each passes the message to the
  // previous window procedure and returns its result.
  virtual LRESULT HandlePaint(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleNcPaint(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleEraseBkgnd(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleMouseMove(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleNcHitTest(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleNcMouseMove(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleSetCursor(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleNcLButtonUp(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleNcLButtonDown(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleNcLButtonDblClk(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleNcRButtonUp(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleNcRButtonDown(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleNcRButtonDblClk(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleNcCalcSize(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleWindowPosChanged(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleLButtonUp(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleLButtonDown(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleLButtonDblClk(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleRButtonUp(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleRButtonDown(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleRButtonDblClk(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleCommand(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleKeyUp(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleKeyDown(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleSize(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleNotify(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleHotKey(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleTimer(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleHScroll(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleVScroll(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleDrawItem(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleMeasureItem(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleChar(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleDropFiles(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleSetFocus(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleKillFocus(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleMouseWheel(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleMouseHover(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleMouseLeave(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleGetMinMaxInfo(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleShowWindow(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleSysCommand(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleNcActivate(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleCreate(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleDestroy(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleClose(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleNcCreate(WPARAM wparam, LPARAM lparam);
  virtual LRESULT HandleNcDestroy(WPARAM wparam, LPARAM lparam);

  // Hooks.
  // Called at the end of a successful Attach.
  virtual void OnAttached();
  // Called by Detach after the previous window procedure is back in place.
  virtual void OnDetached();
  // Called after HandleWindowPosChanged when the position or size changed
  // (the WINDOWPOS flags hold neither SWP_NOSIZE nor SWP_NOCOPYBITS).
  virtual void OnPosChanged();
  // Offered a WM_NOTIFY sent by this object's window to its parent; nonzero
  // means handled and becomes the message result.
  virtual LRESULT ReflectNotify(NMHDR* header);
  // Records `dialog` as the modal dialog this window runs; Detach ends it.
  virtual void SetLastModal(HWND dialog);
  virtual void ClearLastModal();
  // Offered every message of the loop whose window is this one or one of its
  // children; nonzero consumes it (no translation, no dispatch).
  virtual BOOL PreTranslateMessage(MSG* msg);
  // Every message without a handler of its own; passes it on by default.
  virtual LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);

  // Creates a zero-sized window of class "CHWindow" driven by this object at
  // (x, y) in the parent's client coordinates (screen for a top-level window).
  // Returns true when a window exists.
  bool Create(HWND parent, int x, int y, DWORD style, DWORD ex_style, const wchar_t* title);
  // Makes this object drive an existing window by installing CHWindowProc on
  // it; the procedure it replaces becomes the previous window procedure, or
  // DefWindowProcW for a window of class "CHWindow" made without an object.
  // Returns false, changing nothing, when `window` is not a window or
  // already has an object.
  bool Attach(HWND window);
  // Stops driving the window: removes the property, ends a recorded modal
  // dialog with IDCANCEL, reinstalls the previous procedure. Returns the
  // handle it had (unchanged, and nothing done, when null or no longer a
  // window).
  HWND Detach();

  // Centres the window on its parent's client area (child windows) or on the
  // work area of the monitor it is on (top-level windows: never under the
  // task bar nor off the screen), keeping its size.
  void CenterWindow();
  // Moves a top-level window, keeping its size, so that it lies inside the
  // work area of its monitor; a window larger than that area keeps its
  // top-left corner there. Child windows are left alone.
  void KeepInsideWorkArea();
  // Gives the window a new size in pixels, keeping its top-left corner.
  void ResizeWindow(int width, int height);
  // Extended style := (current & ~remove) | add. Returns false when that
  // changes nothing.
  bool ModifyExStyle(DWORD remove, DWORD add);

 protected:
  // Passes a message to the previous window procedure.
  LRESULT CallPreviousProc(UINT message, WPARAM wparam, LPARAM lparam);

 private:
  friend LRESULT CALLBACK CHWindowProc(HWND, UINT, WPARAM, LPARAM);

  LRESULT Route(UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT RouteNotify(WPARAM wparam, LPARAM lparam);

  HWND hwnd_ = nullptr;
  WNDPROC previous_proc_ = ::DefWindowProcW;
};

#endif  // BRINDLE_UI_FRAMEWORK_CH_WINDOW_H_
