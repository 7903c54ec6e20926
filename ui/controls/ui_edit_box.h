// UIEditBox: a read-only skinned text box (element kind 15): a nine-grid
// background with a block of text inside a margin. In multi-line mode it
// word-wraps the text to its width into lines (text_lines.h; blank lines are
// kept), and scrolls them vertically, pixel by pixel, with its UIScrollBar
// child, the wheel and the keyboard (it is a tab stop then). Wrapping is done
// once per text and width, linear in the text's length, and painting draws
// only the lines in view, so a licence of megabytes shows at once. It has no
// caret or selection (CXEdit adds those).
//
// Coordinates are pixels in the host's client area. User-interface thread
// only.
#ifndef BRINDLE_UI_CONTROLS_UI_EDIT_BOX_H_
#define BRINDLE_UI_CONTROLS_UI_EDIT_BOX_H_

#include <windows.h>

#include <string>
#include <vector>

#include "ui/controls/text_lines.h"
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
  // bar at the right edge, wraps the text to the text area's width (when the
  // text, the width or the font changed) and sets the bar's range to the
  // lines' height and its page to the text area's height.
  void OnLayout() override;
  // The background, then the text (normal style) clipped to the text area:
  // in multi-line mode the wrapped lines in view, scrolled up by the scroll
  // offset, and a focus frame while the box shows its focus look; otherwise
  // the whole text as one block.
  void OnPaint(HDC dc, const RECT& rect, const RECT& clip) override;
  // Multi-line only (false otherwise, and for other keys): Up and Down scroll
  // by a line, Page Up and Page Down by a page less a line, Home and End to
  // the top and to where the last line is in view.
  bool OnKeyDown(WPARAM wparam, LPARAM lparam) override;
  // In multi-line mode.
  bool IsTabStop() const override;
  // Read-only text whose value is its text; its name comes from a label.
  ElementDescription Describe() const override;
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

  // The wrapped lines as of the last wrap (OnLayout, or a paint after
  // SetText), and the height of one line in pixels.
  const std::vector<TextLine>& lines() const { return lines_; }
  int line_height() const { return line_height_; }

 protected:
  // The text area: the text rectangle less the margins.
  RECT TextArea() const;
  // Moves the scroll offset and the bar to `position` and repaints.
  void ScrollTo(int position);
  // Wraps the text to the text area's width in the normal style's font on
  // `dc`, unless the text, width and font are those of the last wrap.
  void WrapLines(HDC dc);

  std::wstring text_;
  TextStyle styles_[2];
  StateEntry background_;
  RECT margin_ = {};
  bool multi_line_ = false;
  UIScrollBar* scroll_bar_ = nullptr;  // Owned as the first child.
  RECT text_rect_ = {};
  int scroll_offset_ = 0;
  std::vector<TextLine> lines_;
  int line_height_ = 0;
  // What the lines were wrapped for; a width of -1 forces the next wrap.
  int wrapped_width_ = -1;
  HFONT wrapped_font_ = nullptr;
};

#endif  // BRINDLE_UI_CONTROLS_UI_EDIT_BOX_H_
