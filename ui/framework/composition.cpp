// Invalidation, the back buffer, the painting walk and the composition of
// layered hosts (the painting half of UIObject), and OnMessage, which routes
// the compose message and the accessibility messages.
#include <cstdint>
#include <cstring>

#include "ui/framework/accessible_window.h"
#include "ui/framework/gdi_handles.h"
#include "ui/framework/ui_object.h"

namespace {

// Sends the compose message to a host's own window: on this thread the window
// procedure runs directly, so the window is recomposed when this returns.
void SendCompose(HWND window, const RECT* area) {
  DWORD_PTR result = 0;
  ::SendMessageTimeoutW(window, kComposeMessage, reinterpret_cast<WPARAM>(area), 0, SMTO_BLOCK, 0,
                        &result);
}

int Width(const RECT& rect) { return rect.right - rect.left; }
int Height(const RECT& rect) { return rect.bottom - rect.top; }

// Fills `area` of the DC with the brush (PATCOPY).
void FillWithBrush(HDC dc, HBRUSH brush, const RECT& area) {
  if (!brush) return;
  brindle::gdi::ScopedSelectObject select(dc, brush);
  ::PatBlt(dc, area.left, area.top, Width(area), Height(area), PATCOPY);
}

}  // namespace

void UIObject::Invalidate(const RECT* rect, bool erase) {
  if (!hwnd()) {
    if (parent_) parent_->Invalidate(rect ? rect : &rect_, erase);
    return;
  }
  if (in_layout_) return;
  if (!::IsWindowVisible(hwnd())) {
    if (layered_) composition_pending_ = true;
    return;
  }
  if (layered_) {
    SendCompose(hwnd(), rect);
  } else {
    ::InvalidateRect(hwnd(), rect, erase);
  }
}

HDC UIObject::GetHostDC() {
  if (hwnd()) return EnsureMemoryDC() ? memory_dc_.get() : nullptr;
  return parent_ ? parent_->GetHostDC() : nullptr;
}

bool UIObject::EnsureMemoryDC() {
  if (memory_dc_) return true;
  brindle::gdi::WindowDC window_dc(hwnd());
  memory_dc_.reset(::CreateCompatibleDC(window_dc.get()));
  if (!memory_dc_) return false;
  ::SetBkMode(memory_dc_.get(), TRANSPARENT);
  ::SelectObject(memory_dc_.get(), ElementDefaultFontAt(dpi_));
  // The background brush is selected only while it fills (FillWithBrush),
  // so it can be replaced or deleted at any time.
  return true;
}

void UIObject::ReleaseBufferBitmap() {
  if (memory_dc_ && previous_bitmap_) ::SelectObject(memory_dc_.get(), previous_bitmap_);
  buffer_bitmap_.reset();
  buffer_bits_ = nullptr;
  buffer_bytes_ = 0;
  buffer_stride_ = 0;
  buffer_width_ = 0;
  buffer_height_ = 0;
}

bool EnsureBackBuffer(UIObject* host) {
  const int width = Width(host->rect_);
  const int height = Height(host->rect_);
  const bool kind_matches = host->layered_ == (host->buffer_bits_ != nullptr);
  if (host->memory_dc_ && host->buffer_width_ == width && host->buffer_height_ == height &&
      kind_matches) {
    return false;
  }
  host->ReleaseBufferBitmap();
  if (!host->EnsureMemoryDC()) return false;
  brindle::gdi::WindowDC window_dc(host->hwnd());
  host->buffer_width_ = width;
  host->buffer_height_ = height;
  if (width <= 0 || height <= 0) return false;
  if (host->layered_) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // Bottom-up rows.
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    host->buffer_bitmap_.reset(
        ::CreateDIBSection(window_dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!host->buffer_bitmap_) return false;
    host->buffer_bits_ = bits;
    host->buffer_stride_ = width * 4;
    host->buffer_bytes_ = height * host->buffer_stride_;
  } else {
    host->buffer_bitmap_.reset(::CreateCompatibleBitmap(window_dc.get(), width, height));
    if (!host->buffer_bitmap_) return false;
  }
  const HGDIOBJ previous = ::SelectObject(host->memory_dc_.get(), host->buffer_bitmap_.get());
  if (!host->previous_bitmap_) host->previous_bitmap_ = previous;
  return true;
}

void PaintChildren(HDC dc, UIObject* element, const RECT& clip) {
  RECT visible_area;
  if (!::IntersectRect(&visible_area, &element->rect(), &clip)) return;
  const auto& children = element->children();
  for (size_t i = 0; i < children.size(); ++i) {
    UIObject* child = children[i].get();
    RECT area;
    if (!child->visible() || !::IntersectRect(&area, &visible_area, &child->rect())) continue;
    {
      brindle::gdi::ScopedSaveDC saved(dc);
      brindle::gdi::Region region(::CreateRectRgnIndirect(&area));
      ::SelectClipRgn(dc, region.get());
      child->OnPaint(dc, child->rect(), area);
    }
    PaintChildren(dc, child, area);
  }
}

LRESULT UIObject::HandlePaint(WPARAM, LPARAM) {
  brindle::gdi::PaintDC paint(hwnd());
  const RECT& area = paint.paint_rect();
  if (layered_ || ::IsRectEmpty(&area)) return 0;
  EnsureBackBuffer(this);
  if (!memory_dc_ || !buffer_bitmap_) return 0;
  const HDC dc = memory_dc_.get();
  {
    brindle::gdi::ScopedSaveDC saved(dc);
    ::IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
    FillWithBrush(dc, background_brush_.get(), area);
    OnPaint(dc, rect_, area);
    PaintChildren(dc, this, area);
  }
  ::BitBlt(paint.get(), area.left, area.top, Width(area), Height(area), dc, area.left, area.top,
           SRCCOPY);
  return 0;
}

void UIObject::Compose(const RECT* requested) {
  if (!layered_) return;
  RECT area;
  if (!::GetClientRect(hwnd(), &area)) return;
  if (requested && !::IntersectRect(&area, &area, requested)) return;
  if (::IsRectEmpty(&area)) return;
  EnsureBackBuffer(this);
  if (!buffer_bits_) return;
  // The buffer was made for rect_, which follows the client size; never touch
  // bytes outside it.
  const RECT buffer_rect = {0, 0, buffer_width_, buffer_height_};
  RECT cleared;
  if (::IntersectRect(&cleared, &area, &buffer_rect)) {
    ::GdiFlush();
    // Whole pixels are cleared, colour with alpha: the buffer holds
    // premultiplied colour, and colour left under a cleared alpha would be
    // added again by every semi-transparent picture drawn over it.
    auto* bytes = static_cast<uint8_t*>(buffer_bits_);
    const size_t span = 4 * static_cast<size_t>(cleared.right - cleared.left);
    for (int y = cleared.top; y < cleared.bottom; ++y) {
      uint8_t* row = bytes + buffer_bytes_ - buffer_stride_ * (y + 1);
      std::memset(row + 4 * cleared.left, 0, span);
    }
  }
  const HDC dc = memory_dc_.get();
  brindle::gdi::ScopedSaveDC saved(dc);
  ::IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
  FillWithBrush(dc, background_brush_.get(), area);
  OnPaint(dc, rect_, area);
  PaintChildren(dc, this, area);
  ::GdiFlush();
  RECT window;
  ::GetWindowRect(hwnd(), &window);
  POINT position = {window.left, window.top};
  SIZE size = {Width(window), Height(window)};
  POINT source = {0, 0};
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  ::UpdateLayeredWindow(hwnd(), nullptr, &position, &size, dc, &source, 0, &blend, ULW_ALPHA);
}

LRESULT UIObject::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kComposeMessage) {
    Compose(reinterpret_cast<const RECT*>(wparam));
    return 0;
  }
  LRESULT answer = 0;
  if (hwnd() && AnswerAccessibilityMessage(this, message, wparam, lparam, &answer)) return answer;
  return CallPreviousProc(message, wparam, lparam);
}

LRESULT UIObject::HandleShowWindow(WPARAM wparam, LPARAM lparam) {
  if (wparam && layered_ && (!composed_once_ || composition_pending_)) {
    composed_once_ = true;
    composition_pending_ = false;
    SendCompose(hwnd(), nullptr);
  }
  return CallPreviousProc(WM_SHOWWINDOW, wparam, lparam);
}

bool MakeLayered(UIObject* host) {
  if (!host->hwnd() || (::GetWindowLongW(host->hwnd(), GWL_STYLE) & WS_CHILD)) return false;
  if (!host->layered_) {
    host->ModifyExStyle(0, WS_EX_LAYERED);
    host->layered_ = (::GetWindowLongW(host->hwnd(), GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
    host->Invalidate(nullptr, true);
  }
  return host->layered_;
}
