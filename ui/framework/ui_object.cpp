#include "ui/framework/ui_object.h"

#include <algorithm>
#include <map>
#include <utility>

#include "ui/framework/accessible_elements.h"
#include "ui/framework/dpi_awareness.h"
#include "ui/framework/element_factory.h"
#include "ui/framework/ui_resource.h"

namespace {

// WINDOWPOS flags after which the size may have changed.
constexpr UINT kNoSizeOrNoCopyBits = SWP_NOSIZE | SWP_NOCOPYBITS;

// Mouse positions as the element model reads them: each coordinate an
// unsigned 16-bit value (there is no capture, so they are never negative
// inside the client area).
POINT PointFromLParam(LPARAM lparam) {
  return {static_cast<LONG>(LOWORD(lparam)), static_cast<LONG>(HIWORD(lparam))};
}

UINT KeysFromWParam(WPARAM wparam) { return static_cast<UINT>(wparam); }

bool PositiveSize(const UIObject* element) {
  return element->size_w() > 0 && element->size_h() > 0;
}

bool Interactive(const UIObject* element) { return element->enabled() && element->visible(); }

HFONT MakeIconTitleFont(LONG weight) {
  LOGFONTW font = {};
  ::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0);
  font.lfWeight = weight;
  return ::CreateFontIndirectW(&font);
}

// Sends one element's tool rectangle to its host's tooltip window.
void SendToolRect(UIObject* element, bool show) {
  if (!element->has_tooltip()) return;
  UIObject* host = FindHost(element);
  if (!host || !host->tooltip_window()) return;
  TOOLINFOW tool = {};
  tool.cbSize = TTTOOLINFOW_V1_SIZE;
  tool.hwnd = element->GetHostWindow();
  tool.uId = reinterpret_cast<UINT_PTR>(element);
  tool.rect = show ? element->rect() : RECT{-1, -1, 0, 0};
  ::SendMessageW(host->tooltip_window(), TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
}

int CentreY(const UIObject* element) { return (element->rect().top + element->rect().bottom) / 2; }

void CollectTabStops(UIObject* element, std::vector<UIObject*>& stops) {
  for (const auto& child : element->children()) {
    if (!child->visible() || !child->enabled()) continue;
    if (child->IsTabStop()) stops.push_back(child.get());
    CollectTabStops(child.get(), stops);
  }
}

// Orders the elements of one tab group in rows (see TabOrder).
void SortInRows(std::vector<UIObject*>::iterator first, std::vector<UIObject*>::iterator last) {
  std::stable_sort(first, last,
                   [](const UIObject* a, const UIObject* b) { return CentreY(a) < CentreY(b); });
  while (first != last) {
    const RECT& anchor = (*first)->rect();
    const auto row_end = std::find_if(first, last, [&anchor](const UIObject* element) {
      return CentreY(element) >= anchor.bottom;
    });
    std::stable_sort(first, row_end, [](const UIObject* a, const UIObject* b) {
      return a->rect().left < b->rect().left;
    });
    first = row_end == first ? first + 1 : row_end;
  }
}

}  // namespace

UIObject* FindHost(UIObject* element) {
  while (element && !element->hwnd()) element = element->parent();
  return element;
}

int ElementDpi(const UIObject* element) {
  const UIObject* host = FindHost(const_cast<UIObject*>(element));
  return host ? host->dpi() : kBaseDpi;
}

bool InteractiveChain(const UIObject* element) {
  for (; element; element = element->parent()) {
    if (!Interactive(element)) return false;
  }
  return true;
}

void SortInReadingOrder(std::vector<UIObject*>& elements) {
  std::stable_sort(elements.begin(), elements.end(), [](const UIObject* a, const UIObject* b) {
    return a->tab_group() < b->tab_group();
  });
  for (auto first = elements.begin(); first != elements.end();) {
    const int group = (*first)->tab_group();
    const auto last = std::find_if(first, elements.end(), [group](const UIObject* element) {
      return element->tab_group() != group;
    });
    SortInRows(first, last);
    first = last;
  }
}

std::vector<UIObject*> TabOrder(UIObject* host) {
  std::vector<UIObject*> stops;
  if (!host) return stops;
  CollectTabStops(host, stops);
  SortInReadingOrder(stops);
  return stops;
}

void SetFocusElement(UIObject* host, UIObject* element) {
  if (!host || host->focus_child_ == element) return;
  UIObject* old = host->focus_child_;
  if (old) old->OnKillFocus(element);
  host->focus_child_ = element;
  if (element) element->OnSetFocus(old);
  NotifyElementFocus(host, element);
  // Only the focus look changes here; without cues there is none.
  if (!host->focus_cues()) return;
  if (old) old->Invalidate(nullptr, true);
  if (element) element->Invalidate(nullptr, true);
}

UIObject* MoveFocus(UIObject* host, bool forward) {
  if (!host) return nullptr;
  host->set_focus_cues(true);
  const std::vector<UIObject*> stops = TabOrder(host);
  if (stops.empty()) return host->focus_child();
  const auto count = static_cast<int>(stops.size());
  const auto found = std::find(stops.begin(), stops.end(), host->focus_child());
  int index = forward ? 0 : count - 1;
  if (found != stops.end()) {
    const auto current = static_cast<int>(found - stops.begin());
    index = (current + (forward ? 1 : count - 1)) % count;
  }
  UIObject* next = stops[static_cast<size_t>(index)];
  if (next == host->focus_child()) {
    next->Invalidate(nullptr, true);  // The focus look may have just been turned on.
  } else {
    SetFocusElement(host, next);
  }
  return next;
}

bool ShowsFocusLook(const UIObject* element) {
  UIObject* host = FindHost(const_cast<UIObject*>(element));
  return host && host != element && host->focus_child() == element && host->focus_cues();
}

UIObject* FindElementByCommand(UIObject* root, int id) {
  if (!root || id == 0) return nullptr;
  for (const auto& child : root->children()) {
    if (child->command_id() == id) return child.get();
    if (UIObject* found = FindElementByCommand(child.get(), id)) return found;
  }
  return nullptr;
}

HFONT ElementDefaultFont() {
  static const brindle::gdi::Font font(MakeIconTitleFont(FW_NORMAL));
  return font.get();
}

HFONT ElementDefaultFontAt(int dpi) {
  const int system_dpi = WindowDpi(nullptr);
  if (dpi <= 0 || dpi == system_dpi) return ElementDefaultFont();
  static std::map<int, brindle::gdi::Font> fonts;
  brindle::gdi::Font& font = fonts[dpi];
  if (!font) {
    LOGFONTW log_font = {};
    ::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(log_font), &log_font, 0);
    log_font.lfHeight = ::MulDiv(log_font.lfHeight, dpi, system_dpi);
    font.reset(::CreateFontIndirectW(&log_font));
  }
  return font.get() ? font.get() : ElementDefaultFont();
}

void ReloadSkinTree(UIObject* element) {
  if (!element) return;
  element->ReloadSkin();
  for (const auto& child : element->children()) ReloadSkinTree(child.get());
  LayoutTree(element);
}

void ApplyHostDpi(UIObject* host, int dpi) {
  if (!host || !host->hwnd()) return;
  host->dpi_ = dpi;
  if (host->skin_resource_) host->skin_resource_->SetDpi(dpi);
  // The font first: laying the tree out measures text with it.
  if (host->memory_dc_) ::SelectObject(host->memory_dc_.get(), ElementDefaultFontAt(dpi));
  host->ReleaseBufferBitmap();
  ReloadSkinTree(host);
}

void ApplyDpiChange(UIObject* host, WPARAM wparam, LPARAM lparam) {
  ApplyHostDpi(host, HIWORD(wparam));
  const auto* suggested = reinterpret_cast<const RECT*>(lparam);
  if (host && host->hwnd() && suggested) {
    ::SetWindowPos(host->hwnd(), nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void UIObject::RememberSkin(IResource* resource, const char* path, const JsonValue* base) {
  skin_resource_ = resource;
  skin_path_ = path ? path : "";
  skin_base_ = base;
}

void UIObject::ReloadSkin() {
  if (skin_resource_) LoadSkin(skin_resource_, skin_path_.c_str(), skin_base_);
}

HFONT ElementDefaultBoldFont() {
  static const brindle::gdi::Font font(MakeIconTitleFont(FW_BOLD));
  return font.get();
}

UIObject::UIObject() {
  ElementDefaultFont();
  ElementDefaultBoldFont();
}

UIObject::~UIObject() {
  // Children go first; moving them out keeps a repaint triggered by a dying
  // child from walking a half-destroyed list.
  hover_child_ = nullptr;
  focus_child_ = nullptr;
  timers_.clear();
  std::vector<std::unique_ptr<UIObject>> children = std::move(children_);
  children.clear();
  background_brush_.reset();
  tooltip_window_.reset();
  ReleaseBufferBitmap();
  memory_dc_.reset();
}

void UIObject::set_size(int x, int y, int w, int h) {
  size_x_ = x;
  size_y_ = y;
  size_w_ = w;
  size_h_ = h;
}

// ---- Tree operations. ----

UIObject* AppendChild(UIObject* parent, std::unique_ptr<UIObject> child) {
  if (!parent || !child) return nullptr;
  child->parent_ = parent;
  parent->children_.push_back(std::move(child));
  return parent->children_.back().get();
}

UIObject* CreateElement(const char* path, IResource* resource, int kind, UIObject* parent) {
  if (!parent) return nullptr;
  std::unique_ptr<UIObject> element = MakeElement(kind);
  if (!element) return nullptr;
  if (resource) element->LoadSkin(resource, path, nullptr);
  UIObject* added = AppendChild(parent, std::move(element));
  LayoutTree(added);
  return added;
}

void SetPosition(UIObject* element, int x, int y, int w, int h) {
  const RECT before = element->rect();
  element->set_size(x, y, w >= 0 ? w : element->size_w(), h >= 0 ? h : element->size_h());
  if (PositiveSize(element)) element->OnLayout();
  // A moved element would otherwise leave its old picture behind on a
  // layered host, where nothing else repaints that area.
  if (!::EqualRect(&before, &element->rect()) && !::IsRectEmpty(&before)) {
    element->Invalidate(&before, true);
  }
  element->Invalidate(nullptr, true);
}

void LayoutTree(UIObject* element) {
  if (PositiveSize(element)) element->OnLayout();
  for (const auto& child : element->children()) {
    if (PositiveSize(child.get())) child->OnLayout();
  }
}

void SetVisible(UIObject* element, bool visible) {
  element->visible_ = visible;
  element->OnShow(visible);
  element->Invalidate(nullptr, true);
  UpdateToolRect(element, visible);
}

UINT_PTR SetElementTimer(UIObject* element, UINT elapse) {
  UIObject* host = FindHost(element);
  if (!host || !::IsWindow(host->hwnd())) return 0;
  const UINT_PTR id = host->timers_.empty() ? 1 : host->timers_.rbegin()->first + 1;
  if (!::SetTimer(host->hwnd(), id, elapse, nullptr)) return 0;
  host->timers_[id] = element;
  return id;
}

BOOL KillElementTimer(UINT_PTR id, UIObject* element) {
  UIObject* host = FindHost(element);
  if (!host || !::IsWindowVisible(host->hwnd())) return FALSE;
  host->timers_.erase(id);
  return ::KillTimer(host->hwnd(), id);
}

void UpdateToolRect(UIObject* element, bool show) {
  SendToolRect(element, show);
  for (const auto& child : element->children()) UpdateToolRect(child.get(), show);
}

UIObject* HitTestChildren(UIObject* element, POINT point) {
  const auto& children = element->children();
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    UIObject* child = it->get();
    if (child->visible() && ::PtInRect(&child->rect(), point)) return child;
  }
  return nullptr;
}

UIObject* DeepestHovered(UIObject* element) {
  UIObject* deepest = nullptr;
  for (UIObject* next = element->hover_child(); next; next = next->hover_child()) deepest = next;
  return deepest;
}

LRESULT RouteMouseMove(UIObject* element, UINT keys, POINT point) {
  if (!::PtInRect(&element->rect_, point)) {
    if (element->hovered_) {
      element->hovered_ = false;
      element->OnMouseLeave(keys, point);
      if (element->hover_child_) RouteMouseMove(element->hover_child_, keys, point);
      element->hover_child_ = nullptr;
    }
    return 0;
  }
  if (!element->hovered_) {
    element->hovered_ = true;
    element->OnMouseEnter(keys, point);
  }
  UIObject* previous = element->hover_child_;
  if (previous) RouteMouseMove(previous, keys, point);
  UIObject* hit = HitTestChildren(element, point);
  if (hit && hit == previous) return 1;
  // The pointer can still be inside a child that is no longer the one hit
  // (it was hidden, or a later sibling overlaps it): it leaves all the same,
  // so no hidden or covered element keeps a hovered look.
  if (previous && previous->hovered_) previous->LeaveHoverChain(keys, point);
  if (hit) RouteMouseMove(hit, keys, point);
  element->hover_child_ = hit;
  return element->OnMouseMove(keys, point);
}

void UIObject::LeaveHoverChain(UINT keys, POINT point) {
  for (UIObject* element = this; element;) {
    UIObject* next = element->hover_child_;
    element->hover_child_ = nullptr;
    if (element->hovered_) {
      element->hovered_ = false;
      element->OnMouseLeave(keys, point);
    }
    element = next;
  }
}

// ---- Host handlers. ----

LRESULT UIObject::HandleEraseBkgnd(WPARAM, LPARAM) { return 1; }

LRESULT UIObject::HandleMouseMove(WPARAM wparam, LPARAM lparam) {
  if (!mouse_tracking_) {
    TRACKMOUSEEVENT track = {};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = hwnd();
    track.dwHoverTime = 0;
    mouse_tracking_ = _TrackMouseEvent(&track) != FALSE;
  }
  RouteMouseMove(this, KeysFromWParam(wparam), PointFromLParam(lparam));
  return CallPreviousProc(WM_MOUSEMOVE, wparam, lparam);
}

LRESULT UIObject::HandleMouseLeave(WPARAM wparam, LPARAM lparam) {
  mouse_tracking_ = false;
  if (hovered_) LeaveHoverChain(0, POINT{-1, -1});
  return CallPreviousProc(WM_MOUSELEAVE, wparam, lparam);
}

LRESULT UIObject::HandleSetCursor(WPARAM wparam, LPARAM lparam) {
  if (OnSetCursor()) return 1;
  return CallPreviousProc(WM_SETCURSOR, wparam, lparam);
}

LRESULT UIObject::HandleWindowPosChanged(WPARAM wparam, LPARAM lparam) {
  const auto* pos = reinterpret_cast<const WINDOWPOS*>(lparam);
  bool laid_out = false;
  if (pos && (pos->flags & kNoSizeOrNoCopyBits) == 0) {
    RECT client;
    if (::GetClientRect(hwnd(), &client) && !::EqualRect(&client, &rect_)) {
      rect_ = client;
      in_layout_ = true;
      laid_out = true;
      LayoutTree(this);
      OnResized();
    }
  }
  const LRESULT result = CallPreviousProc(WM_WINDOWPOSCHANGED, wparam, lparam);
  if (laid_out) {
    in_layout_ = false;
    if (layered_) Invalidate(nullptr, true);
  }
  return result;
}

void UIObject::DeliverLButtonDown(UINT keys, POINT point) {
  UIObject* deepest = DeepestHovered(this);
  if (!deepest) {
    SetFocusElement(this, nullptr);
    OnLButtonDown(keys, point);
    return;
  }
  if (!Interactive(deepest)) return;
  SetFocusElement(this, deepest);
  deepest->OnLButtonDown(keys, point);
}

LRESULT UIObject::HandleLButtonDown(WPARAM wparam, LPARAM lparam) {
  const LRESULT result = CallPreviousProc(WM_LBUTTONDOWN, wparam, lparam);
  ::SetFocus(GetHostWindow());
  DeliverLButtonDown(KeysFromWParam(wparam), PointFromLParam(lparam));
  return result;
}

LRESULT UIObject::HandleLButtonUp(WPARAM wparam, LPARAM lparam) {
  const LRESULT result = CallPreviousProc(WM_LBUTTONUP, wparam, lparam);
  const POINT point = PointFromLParam(lparam);
  UIObject* deepest = DeepestHovered(this);
  if (!deepest) {
    OnLButtonUp(KeysFromWParam(wparam), point);
  } else if (Interactive(deepest)) {
    deepest->OnLButtonUp(KeysFromWParam(wparam), point);
  }
  return result;
}

LRESULT UIObject::HandleLButtonDblClk(WPARAM wparam, LPARAM lparam) {
  const LRESULT result = CallPreviousProc(WM_LBUTTONDBLCLK, wparam, lparam);
  OnLButtonDblClk(KeysFromWParam(wparam), PointFromLParam(lparam));
  return result;
}

LRESULT UIObject::HandleRButtonUp(WPARAM wparam, LPARAM lparam) {
  const LRESULT result = CallPreviousProc(WM_RBUTTONUP, wparam, lparam);
  OnRButtonUp(KeysFromWParam(wparam), PointFromLParam(lparam));
  return result;
}

LRESULT UIObject::HandleRButtonDown(WPARAM wparam, LPARAM lparam) {
  const LRESULT result = CallPreviousProc(WM_RBUTTONDOWN, wparam, lparam);
  OnRButtonDown(KeysFromWParam(wparam), PointFromLParam(lparam));
  return result;
}

LRESULT UIObject::HandleCommand(WPARAM wparam, LPARAM lparam) {
  const LRESULT result = CallPreviousProc(WM_COMMAND, wparam, lparam);
  if (const HWND parent = ::GetParent(hwnd())) ::SendMessageW(parent, WM_COMMAND, wparam, lparam);
  return result;
}

LRESULT UIObject::HandleKeyUp(WPARAM wparam, LPARAM lparam) {
  const LRESULT result = CallPreviousProc(WM_KEYUP, wparam, lparam);
  (focus_child_ ? focus_child_ : this)->OnKeyUp(wparam, lparam);
  return result;
}

LRESULT UIObject::HandleKeyDown(WPARAM wparam, LPARAM lparam) {
  const LRESULT result = CallPreviousProc(WM_KEYDOWN, wparam, lparam);
  if (wparam == VK_TAB && ::GetKeyState(VK_CONTROL) >= 0 && ::GetKeyState(VK_MENU) >= 0) {
    MoveFocus(this, ::GetKeyState(VK_SHIFT) >= 0);
    return result;
  }
  if (focus_child_ && focus_child_->OnKeyDown(wparam, lparam)) return result;
  if (OnKeyDown(wparam, lparam)) return result;
  if (wparam == VK_RETURN) RunCommand(default_command_);
  if (wparam == VK_ESCAPE) RunCommand(cancel_command_);
  return result;
}

bool UIObject::RunCommand(int id) {
  if (id == 0) return false;
  if (UIObject* element = FindElementByCommand(this, id)) {
    return InteractiveChain(element) && element->Click();
  }
  ::SendMessageW(hwnd(), WM_COMMAND, LOWORD(id), reinterpret_cast<LPARAM>(hwnd()));
  return true;
}

LRESULT UIObject::HandleChar(WPARAM wparam, LPARAM lparam) {
  const LRESULT result = CallPreviousProc(WM_CHAR, wparam, lparam);
  if (wparam != L'\t') (focus_child_ ? focus_child_ : this)->OnChar(wparam, lparam);
  return result;
}

LRESULT UIObject::HandleNotify(WPARAM wparam, LPARAM lparam) {
  auto* header = reinterpret_cast<NMHDR*>(lparam);
  if (header && header->code == TTN_GETDISPINFOW) {
    OnToolTipText(reinterpret_cast<NMTTDISPINFOW*>(header));
  }
  return CallPreviousProc(WM_NOTIFY, wparam, lparam);
}

LRESULT UIObject::HandleTimer(WPARAM wparam, LPARAM) {
  const UINT_PTR id = wparam;
  const auto found = timers_.find(id);
  if (found == timers_.end()) {
    ::KillTimer(hwnd(), id);
  } else {
    found->second->OnTimer(id);
  }
  return 0;
}

LRESULT UIObject::HandleMouseWheel(WPARAM wparam, LPARAM lparam) {
  const UINT keys = LOWORD(wparam);
  const UINT delta = HIWORD(wparam);
  const POINT point = PointFromLParam(lparam);
  UIObject* deepest = DeepestHovered(this);
  if (!deepest) {
    OnMouseWheel(keys, delta, point);
  } else if (Interactive(deepest)) {
    deepest->parent()->OnMouseWheel(keys, delta, point);
    deepest->OnMouseWheel(keys, delta, point);
  }
  return CallPreviousProc(WM_MOUSEWHEEL, wparam, lparam);
}

BOOL UIObject::PreTranslateMessage(MSG* msg) {
  RelayToTooltip(msg);
  return FALSE;
}

// ---- Element operations. ----

void UIObject::OnLayout() {
  const RECT parent_rect = parent_ ? parent_->rect() : RECT{};
  if (!parent_ || !PositiveSize(this) || ::EqualRect(&rect_, &parent_rect)) {
    SendToolRect(this, visible_);
    return;
  }
  const RECT& p = parent_rect;
  if (anchoring_off_) {
    rect_.left = p.left + size_x_;
    rect_.top = p.top + size_y_;
  } else {
    rect_.left = (size_x_ < 0 ? p.right : p.left) + size_x_;
    rect_.top = (size_y_ < 0 ? p.bottom : p.top) + size_y_;
  }
  rect_.right = rect_.left + size_w_;
  rect_.bottom = rect_.top + size_h_;
  for (const auto& child : children_) {
    if (PositiveSize(child.get())) child->OnLayout();
  }
  SendToolRect(this, visible_);
}

HWND UIObject::GetHostWindow() {
  if (hwnd()) return hwnd();
  return parent_ ? parent_->GetHostWindow() : nullptr;
}

void UIObject::OnPaint(HDC, const RECT&, const RECT&) {}

bool UIObject::LoadSkin(IResource*, const char*, const JsonValue*) { return false; }

bool UIObject::OnLButtonUp(UINT keys, POINT point) {
  UIObject* deepest = DeepestHovered(this);
  return deepest && Interactive(deepest) && deepest->OnLButtonUp(keys, point);
}

bool UIObject::OnLButtonDown(UINT, POINT) { return false; }

bool UIObject::OnLButtonDblClk(UINT keys, POINT point) {
  UIObject* deepest = DeepestHovered(this);
  return deepest && Interactive(deepest) && deepest->OnLButtonDblClk(keys, point);
}

bool UIObject::OnRButtonUp(UINT keys, POINT point) {
  UIObject* deepest = DeepestHovered(this);
  return deepest && Interactive(deepest) && deepest->OnRButtonUp(keys, point);
}

bool UIObject::OnRButtonDown(UINT keys, POINT point) {
  UIObject* deepest = DeepestHovered(this);
  return deepest && Interactive(deepest) && deepest->OnRButtonDown(keys, point);
}

bool UIObject::OnMouseMove(UINT, POINT) { return false; }
bool UIObject::OnMouseEnter(UINT, POINT) { return false; }
bool UIObject::OnMouseLeave(UINT, POINT) { return false; }
bool UIObject::OnMouseWheel(UINT, UINT, POINT) { return false; }
int UIObject::OnShow(bool) { return 1; }
void UIObject::OnToolTipText(NMTTDISPINFOW*) {}
void UIObject::OnTimer(UINT_PTR) {}
bool UIObject::OnKeyDown(WPARAM, LPARAM) { return false; }

bool UIObject::OnKeyUp(WPARAM wparam, LPARAM lparam) {
  UIObject* deepest = DeepestHovered(this);
  return deepest && Interactive(deepest) && deepest->OnKeyUp(wparam, lparam);
}

bool UIObject::OnChar(WPARAM, LPARAM) { return false; }
void UIObject::OnKillFocus(UIObject*) {}
void UIObject::OnSetFocus(UIObject*) {}

bool UIObject::OnSetCursor() {
  UIObject* deepest = DeepestHovered(this);
  if (!deepest) return false;
  if (deepest->OnSetCursor()) return true;
  if (!Interactive(deepest) || !deepest->cursor()) return false;
  if (::GetCursor() != deepest->cursor()) ::SetCursor(deepest->cursor());
  return true;
}

LRESULT UIObject::SendToHost(UINT message, WPARAM wparam, LPARAM lparam) {
  if (hwnd()) return ::SendMessageW(hwnd(), message, wparam, lparam);
  return parent_ ? parent_->SendToHost(message, wparam, lparam) : 0;
}

LRESULT UIObject::PostToHost(UINT message, WPARAM wparam, LPARAM lparam) {
  if (hwnd()) return ::PostMessageW(hwnd(), message, wparam, lparam);
  return parent_ ? parent_->PostToHost(message, wparam, lparam) : 0;
}

LRESULT UIObject::OnChildNotify(UIObject* child, UINT message, WPARAM wparam, LPARAM lparam) {
  return parent_ ? parent_->OnChildNotify(child, message, wparam, lparam) : 0;
}

void UIObject::OnResized() {}

bool UIObject::IsTabStop() const { return false; }

bool UIObject::Click() { return false; }

ElementDescription UIObject::Describe() const { return {}; }

void UIObject::RelayToTooltip(MSG* msg) {
  if (tooltip_window_) {
    ::SendMessageW(tooltip_window_.get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
  }
  for (const auto& child : children_) child->RelayToTooltip(msg);
}
