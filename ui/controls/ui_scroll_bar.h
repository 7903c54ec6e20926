// UIScrollBar: a skinned vertical scroll bar without arrow buttons, a track
// ("trackbar") with a draggable thumb ("thumb"). It moves nothing by itself:
// page clicks and thumb drags go to the parent element as
// OnChildNotify(this, WM_VSCROLL, MAKEWPARAM(code, value), 0); the parent
// decides the new position, writes it with set_position and calls
// UpdateThumb and Invalidate. Nothing is sent to the host window.
//
// Positions are abstract integers (the edit box uses pixels of text height);
// rectangles are in the host's client coordinates. The bar reads no "id" and
// no "size": its owner places it with SetPosition. Its element kind stays 0.
// User-interface thread only.
#ifndef BRINDLE_UI_CONTROLS_UI_SCROLL_BAR_H_
#define BRINDLE_UI_CONTROLS_UI_SCROLL_BAR_H_

#include <windows.h>

#include "ui/framework/skin_types.h"
#include "ui/framework/ui_object.h"

class UIScrollBar : public UIObject {
 public:
  // Minimum thumb length after construction, in pixels.
  static constexpr int kDefaultMinThumbLength = 16;
  // How far (pixels) the pointer may stray sideways from the track while
  // dragging before the thumb stops following it.
  static constexpr int kDragSlack = 96;
  // Bars whose range is at most this many units do not scroll by wheel.
  static constexpr int kWheelThreshold = 100;

  UIScrollBar() = default;

  // Reads only the state entries path/"thumb" and path/"trackbar". False when
  // the node at `path` is missing.
  bool LoadSkin(IResource* resource, const char* path, const JsonValue* base) override;
  // The element layout, then the geometry (UpdateThumb).
  void OnLayout() override;
  // The track image over the track, then the thumb image over the thumb.
  void OnPaint(HDC dc, const RECT& rect, const RECT& clip) override;
  // A press in the page-up or page-down area sends one SB_PAGEUP or
  // SB_PAGEDOWN; a press on the thumb runs the drag loop (below) until the
  // button is released, Escape is pressed or the host loses the capture.
  bool OnLButtonDown(UINT keys, POINT point) override;

  // min := 0, max := `max`; recomputes the geometry and repaints.
  void SetRange(int max);
  // Recomputes the line, track, thumb and page areas from min, max, page,
  // position and the element rectangle. A range of zero or less keeps the
  // thumb where it was.
  void UpdateThumb();

  int min() const { return min_; }
  int max() const { return max_; }
  // The visible part, in range units. Callers follow with UpdateThumb.
  int page() const { return page_; }
  void set_page(int page) { page_ = page; }
  // Written by the owner; callers follow with UpdateThumb and Invalidate.
  int position() const { return position_; }
  void set_position(int position) { position_ = position; }
  // The position computed by the last drag step, counted from 0 (not from
  // min). The high word of SB_THUMBTRACK carries only its low 16 bits.
  int track_position() const { return track_position_; }
  int min_thumb_length() const { return min_thumb_length_; }
  void set_min_thumb_length(int length) { min_thumb_length_ = length; }

  const RECT& thumb_rect() const { return thumb_; }
  const RECT& track_rect() const { return track_; }
  const RECT& page_up_rect() const { return page_up_; }
  const RECT& page_down_rect() const { return page_down_; }
  const StateEntry& thumb_image() const { return thumb_image_; }
  const StateEntry& track_image() const { return track_image_; }
  // The bar's width as owners place it: the track image's source width.
  int Width() const { return track_image_.width; }

  // The scrolling rules shared by the owners of a bar (edit box, list view).
  // The position after a WM_VSCROLL code: line steps of 1, page steps of a
  // page, the drag's track position, the ends; page and line steps downwards
  // stop at max - page - 1. Unknown codes keep the position.
  int PositionAfterCode(WORD code) const;
  // Whether the wheel scrolls at all: the range exceeds kWheelThreshold.
  bool WheelScrolls() const { return max_ - min_ > kWheelThreshold; }
  // The position after one wheel message: one eighth of the page (the size of
  // the delta is not used); towards the user (bit 0x8000 of `delta`) it stops
  // at max - page + 1, away from the user at min.
  int PositionAfterWheel(UINT delta) const;
  // position := `position`, then UpdateThumb and Invalidate.
  void MoveTo(int position);

 private:
  // Sends WM_VSCROLL with `code` and `value` in the high word to the parent.
  void Notify(WORD code, int value);
  // The modal drag loop; the host window holds the capture meanwhile.
  void RunDrag(POINT point);
  // One pointer position of the drag (host client coordinates).
  void DragStep(POINT point);

  int min_ = 0;
  int max_ = 0;
  int page_ = 0;
  int position_ = 0;
  int track_position_ = 0;
  // Pointer y at the last drag step, relative to the element's top.
  int drag_anchor_ = 0;
  int last_reported_ = 0;
  RECT line_up_ = {};
  RECT line_down_ = {};
  RECT thumb_ = {};
  RECT track_ = {};
  RECT page_up_ = {};
  RECT page_down_ = {};
  int min_thumb_length_ = kDefaultMinThumbLength;
  StateEntry thumb_image_;
  StateEntry track_image_;
};

#endif  // BRINDLE_UI_CONTROLS_UI_SCROLL_BAR_H_
