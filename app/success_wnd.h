// CHSuccessWnd: the install-finished window. One background picture over the
// whole 670 x 320 window (no frame pieces), a button that starts the
// installed program and a close button. Every command that reaches it ends
// the process with exit code 0, after starting the program for the start
// button; so does closing the window. A press on the background drags the
// window.
#ifndef BRINDLE_APP_SUCCESS_WND_H_
#define BRINDLE_APP_SUCCESS_WND_H_

#include <string>

#include "setup/product.h"
#include "ui/framework/skin_types.h"
#include "ui/framework/ui_object.h"

inline constexpr int kSuccessWindowWidth = 670;
inline constexpr int kSuccessWindowHeight = 320;

class CHSuccessWnd : public UIObject {
 public:
  CHSuccessWnd();
  ~CHSuccessWnd() override;

  // Outside every child: lets the system drag the window
  // (WM_NCLBUTTONDOWN with HTCAPTION, posted); then the element handling.
  LRESULT HandleLButtonDown(WPARAM wparam, LPARAM lparam) override;
  // Command 2001 starts the launch path (when set) with the verb "open";
  // every command then ends the process with exit code 0.
  LRESULT HandleCommand(WPARAM wparam, LPARAM lparam) override;
  // Takes the window's DPI as dpi(), sizes the window (670 x 320 at 96 DPI,
  // scaled), centres and layers it.
  LRESULT HandleCreate(WPARAM wparam, LPARAM lparam) override;
  // Closing the window (Alt+F4, any WM_CLOSE) ends the process as the close
  // button does: exit code 0, nothing started. The window is not destroyed,
  // so no process without a visible window is left behind.
  LRESULT HandleClose(WPARAM wparam, LPARAM lparam) override;
  // Draws the background over the whole window.
  void OnPaint(HDC dc, const RECT& rect, const RECT& clip) override;
  // With a window, sets the resource's DPI to dpi(). Reads "id", "size" and
  // "bkgnd" of `path` below `base`, then, the first time, makes the buttons
  // "SuccessWindow/Button1" and "SuccessWindow/SysBtns/Close" (named for
  // assistive technology in the window's language). Returns true.
  bool LoadSkin(IResource* resource, const char* path, const JsonValue* base) override;
  // WM_DPICHANGED (a move to a monitor of another DPI): the window and its
  // buttons are read again at the new DPI and take the rectangle the system
  // suggests. Returns 0. Other messages go to UIObject.
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

  // The program the start button opens: a full path; empty opens nothing.
  const std::wstring& launch_path() const { return launch_path_; }
  void set_launch_path(const std::wstring& path) { launch_path_ = path; }
  const StateEntry& background() const { return background_; }
  // The language of the buttons' names; set before LoadSkin (default
  // Chinese).
  void set_language(const Language& language) { language_ = language; }

 private:
  Language language_;
  StateEntry background_;
  std::wstring launch_path_;
};

#endif  // BRINDLE_APP_SUCCESS_WND_H_
