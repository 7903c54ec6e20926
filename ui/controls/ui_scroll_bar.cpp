#include "ui/controls/ui_scroll_bar.h"

#include <algorithm>
#include <cstdlib>

#include "ui/framework/draw_primitives.h"
#include "ui/framework/ui_resource.h"

namespace {

int Height(const RECT& rect) { return rect.bottom - rect.top; }

RECT Relative(const RECT& rect, const RECT& origin) {
  RECT moved = rect;
  ::OffsetRect(&moved, -origin.left, -origin.top);
  return moved;
}

}  // namespace

bool UIScrollBar::LoadSkin(IResource* resource, const char* path, const JsonValue* base) {
  const JsonValue* node = resource ? resource->Find(path ? path : "", base) : nullptr;
  if (!node) return false;
  RememberSkin(resource, path, base);
  thumb_image_ = resource->GetStyle("thumb", node);
  track_image_ = resource->GetStyle("trackbar", node);
  return true;
}

void UIScrollBar::OnLayout() {
  UIObject::OnLayout();
  UpdateThumb();
}

void UIScrollBar::OnPaint(HDC dc, const RECT&, const RECT&) {
  DrawStateEntry(track_, track_image_, dc);
  DrawStateEntry(thumb_, thumb_image_, dc);
}

void UIScrollBar::SetRange(int max) {
  min_ = 0;
  max_ = max;
  UpdateThumb();
  Invalidate(nullptr, true);
}

void UIScrollBar::UpdateThumb() {
  // The bar has no arrow buttons: both line areas are empty, the track is the
  // whole element.
  line_up_ = {rect_.left, rect_.top, rect_.right, rect_.top};
  line_down_ = {rect_.left, rect_.bottom, rect_.right, rect_.bottom};
  track_ = {rect_.left, line_up_.bottom, rect_.right, line_down_.top};
  const int range = max_ - min_;
  const int track_length = Height(track_);
  if (range > 0 && page_ != 0) {
    int top = ::MulDiv(position_ - min_, track_length, range);
    int length = range < page_ ? track_length : ::MulDiv(page_ - 1, track_length, range);
    if (length < min_thumb_length_) {
      top = ::MulDiv(position_ - min_, track_length - min_thumb_length_ + length, range);
      top = std::max(0, std::min(top, track_length - min_thumb_length_));
      length = min_thumb_length_;
    }
    thumb_ = {track_.left, track_.top + top, track_.right,
              std::min(track_.top + top + length, track_.bottom)};
  } else if (range > 0) {
    // Without a page the thumb has the minimum length and only jumps once it
    // would move by at least that much.
    const int top =
        track_.top + ::MulDiv(position_ - min_, track_length - min_thumb_length_, range);
    RECT moved = {track_.left, top, track_.right, top + min_thumb_length_};
    if (moved.bottom > track_.bottom) ::OffsetRect(&moved, 0, track_.bottom - moved.bottom);
    if (moved.top < track_.top) ::OffsetRect(&moved, 0, track_.top - moved.top);
    if (::IsRectEmpty(&thumb_) || std::abs(moved.top - thumb_.top) >= min_thumb_length_) {
      thumb_ = moved;
    }
  }
  if (track_length < Height(thumb_)) {
    thumb_.top = track_.top;
    thumb_.bottom = track_.bottom;
  }
  page_up_ = {track_.left, line_up_.bottom, track_.right, thumb_.top};
  page_down_ = {track_.left, thumb_.bottom, track_.right, line_down_.top};
}

bool UIScrollBar::OnLButtonDown(UINT, POINT point) {
  if (::PtInRect(&line_up_, point)) {
    Notify(SB_LINEUP, 0);
  } else if (::PtInRect(&line_down_, point)) {
    Notify(SB_LINEDOWN, 0);
  } else if (::PtInRect(&page_up_, point)) {
    Notify(SB_PAGEUP, 0);
  } else if (::PtInRect(&page_down_, point)) {
    Notify(SB_PAGEDOWN, 0);
  } else if (::PtInRect(&thumb_, point)) {
    RunDrag(point);
  }
  return true;
}

void UIScrollBar::Notify(WORD code, int value) {
  if (parent_) {
    parent_->OnChildNotify(this, WM_VSCROLL, MAKEWPARAM(code, static_cast<WORD>(value)), 0);
  }
}

void UIScrollBar::RunDrag(POINT point) {
  const HWND host = GetHostWindow();
  if (!host) return;
  drag_anchor_ = point.y - rect_.top;
  // Counted from the current position, so that a drag that ends where it
  // began reports nothing even after the owner moved the bar otherwise.
  last_reported_ = position_ - min_;
  ::SetCapture(host);
  ::UpdateWindow(host);
  // Waiting with MsgWaitForMultipleObjectsEx rather than GetMessageW lets the
  // loop see a capture taken away by a sent message at once.
  while (::GetCapture() == host) {
    MSG msg;
    if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
      continue;
    }
    if (msg.message == WM_QUIT) {
      // Leave the quit request to the application's loop.
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (msg.message == WM_LBUTTONUP) break;
    if (msg.message == WM_KEYDOWN) {
      if (msg.wParam == VK_ESCAPE) break;
      continue;  // Other keys are dropped while dragging.
    }
    if (msg.message == WM_MOUSEMOVE) {
      DragStep({static_cast<LONG>(LOWORD(msg.lParam)), static_cast<LONG>(HIWORD(msg.lParam))});
      continue;
    }
    ::DispatchMessageW(&msg);
  }
  if (::GetCapture() == host) ::ReleaseCapture();
  Invalidate(nullptr, true);
}

void UIScrollBar::DragStep(POINT point) {
  const int x = point.x - rect_.left;
  const int y = point.y - rect_.top;
  const RECT track = Relative(track_, rect_);
  const RECT up = Relative(line_up_, rect_);
  const RECT down = Relative(line_down_, rect_);
  if (y > down.top || y < up.bottom) return;
  if (x < track.left - kDragSlack || x > track.right + kDragSlack) return;

  RECT moved = Relative(thumb_, rect_);
  ::OffsetRect(&moved, 0, y - drag_anchor_);
  if (moved.top < track.top) ::OffsetRect(&moved, 0, track.top - moved.top);
  if (moved.bottom > down.top) ::OffsetRect(&moved, 0, track.bottom - moved.bottom);

  const int steps = max_ - min_ - page_ + 1;
  // A thumb that fills the track has no room to move: position 0, not
  // MulDiv's -1 for a zero divisor.
  const int room = Height(track) - Height(moved);
  track_position_ = steps > 0 && room > 0 ? ::MulDiv(moved.top - track.top, steps, room) : 0;
  if (track_position_ != last_reported_) Notify(SB_THUMBTRACK, track_position_);
  last_reported_ = track_position_;
  drag_anchor_ = y;
}

int UIScrollBar::PositionAfterCode(WORD code) const {
  const int top = max_ - page_ - 1;
  int next = position_;
  switch (code) {
    case SB_LINEUP:
      next = std::max(position_ - 1, min_);
      break;
    case SB_LINEDOWN:
      next = std::min(position_ + 1, top);
      break;
    case SB_PAGEUP:
      next = std::max(position_ - page_, min_);
      break;
    case SB_PAGEDOWN:
      next = std::min(position_ + page_, top);
      break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
      next = track_position_;
      break;
    case SB_TOP:
      next = min_;
      break;
    case SB_BOTTOM:
      next = top;
      break;
    default:
      break;
  }
  // Content shorter than the page has its bottom above min: stay at min
  // rather than scroll the content down.
  return std::max(next, min_);
}

int UIScrollBar::PositionAfterWheel(UINT delta) const {
  const int step = page_ / 8;
  const int next =
      (delta & 0x8000) ? std::min(position_ + step, max_ - page_ + 1) : position_ - step;
  return std::max(next, min_);
}

void UIScrollBar::MoveTo(int position) {
  position_ = position;
  UpdateThumb();
  Invalidate(nullptr, true);
}
