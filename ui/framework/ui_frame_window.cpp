#include "ui/framework/ui_frame_window.h"

#include <windowsx.h>

#include <memory>
#include <utility>

#include "ui/framework/dpi_awareness.h"
#include "ui/framework/draw_primitives.h"
#include "ui/framework/element_factory.h"
#include "ui/framework/gdi_handles.h"
#include "ui/framework/ui_resource.h"

namespace {

// Size of the sizing corners and edges of a WS_THICKFRAME frame, pixels.
constexpr int kCornerSize = 4;
constexpr int kTopEdgeRows = 2;

void LoadPiece(IResource* resource, const JsonValue* node, const char* name,
               UIFrameWindow::FramePiece& piece) {
  const std::string path = std::string("Frames/") + name;
  piece.normal = resource->GetStyle(path + "/normal", node);
  piece.grayed = resource->GetStyle(path + "/grayed", node);
}

bool InLowestRows(const RECT& rect, POINT point, int rows) { return point.y >= rect.bottom - rows; }

}  // namespace

UIFrameWindow::UIFrameWindow() { kind_ = kElementFrameWindow; }

LRESULT UIFrameWindow::HandleNcPaint(WPARAM, LPARAM) { return 0; }

LRESULT UIFrameWindow::HandleNcActivate(WPARAM, LPARAM) { return 1; }

LRESULT UIFrameWindow::HandleCreate(WPARAM, LPARAM) {
  const LONG style = ::GetWindowLongW(hwnd(), GWL_STYLE);
  if (style & WS_CAPTION) ::SetWindowLongW(hwnd(), GWL_STYLE, style & ~WS_CAPTION);
  return 0;
}

LRESULT UIFrameWindow::HandleNcCreate(WPARAM wparam, LPARAM lparam) {
  set_dpi(WindowDpi(hwnd()));
  return CallPreviousProc(WM_NCCREATE, wparam, lparam);
}

LRESULT UIFrameWindow::HandleNcCalcSize(WPARAM wparam, LPARAM lparam) {
  // The proposed window rectangle, as the system passes it in; the WINDOWPOS
  // of the same call may hold zeros when the size or position is kept.
  auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(lparam);
  const RECT proposed = wparam && params ? params->rgrc[0] : RECT{};
  const LRESULT result = CallPreviousProc(WM_NCCALCSIZE, wparam, lparam);
  if (wparam && params) params->rgrc[0] = proposed;
  return result;
}

bool UIFrameWindow::ChildBlocksDrag(POINT point) const {
  for (const auto& child : children()) {
    if (!child->drag_through() && ::PtInRect(&child->rect(), point)) return true;
  }
  return false;
}

LRESULT UIFrameWindow::ThickFrameHit(POINT point, LRESULT fallback) const {
  if (::PtInRect(&top_.rect, point)) {
    if (ChildBlocksDrag(point)) return fallback;
    const bool corner_rows = point.y < top_.rect.top + kCornerSize;
    if (corner_rows && point.x < top_.rect.left + kCornerSize) return HTTOPLEFT;
    if (corner_rows && point.x >= top_.rect.right - kCornerSize) return HTTOPRIGHT;
    if (point.y < top_.rect.top + kTopEdgeRows) return HTTOP;
    return HTCAPTION;
  }
  if (::PtInRect(&left_.rect, point)) {
    return InLowestRows(left_.rect, point, kCornerSize) ? HTBOTTOMLEFT : HTLEFT;
  }
  if (::PtInRect(&right_.rect, point)) {
    return InLowestRows(right_.rect, point, kCornerSize) ? HTBOTTOMRIGHT : HTRIGHT;
  }
  if (::PtInRect(&bottom_.rect, point)) {
    if (point.x < bottom_.rect.left + kCornerSize) return HTBOTTOMLEFT;
    if (point.x >= bottom_.rect.right - kCornerSize) return HTBOTTOMRIGHT;
    return HTBOTTOM;
  }
  return fallback;
}

LRESULT UIFrameWindow::HandleNcHitTest(WPARAM wparam, LPARAM lparam) {
  POINT point = {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  ::ScreenToClient(hwnd(), &point);
  const LRESULT answer = CallPreviousProc(WM_NCHITTEST, wparam, lparam);
  if (::GetWindowLongW(hwnd(), GWL_STYLE) & WS_THICKFRAME) return ThickFrameHit(point, answer);
  if (::PtInRect(&top_.rect, point) && !ChildBlocksDrag(point)) return HTCAPTION;
  return answer;
}

LRESULT UIFrameWindow::HandleSysCommand(WPARAM wparam, LPARAM lparam) {
  const LRESULT result = CallPreviousProc(WM_SYSCOMMAND, wparam, lparam);
  // A close may have destroyed the window.
  if (::IsWindow(hwnd())) ShowMatchingZoomButton();
  return result;
}

void UIFrameWindow::ShowMatchingZoomButton() {
  if (!maximize_button_ || !restore_button_) return;
  const bool zoomed = ::IsZoomed(hwnd()) != FALSE;
  UIObject* hide = zoomed ? maximize_button_ : restore_button_;
  UIObject* show = zoomed ? restore_button_ : maximize_button_;
  if (hide->visible()) SetVisible(hide, false);
  if (!show->visible()) SetVisible(show, true);
}

void UIFrameWindow::OnPaint(HDC dc, const RECT&, const RECT&) {
  DrawStateEntry(client_rect_, client_background_, dc);
  for (const FramePiece* piece : {&top_, &left_, &right_, &bottom_}) {
    DrawStateEntry(piece->rect, piece->normal, dc);
  }
}

bool UIFrameWindow::LoadSkin(IResource* resource, const char* path, const JsonValue* base) {
  if (resource && hwnd()) {
    set_dpi(WindowDpi(hwnd()));
    resource->SetDpi(dpi());
  }
  LoadFrame(resource, path, base);
  return true;
}

void UIFrameWindow::LoadFrame(IResource* resource, const char* path, const JsonValue* base) {
  const JsonValue* node = resource ? resource->Find(path ? path : "", base) : nullptr;
  if (node) {
    RememberSkin(resource, path, base);
    client_background_ = resource->GetStyle("Client/bkgnd", node);
    LoadPiece(resource, node, "Top", top_);
    LoadPiece(resource, node, "Left", left_);
    LoadPiece(resource, node, "Right", right_);
    LoadPiece(resource, node, "Bottom", bottom_);
    const std::pair<const char*, UIObject**> buttons[] = {
        {"SysBtns/Close", &close_button_},
        {"SysBtns/Restore", &restore_button_},
        {"SysBtns/Maximize", &maximize_button_},
        {"SysBtns/Minimize", &minimize_button_},
    };
    for (const auto& [key, field] : buttons) {
      if (!resource->Find(key, node)) continue;
      if (*field) {
        (*field)->LoadSkin(resource, key, node);
        continue;
      }
      std::unique_ptr<UIObject> button = MakeElement(kElementButton);
      if (!button) continue;
      button->LoadSkin(resource, key, node);
      *field = AppendChild(this, std::move(button));
      (*field)->set_tab_group(1);
      LayoutTree(*field);
    }
    if (restore_button_ && !::IsZoomed(hwnd())) SetVisible(restore_button_, false);
  }
  OnResized();
}

void UIFrameWindow::ReloadSkin() {
  if (skin_resource()) LoadFrame(skin_resource(), skin_path_.c_str(), skin_base_);
}

LRESULT UIFrameWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != kDpiChangedMessage) return UIObject::OnMessage(message, wparam, lparam);
  ApplyDpiChange(this, wparam, lparam);
  OnResized();
  Invalidate(nullptr, true);
  return 0;
}

LRESULT UIFrameWindow::OnChildNotify(UIObject* child, UINT message, WPARAM, LPARAM) {
  if (message != WM_COMMAND || !child) return 0;
  const std::pair<UIObject*, WPARAM> commands[] = {
      {close_button_, SC_CLOSE},
      {maximize_button_, SC_MAXIMIZE},
      {minimize_button_, SC_MINIMIZE},
      {restore_button_, SC_RESTORE},
  };
  for (const auto& [button, command] : commands) {
    if (child == button) {
      ::SendMessageW(hwnd(), WM_SYSCOMMAND, command, 0);
      break;
    }
  }
  return 0;
}

void UIFrameWindow::OnResized() {
  RECT client = rect_;
  if (hwnd()) ::GetClientRect(hwnd(), &client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  const int top = top_.normal.height;
  const int left = left_.normal.width;
  const int right = right_.normal.width;
  const int bottom = bottom_.normal.height;
  client_rect_ = {left, top, width - right, height - bottom};
  top_.rect = {0, 0, width, top};
  left_.rect = {0, top, left, height - bottom};
  right_.rect = {width - right, top, width, height - bottom};
  bottom_.rect = {0, height - bottom, width, height};
  if (!hwnd()) return;
  if (layered()) {
    ::SetWindowRgn(hwnd(), nullptr, FALSE);
    return;
  }
  brindle::gdi::Region region(::CreateRectRgn(0, 0, width + 1, height + 1));
  // On success the system owns the region.
  if (region && ::SetWindowRgn(hwnd(), region.get(), FALSE)) region.release();
}
