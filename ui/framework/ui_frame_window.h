// UIFrameWindow: the top-level skinned window (element kind 5). A borderless
// popup whose whole area is drawn from the skin: a client background inside
// four frame pieces (top, left, right, bottom), up to four system buttons
// (close, restore, maximize, minimize) whose clicks become system commands,
// and the top piece as the title band by which the window is dragged.
//
// Use: Create (a popup; caption bits are removed), LoadSkin (resource,
// window node name, null), add controls with CreateElement, ResizeWindow,
// CenterWindow, MakeLayered. The system buttons are made through the element
// factory (kind 2), so a button kind must be registered before LoadSkin;
// without one the window has no system buttons.
//
// Skin keys under the window node: "Client/bkgnd"; "Frames/Top", "Left",
// "Right", "Bottom", each with "normal" and "grayed" (grayed is read, never
// drawn); "SysBtns/Close", "Restore", "Maximize", "Minimize" (button nodes).
//
// All rectangles are in client coordinates, which equal window coordinates:
// the window has no non-client area. The system buttons are tab stops after
// every other element (tab group 1).
#ifndef BRINDLE_UI_FRAMEWORK_UI_FRAME_WINDOW_H_
#define BRINDLE_UI_FRAMEWORK_UI_FRAME_WINDOW_H_

#include <windows.h>

#include "ui/framework/skin_types.h"
#include "ui/framework/ui_object.h"

class UIFrameWindow : public UIObject {
 public:
  // One frame piece: its pictures and where it lies.
  struct FramePiece {
    StateEntry normal;
    StateEntry grayed;
    RECT rect = {};
  };

  UIFrameWindow();

  // No non-client painting.
  LRESULT HandleNcPaint(WPARAM wparam, LPARAM lparam) override;
  // HTCAPTION over the top piece unless a direct child without the
  // drag-through flag lies there; with WS_THICKFRAME also the sizing edges.
  LRESULT HandleNcHitTest(WPARAM wparam, LPARAM lparam) override;
  // The client area is the whole window.
  LRESULT HandleNcCalcSize(WPARAM wparam, LPARAM lparam) override;
  // Default processing, then the maximize and restore buttons swap to match
  // the zoomed state.
  LRESULT HandleSysCommand(WPARAM wparam, LPARAM lparam) override;
  // Returns 1: no caption is drawn.
  LRESULT HandleNcActivate(WPARAM wparam, LPARAM lparam) override;
  // Removes the caption bits from the style. Returns 0.
  LRESULT HandleCreate(WPARAM wparam, LPARAM lparam) override;
  // Takes the window's DPI (WindowDpi) as the host's dpi() before WM_CREATE,
  // so sizes made at creation can be scaled; then default processing.
  LRESULT HandleNcCreate(WPARAM wparam, LPARAM lparam) override;

  // Client background, then the normal pictures of top, left, right and
  // bottom.
  void OnPaint(HDC dc, const RECT& rect, const RECT& clip) override;
  // With a window: reads at the window's DPI (WindowDpi), which becomes the
  // host's dpi() and the resource's DPI. Then LoadFrame. Returns true.
  bool LoadSkin(IResource* resource, const char* path, const JsonValue* base) override;
  // Reads the frame's own values again (LoadFrame) at the resource's DPI.
  void ReloadSkin() override;
  // WM_DPICHANGED: the tree is read again at the new DPI (ApplyHostDpi), the
  // window takes the rectangle the system suggests (lParam) and is
  // recomposed. Returns 0. Other messages go to UIObject.
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  // A WM_COMMAND from a system button becomes WM_SYSCOMMAND SC_CLOSE,
  // SC_MAXIMIZE, SC_MINIMIZE or SC_RESTORE to the window. Nothing is passed
  // further up; returns 0.
  LRESULT OnChildNotify(UIObject* child, UINT message, WPARAM wparam, LPARAM lparam) override;
  // Lays the pieces out around the client rectangle from the pictures' source
  // sizes, and sets the window region: none for a layered window, otherwise
  // the rectangle (0, 0, width + 1, height + 1).
  void OnResized() override;
  const FramePiece& top() const { return top_; }
  const FramePiece& left() const { return left_; }
  const FramePiece& right() const { return right_; }
  const FramePiece& bottom() const { return bottom_; }
  const StateEntry& client_background() const { return client_background_; }
  // The area inside the four pieces.
  const RECT& client_rect() const { return client_rect_; }
  // Children of this window, or null when the skin has no such button.
  UIObject* close_button() const { return close_button_; }
  UIObject* restore_button() const { return restore_button_; }
  UIObject* maximize_button() const { return maximize_button_; }
  UIObject* minimize_button() const { return minimize_button_; }

 private:
  // Reads the pieces and makes the system buttons present under the node at
  // `path` below `base` (the restore button starts hidden unless the window
  // is zoomed; buttons made before are read again, not made twice), then
  // lays the pieces out. Missing keys give empty pictures.
  void LoadFrame(IResource* resource, const char* path, const JsonValue* base);
  // True when a direct child that is not drag-through contains `point`.
  bool ChildBlocksDrag(POINT point) const;
  // The hit-test answer of a window with WS_THICKFRAME for `point`, or
  // `fallback` outside every piece.
  LRESULT ThickFrameHit(POINT point, LRESULT fallback) const;
  void ShowMatchingZoomButton();

  FramePiece top_;
  FramePiece left_;
  FramePiece right_;
  FramePiece bottom_;
  UIObject* close_button_ = nullptr;
  UIObject* restore_button_ = nullptr;
  UIObject* maximize_button_ = nullptr;
  UIObject* minimize_button_ = nullptr;
  StateEntry client_background_;
  RECT client_rect_ = {};
};

#endif  // BRINDLE_UI_FRAMEWORK_UI_FRAME_WINDOW_H_
