#include "ui/controls/cx_edit.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "json/contract_failure.h"
#include "setup/text_width.h"
#include "ui/framework/accessible_elements.h"
#include "ui/framework/dpi_scale.h"
#include "ui/framework/draw_primitives.h"
#include "ui/framework/gdi_handles.h"

namespace {

namespace gp = Gdiplus;

constexpr COLORREF kTextColor = 0x000000;
constexpr COLORREF kSelectedTextColor = 0xFFFFFF;
constexpr gp::ARGB kCaretColor = 0xFE000000;
// Pixels at 96 DPI, scaled to the host's DPI where drawn. The caret is drawn
// this far right of the measured width, the selection background likewise
// (GDI+ draws text with a small leading gap).
constexpr int kCaretGap = 2;
constexpr int kCaretLength = 14;
constexpr int kCaretBox = 16;
constexpr int kSelectionHeight = 17;
constexpr int kSelectionBox = 18;
// Extra layout width for a run that overflows the text area, pixels.
constexpr int kNoWrapSlack = 64;

// Characters the editor takes from WM_CHAR: everything from the space up but
// the control characters DEL and U+0080 to U+009F. Backspace, Tab, Return
// and the Ctrl letters stay below the space.
bool IsTypable(WPARAM ch) {
  constexpr WPARAM kSpace = 0x20;
  constexpr WPARAM kDelete = 0x7F;
  constexpr WPARAM kLastControl = 0x9F;
  constexpr WPARAM kLastUnit = 0xFFFF;
  return ch >= kSpace && ch <= kLastUnit && (ch < kDelete || ch > kLastControl);
}

// The clipboard, open for the lifetime of the object.
class ClipboardSession {
 public:
  explicit ClipboardSession(HWND owner) : open_(::OpenClipboard(owner) != FALSE) {}
  ~ClipboardSession() {
    if (open_) ::CloseClipboard();
  }
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;
  bool open() const { return open_; }

 private:
  bool open_;
};

// A global memory block owned until it is handed to the clipboard.
class GlobalBlock {
 public:
  explicit GlobalBlock(SIZE_T bytes)
      : block_(::GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes)) {}
  ~GlobalBlock() {
    if (block_) ::GlobalFree(block_);
  }
  GlobalBlock(const GlobalBlock&) = delete;
  GlobalBlock& operator=(const GlobalBlock&) = delete;
  HGLOBAL get() const { return block_; }
  HGLOBAL release() {
    HGLOBAL block = block_;
    block_ = nullptr;
    return block;
  }

 private:
  HGLOBAL block_;
};

// The CF_UNICODETEXT text on the clipboard, up to its first 0 (and never
// beyond the block); empty when the clipboard cannot be opened or holds no
// text.
std::wstring ReadClipboardText(HWND owner) {
  const ClipboardSession clipboard(owner);
  if (!clipboard.open()) return {};
  const HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
  if (!data) return {};
  const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data));
  if (!chars) return {};
  const size_t units = ::GlobalSize(data) / sizeof(wchar_t);
  std::wstring text(chars, ::wcsnlen(chars, units));
  ::GlobalUnlock(data);
  return text;
}

// Draws `run` in `color` from `x` to the right end of `area`, clipped to it.
// A run too wide for that gets a layout wide enough to stay on one line (GDI+
// would otherwise wrap it onto lines the single-line area cannot show); the
// clip cuts it at the right margin.
void DrawRun(HDC dc, const TextStyle& style, COLORREF color, const RECT& area, int x,
             const std::wstring& run) {
  if (run.empty()) return;
  TextStyle look = style;
  look.color = color;
  const int width = TextWidth(dc, run);
  const LONG right = std::max<LONG>(area.right, x + 2 * width + kNoWrapSlack);
  const RECT layout = {x, area.top, right, area.bottom};
  DrawSkinText(dc, look, layout, run.c_str(), &area);
}

// A GDI+ graphics on `dc` that draws only inside `area`.
brindle::gdi::GdipGraphics ClippedGraphics(HDC dc, const RECT& area) {
  const brindle::GdiplusFunctions& gdip = brindle::GdiplusApi();
  brindle::gdi::GdipGraphics graphics;
  if (gdip.GdipCreateFromHDC(dc, graphics.receive()) != gp::Ok) return {};
  gdip.GdipSetClipRectI(graphics.get(), area.left, area.top, area.right - area.left,
                        area.bottom - area.top, gp::CombineModeIntersect);
  return graphics;
}

void DrawCaret(HDC dc, const RECT& area, int x, int y, int length) {
  const brindle::GdiplusFunctions& gdip = brindle::GdiplusApi();
  const brindle::gdi::GdipGraphics graphics = ClippedGraphics(dc, area);
  brindle::gdi::GdipPen pen;
  if (!graphics || gdip.GdipCreatePen1(kCaretColor, 1.0f, gp::UnitWorld, pen.receive()) != gp::Ok) {
    return;
  }
  gdip.GdipDrawLineI(graphics.get(), pen.get(), x, y, x, y + length);
}

void FillSelection(HDC dc, const RECT& area, int x, int y, int width, int height) {
  const brindle::GdiplusFunctions& gdip = brindle::GdiplusApi();
  const brindle::gdi::GdipGraphics graphics = ClippedGraphics(dc, area);
  brindle::gdi::GdipSolidFill brush;
  if (!graphics || gdip.GdipCreateSolidFill(CXEdit::kSelectionColor, brush.receive()) != gp::Ok) {
    return;
  }
  gdip.GdipFillRectangleI(graphics.get(), brush.get(), x, y, width, height);
}

}  // namespace

void CXEdit::OnPaint(HDC dc, const RECT&, const RECT&) {
  DrawStateEntry(rect_, background_, dc);
  const RECT area = TextArea();
  const int height = area.bottom - area.top;
  const int dpi = ElementDpi(this);
  const int gap = ScaleLength(kCaretGap, dpi);
  ScrollCaretIntoView(dc, area.right - area.left);
  const int left = area.left - scroll_x_;
  const TextStyle& style = styles_[0];
  // Every edit keeps these inside the text; they are cut to it here as well,
  // because a read past the end would throw inside the window procedure.
  const int start = std::min(selection_start_, Length());
  const int end = std::min(selection_end_, Length());
  if (start == end) {
    DrawRun(dc, style, kTextColor, area, left, text_);
    if (caret_visible_) {
      const int caret = std::min(caret_, Length());
      const int x = left + TextWidth(dc, text_.substr(0, caret)) + gap;
      DrawCaret(dc, area, x, area.top + (height - ScaleLength(kCaretBox, dpi)) / 2,
                ScaleLength(kCaretLength, dpi));
    }
    return;
  }
  int x = left;
  if (start > 0) {
    const std::wstring before = text_.substr(0, start);
    DrawRun(dc, style, kTextColor, area, x, before);
    x = left + TextWidth(dc, before);
  }
  const std::wstring selected = text_.substr(start, end - start);
  const int selected_width = TextWidth(dc, selected);
  FillSelection(dc, area, x + gap, area.top + (height - ScaleLength(kSelectionBox, dpi)) / 2,
                selected_width, ScaleLength(kSelectionHeight, dpi));
  DrawRun(dc, style, kSelectedTextColor, area, x, selected);
  x += selected_width;
  if (end != Length()) DrawRun(dc, style, kTextColor, area, x, text_.substr(end));
}

void CXEdit::ScrollCaretIntoView(HDC dc, int area_width) {
  // Room for the caret, drawn kCaretGap right of its boundary.
  const int room = std::max(area_width - ScaleLength(kCaretGap, ElementDpi(this)) - 1, 0);
  const int caret_x = TextWidth(dc, text_.substr(0, std::min(caret_, Length())));
  const int text_width = TextWidth(dc, text_);
  if (caret_x - scroll_x_ > room) scroll_x_ = caret_x - room;
  if (caret_x < scroll_x_) scroll_x_ = caret_x;
  // Text shortened or widened: no empty room at the right while text is
  // hidden at the left.
  if (text_width - scroll_x_ < room) scroll_x_ = std::max(text_width - room, 0);
}

int CXEdit::HitTest(HDC dc, POINT point) const {
  const int left = rect_.left + margin_.left - scroll_x_;
  const RECT text = {left, rect_.top, left + TextWidth(dc, text_), rect_.bottom};
  if (!::PtInRect(&text, point)) return point.x >= text.right ? Length() : 0;
  int previous = 0;
  int previous_width = 0;
  for (int i = 1; i <= Length(); ++i) {
    if (SplitsPair(i)) continue;
    const int width = TextWidth(dc, text_.substr(0, i));
    if (point.x < left + width) {
      // The nearer boundary; a tie goes to the one before.
      return (left + width - point.x) < (point.x - left - previous_width) ? i : previous;
    }
    previous = i;
    previous_width = width;
  }
  return Length();
}

bool CXEdit::OnLButtonDown(UINT, POINT point) {
  const HWND host = GetHostWindow();
  if (!host) return true;
  ::SetCapture(host);
  const HDC dc = GetHostDC();  // Borrowed from the host.
  const int anchor = HitTest(dc, point);
  CollapseTo(anchor);
  int last = anchor;
  // A key dispatched below may edit the text; the anchor would then no
  // longer fit it, so such an edit ends the selection.
  const std::wstring text_at_press = text_;
  while (::GetCapture() == host) {
    MSG msg;
    if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      // Also wakes for sent messages, so a capture taken away ends the loop.
      ::MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
      continue;
    }
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));  // For the application's loop.
      break;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) break;
    if (msg.message == WM_MOUSEMOVE) {
      const int index = HitTest(dc, {GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)});
      if (index != last) {
        last = index;
        selection_start_ = std::min(anchor, index);
        selection_end_ = std::max(anchor, index);
        Invalidate(nullptr, true);
      }
      continue;
    }
    ::DispatchMessageW(&msg);
    if (msg.message == WM_LBUTTONUP || text_ != text_at_press) break;
  }
  if (::GetCapture() == host) ::ReleaseCapture();
  caret_visible_ = true;
  Invalidate(nullptr, true);
  return true;
}

bool CXEdit::OnLButtonDblClk(UINT, POINT) {
  selection_start_ = 0;
  selection_end_ = caret_ = Length();
  caret_visible_ = true;
  Invalidate(nullptr, true);
  return true;
}

bool CXEdit::OnLButtonUp(UINT, POINT) { return true; }

bool CXEdit::OnMouseMove(UINT, POINT) { return true; }

bool CXEdit::OnKeyDown(WPARAM wparam, LPARAM) {
  const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
  switch (wparam) {
    case VK_ESCAPE:
      caret_visible_ = false;  // Shown again by the next blink.
      Invalidate(nullptr, true);
      return false;
    case VK_BACK:
      if (caret_ < 1) return true;
      if (HasSelection()) {
        DeleteSelection();
      } else {
        const int previous = PreviousBoundary(caret_);
        text_.erase(previous, caret_ - previous);
        CollapseTo(previous);
      }
      NotifyChange();
      return true;
    case VK_DELETE:
      if (HasSelection()) {
        DeleteSelection();
      } else if (caret_ < Length()) {
        text_.erase(caret_, NextBoundary(caret_) - caret_);
      }
      NotifyChange();
      return true;
    default:
      break;
  }
  if (MoveCaret(wparam, ::GetKeyState(VK_SHIFT) < 0)) {
    Invalidate(nullptr, true);
    return true;
  }
  if (!ctrl) return false;
  switch (wparam) {
    case 'A':
      OnLButtonDblClk(0, {});
      return true;
    case 'C':
      if (HasSelection()) {
        CopyToClipboard(text_.substr(selection_start_, selection_end_ - selection_start_));
      }
      return true;
    case 'X':
      if (HasSelection()) Cut();
      return true;
    case 'V':
      Paste();
      return true;
    default:
      return false;
  }
}

bool CXEdit::MoveCaret(WPARAM key, bool extend) {
  int target = 0;
  switch (key) {
    case VK_HOME:
      target = 0;
      break;
    case VK_END:
      target = Length();
      break;
    case VK_LEFT:
      // Without Shift a selection collapses to its start, the caret going no
      // further.
      target = HasSelection() && !extend ? selection_start_ : PreviousBoundary(caret_);
      break;
    case VK_RIGHT:
      target = HasSelection() && !extend ? selection_end_ : NextBoundary(caret_);
      break;
    default:
      return false;
  }
  if (extend) {
    ExtendTo(target);
  } else {
    CollapseTo(target);
  }
  return true;
}

bool CXEdit::IsTabStop() const { return true; }

ElementDescription CXEdit::Describe() const {
  ElementDescription description = UIEditBox::Describe();
  description.read_only = false;
  return description;
}

bool CXEdit::OnChar(WPARAM wparam, LPARAM) {
  const wchar_t held = pending_high_surrogate_;
  pending_high_surrogate_ = 0;
  if (!IsTypable(wparam)) return false;
  const auto unit = static_cast<wchar_t>(wparam);
  if (IS_HIGH_SURROGATE(unit)) {
    pending_high_surrogate_ = unit;
    return true;
  }
  if (!IS_LOW_SURROGATE(unit)) {
    Insert(std::wstring(1, unit));
  } else if (held) {
    Insert(std::wstring{held, unit});
  } else {
    return false;
  }
  return true;
}

void CXEdit::OnSetFocus(UIObject*) {
  caret_visible_ = true;
  if (blink_timer_ != kNoTimer) KillElementTimer(blink_timer_, this);
  blink_timer_ = static_cast<int>(SetElementTimer(this, kBlinkMilliseconds));
  Invalidate(nullptr, true);
}

void CXEdit::OnKillFocus(UIObject*) {
  caret_visible_ = false;
  if (blink_timer_ != kNoTimer) KillElementTimer(blink_timer_, this);
  blink_timer_ = kNoTimer;
  Invalidate(nullptr, true);
}

void CXEdit::OnTimer(UINT_PTR id) {
  if (blink_timer_ != kNoTimer && id == static_cast<UINT_PTR>(blink_timer_)) {
    caret_visible_ = !caret_visible_;
    Invalidate(nullptr, true);
  } else {
    KillElementTimer(id, this);
  }
}

bool CXEdit::OnSetCursor() {
  ::SetCursor(::LoadCursorW(nullptr, IDC_IBEAM));
  return true;
}

void CXEdit::SetText(const wchar_t* text) {
  if (!text) ThrowInvalidArgument("CXEdit::SetText: null text");
  std::wstring next(text);
  if (next != text_) caret_ = static_cast<int>(next.size());
  text_ = std::move(next);
  // A kept selection must not reach past the new end.
  selection_start_ = std::min(selection_start_, Length());
  selection_end_ = std::min(selection_end_, Length());
  NotifyChange();
}

void CXEdit::NotifyChange() {
  if (parent_) parent_->OnChildNotify(this, WM_COMMAND, kChangeNotification, 0);
  Invalidate(nullptr, true);
  NotifyElementChange(this, EVENT_OBJECT_VALUECHANGE);
}

void CXEdit::DeleteSelection() {
  text_.erase(selection_start_, selection_end_ - selection_start_);
  caret_ = selection_end_ = selection_start_;
}

bool CXEdit::SplitsPair(int index) const {
  return index > 0 && index < Length() && IS_HIGH_SURROGATE(text_[index - 1]) &&
         IS_LOW_SURROGATE(text_[index]);
}

int CXEdit::PreviousBoundary(int index) const {
  if (index <= 0) return 0;
  return SplitsPair(index - 1) ? index - 2 : index - 1;
}

int CXEdit::NextBoundary(int index) const {
  if (index >= Length()) return Length();
  return SplitsPair(index + 1) ? index + 2 : index + 1;
}

void CXEdit::Insert(const std::wstring& typed) {
  if (HasSelection()) DeleteSelection();
  text_.insert(static_cast<size_t>(caret_), typed);
  caret_ += static_cast<int>(typed.size());
  NotifyChange();
}

void CXEdit::CollapseTo(int index) { caret_ = selection_start_ = selection_end_ = index; }

void CXEdit::ExtendTo(int index) {
  int anchor = caret_;
  if (HasSelection()) anchor = caret_ == selection_start_ ? selection_end_ : selection_start_;
  caret_ = index;
  selection_start_ = std::min(anchor, index);
  selection_end_ = std::max(anchor, index);
}

void CXEdit::Cut() {
  const std::wstring removed = text_.substr(selection_start_, selection_end_ - selection_start_);
  const std::wstring rest = text_.substr(0, selection_start_) + text_.substr(selection_end_);
  SetText(rest.c_str());
  caret_ = selection_end_ = selection_start_;
  CopyToClipboard(removed);
}

void CXEdit::Paste() {
  const std::wstring pasted = ReadClipboardText(GetHostWindow());
  if (pasted.empty()) return;
  const int at = caret_;
  const std::wstring joined = text_.substr(0, at) + pasted + text_.substr(at);
  SetText(joined.c_str());
  caret_ = at + static_cast<int>(pasted.size());
  Invalidate(nullptr, true);
}

void CXEdit::CopyToClipboard(const std::wstring& text) {
  {
    // The host window owns the clipboard contents: with no owner, Windows
    // may refuse SetClipboardData after EmptyClipboard.
    const ClipboardSession clipboard(GetHostWindow());
    if (!clipboard.open()) return;
    ::EmptyClipboard();
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    GlobalBlock block(bytes);
    if (void* data = block.get() ? ::GlobalLock(block.get()) : nullptr) {
      std::memcpy(data, text.c_str(), bytes);
      ::GlobalUnlock(block.get());
      // The clipboard owns the block once SetClipboardData succeeds.
      if (::SetClipboardData(CF_UNICODETEXT, block.get())) block.release();
    }
  }
  Invalidate(nullptr, true);
}
