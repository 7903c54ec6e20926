// CXEdit: the single-line editable text field of the skinned windows, a
// windowless element built on UIEditBox (background, margins, normal text
// style, loading and layout). It adds a blinking caret, a mouse selection,
// editing keys, clipboard cut, copy and paste, and a change notification to
// its parent element. A text wider than the text area scrolls horizontally
// so that the caret stays in view. A tab stop. Created directly by its owner,
// not by the element factory.
//
// Indices count UTF-16 units of the text: the caret is the number of units
// before it; the selection is [selection_start, selection_end), empty when
// both are equal. The caret, clicks and the editing keys never come to rest
// between the two halves of a surrogate pair. Widths are measured with
// GetTextExtentPoint32W in the host's back buffer and its current font.
// User-interface thread only.
#ifndef BRINDLE_UI_CONTROLS_CX_EDIT_H_
#define BRINDLE_UI_CONTROLS_CX_EDIT_H_

#include <windows.h>

#include <string>

#include "ui/controls/ui_edit_box.h"

class CXEdit : public UIEditBox {
 public:
  // Caret blink period, milliseconds.
  static constexpr UINT kBlinkMilliseconds = 500;
  // wParam of the change notification: EN_UPDATE in the high word, 0 (not
  // the element id) in the low word.
  static constexpr WPARAM kChangeNotification = 0x04000000;
  // Selection background, ARGB.
  static constexpr DWORD kSelectionColor = 0xFF3399FF;
  // No blink timer.
  static constexpr int kNoTimer = -1;

  CXEdit() = default;

  // Background; the text in up to three runs (before, inside, after the
  // selection: black, white on the selection colour, black) clipped to the
  // text area; without a selection, the caret while it is visible.
  void OnPaint(HDC dc, const RECT& rect, const RECT& clip) override;
  // Places the caret at the point and runs the selection loop with the mouse
  // captured for the host window until the button is released, Escape is
  // pressed, the capture is lost or a key dispatched meanwhile changes the
  // text. The caret stays where the press was (or where that edit left it).
  bool OnLButtonDown(UINT keys, POINT point) override;
  // Selects everything, caret at the end.
  bool OnLButtonDblClk(UINT keys, POINT point) override;
  // Both only report the event as handled.
  bool OnLButtonUp(UINT keys, POINT point) override;
  bool OnMouseMove(UINT keys, POINT point) override;
  // Backspace, Delete, Home, End, Left, Right; Ctrl+A, C, X, V, as a Windows
  // edit box: Left and Right with a selection collapse it to its start and
  // end; with Shift, Home, End, Left and Right move the caret and extend the
  // selection from its anchor (the end the caret is not at). Escape hides the
  // caret until the next blink. True for these keys; false for the rest
  // (Escape included), which the window may use (Enter, Escape).
  bool OnKeyDown(WPARAM wparam, LPARAM lparam) override;
  bool IsTabStop() const override;
  // Editable text (not read-only) whose value is its text.
  ElementDescription Describe() const override;
  // Inserts a typed character (a UTF-16 unit, as a keyboard or an input
  // method delivers it) at the caret, replacing a selection: every character
  // from the space up except the control characters DEL and U+0080 to
  // U+009F. The high half of a surrogate pair is held until its low half
  // arrives and both go in together; a half without its partner is dropped.
  // False (nothing changes) for a refused character.
  bool OnChar(WPARAM wparam, LPARAM lparam) override;
  // Focus shows the caret and starts the blink timer; losing it stops both.
  void OnSetFocus(UIObject* previous) override;
  void OnKillFocus(UIObject* next) override;
  // The blink timer toggles the caret; any other timer is stopped.
  void OnTimer(UINT_PTR id) override;
  // The I-beam.
  bool OnSetCursor() override;

  // Replaces the text (a copy of `text`), moving the caret to the end when the
  // text differs, then sends the change notification and repaints, also when
  // the text is the same. The selection is kept, cut to the new length.
  // Throws std::invalid_argument for a null `text` (a caller error).
  void SetText(const wchar_t* text);

  // The caret index for `point` (host client coordinates, the text drawn
  // scrolled by scroll_x), measuring in `dc`: the nearest character boundary
  // inside the text, the text length right of the text, 0 anywhere else
  // (left of it, above, below).
  int HitTest(HDC dc, POINT point) const;

  int caret() const { return caret_; }
  bool caret_visible() const { return caret_visible_; }
  int selection_start() const { return selection_start_; }
  int selection_end() const { return selection_end_; }
  bool HasSelection() const { return selection_start_ != selection_end_; }
  int blink_timer() const { return blink_timer_; }
  // Pixels of text scrolled out at the left; set when painting, so that the
  // caret lies inside the text area and no room is left empty at the right
  // while text is scrolled out at the left.
  int scroll_x() const { return scroll_x_; }

 private:
  int Length() const { return static_cast<int>(text_.size()); }
  // True when `index` lies between the halves of a surrogate pair.
  bool SplitsPair(int index) const;
  // The character boundary before / after `index` (a pair is one step).
  int PreviousBoundary(int index) const;
  int NextBoundary(int index) const;
  // Inserts `typed` at the caret, replacing a selection, and notifies.
  void Insert(const std::wstring& typed);
  // Parent notification (EN_UPDATE), then Invalidate.
  void NotifyChange();
  // Removes the selected characters; caret := end := start.
  void DeleteSelection();
  // caret := start := end := `index`.
  void CollapseTo(int index);
  // Moves the caret to `index`, the selection running from its anchor (the
  // caret without a selection) to there.
  void ExtendTo(int index);
  // The caret move of an arrow or Home/End key; true when `key` is one.
  bool MoveCaret(WPARAM key, bool extend);
  // Adjusts scroll_x for the caret and the text width, measured in `dc`.
  void ScrollCaretIntoView(HDC dc, int area_width);
  void Cut();
  void Paste();
  // Puts `text` on the clipboard as CF_UNICODETEXT and repaints; nothing
  // happens when the clipboard cannot be opened.
  void CopyToClipboard(const std::wstring& text);

  bool caret_visible_ = false;
  int caret_ = 0;
  int selection_start_ = 0;
  int selection_end_ = 0;
  int blink_timer_ = kNoTimer;
  int scroll_x_ = 0;
  // The high half of a surrogate pair typed last, waiting for its low half;
  // 0 when none.
  wchar_t pending_high_surrogate_ = 0;
};

#endif  // BRINDLE_UI_CONTROLS_CX_EDIT_H_
