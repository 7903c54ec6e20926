// UIEditBox: a read-only skinned text box (element kind 15): a nine-grid
// background with a block of text inside a margin. In multi-line mode it
// word-wraps the text to its width, measures the wrapped height and scrolls it
// vertically, pixel by pixel, with its UIScrollBar child and the wheel. It
// takes no keyboard input and has no caret or selection (CXEdit adds those).
//
// Coordinates are pixels in the host's client area. User-interface thread
// only.
#ifndef BRINDLE_UI_CONTROLS_UI_EDIT_BOX_H_
#define BRINDLE_UI_CONTROLS_UI_EDIT_BOX_H_

#include <windows.h>

#include <string>

#include "ui/framework/skin_types.h"
#include "ui/framework/ui_object.h"

class UIScrollBar;

class UIEditBox : public UIObject {
 public:
  // Minimum thumb length of the box's scroll bar, in pixels.
  static constexpr int kMinThumbLength = 30;

  // Creates the scroll bar as the first child.
  UIEditBox();

  // Reads "id", "size", "bkgnd"; from "Text" its "margin" [l, t, r, b] and
  // the "normal" and "grayed" styles; from "ScrollBar" the bar's "thumb" and
  // "trackbar". A missing "Text" leaves zero margins and empty styles, a
  // missing "ScrollBar" a bar of width 0. False when the node is missing.
  bool LoadSkin(IResource* resource, const char* path, const JsonValue* base) override;
  // The element layout; in multi-line mode with a visible bar, places the
  // bar at the right edge and sets its range to the measured text height and
  // its page to the text area's height.
  void OnLayout() override;
  // The background, then the text (normal style) scrolled up by the scroll
  // offset and clipped to the text area.
  void OnPaint(HDC dc, const RECT& rect, const RECT& clip) override;
  // Multi-line only (false otherwise): one eighth of the page per message.
  // Content whose range is at most 100 pixels is handled without scrolling.
  bool OnMouseWheel(UINT keys, UINT delta, POINT point) override;
  // WM_VSCROLL from the bar moves the bar and the text; every other
  // notification returns 0 and goes no further.
  LRESULT OnChildNotify(UIObject* child, UINT message, WPARAM wparam, LPARAM lparam) override;

  // Replaces the text with a copy of `text` (null: empty) and repaints. The
  // scroll range follows only at the next OnLayout. Every line end of the
  // copy is one LF: CR LF and a lone CR are stored as LF, so that they break
  // lines the same way in every GDI+ (Wine's draws a CR as a glyph).
  void SetText(const wchar_t* text);
  // The stored text, line ends as LF.
  const std::wstring& text() const { return text_; }

  // Owners switch a box to the scrolling mode right after creating it and
  // then call Invalidate.
  bool multi_line() const { return multi_line_; }
  void set_multi_line(bool multi_line) { multi_line_ = multi_line; }

  UIScrollBar* scroll_bar() const { return scroll_bar_; }
  // The part of the element left of the scroll bar (the whole element when
  // the bar is not in use).
  const RECT& text_rect() const { return text_rect_; }
  // Pixels of text scrolled out at the top.
  int scroll_offset() const { return scroll_offset_; }
  // Insets of the text inside the text rectangle: left, top, right, bottom.
  const RECT& margin() const { return margin_; }
  const TextStyle& normal_style() const { return styles_[0]; }
  const TextStyle& grayed_style() const { return styles_[1]; }
  const StateEntry& background() const { return background_; }

  // Height in pixels of `text` laid out in `area` with `style`'s font and
  // horizontal alignment, wrapping at word boundaries (GDI+ measuring on
  // `dc`, truncated). 0 without a DC or when GDI+ cannot measure.
  static int MeasureTextHeight(HDC dc, const TextStyle& style, const RECT& area,
                               const std::wstring& text);

 protected:
  // The text area: the text rectangle less the margins.
  RECT TextArea() const;
  // Moves the scroll offset and the bar to `position` and repaints.
  void ScrollTo(int position);

  std::wstring text_;
  TextStyle styles_[2];
  StateEntry background_;
  RECT margin_ = {};
  bool multi_line_ = false;
  UIScrollBar* scroll_bar_ = nullptr;  // Owned as the first child.
  RECT text_rect_ = {};
  int scroll_offset_ = 0;
};

#endif  // BRINDLE_UI_CONTROLS_UI_EDIT_BOX_H_
