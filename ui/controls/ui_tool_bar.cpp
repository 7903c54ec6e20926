#include "ui/controls/ui_tool_bar.h"

#include <commctrl.h>

#include "ui/controls/control_look.h"
#include "ui/framework/ch_bitmap.h"
#include "ui/framework/draw_primitives.h"
#include "ui/framework/ui_resource.h"

namespace {

// Rows of the image strip.
constexpr int kRowNormal = 0;
constexpr int kRowHot = 1;
constexpr int kRowPressed = 2;
constexpr int kRowDisabled = 3;

TOOLINFOW ToolInfo(HWND host, int index) {
  TOOLINFOW tool = {};
  tool.cbSize = TTTOOLINFOW_V1_SIZE;
  tool.hwnd = host;
  tool.uId = static_cast<UINT_PTR>(index) + 1;
  return tool;
}

}  // namespace

UIToolBar::UIToolBar() { kind_ = kElementToolBar; }

bool UIToolBar::LoadSkin(IResource* resource, const char* path, const JsonValue* base) {
  const JsonValue* node = LoadElementBasics(this, resource, path, base);
  if (!node) return false;
  background_ = resource->GetStyle("bkgnd", node);
  separator_ = resource->GetStyle("seperator", node);
  Changed();
  return true;
}

void UIToolBar::OnLayout() {
  UIObject::OnLayout();
  LayoutItems();
}

void UIToolBar::LayoutItems() {
  const int separator_width = separator_.image ? separator_.width : 0;
  const int top = rect_.top + (rect_.bottom - rect_.top - button_height_) / 2 + inset_top_;
  int x = rect_.left + inset_left_;
  for (size_t i = 0; i < items_.size(); ++i) {
    ToolBarItem& item = items_[i];
    if (!item.visible) {
      item.rect = {};
      RemoveTooltip(static_cast<int>(i));
      continue;
    }
    const int width = item.separator ? separator_width : button_width_;
    item.rect = {x + spacing_, top, x + spacing_ + width, top + button_height_};
    x += width + 2 * spacing_;
    if (!item.tooltip.empty()) RegisterTooltip(static_cast<int>(i));
  }
  layout_dirty_ = false;
}

void UIToolBar::OnPaint(HDC dc, const RECT& rect, const RECT&) {
  if (layout_dirty_) LayoutItems();
  DrawStateEntry(rect, background_, dc);
  for (size_t i = 0; i < items_.size(); ++i) {
    const ToolBarItem& item = items_[i];
    if (!item.visible) continue;
    if (item.separator) {
      DrawStateEntry(item.rect, separator_, dc);
      continue;
    }
    if (!strip_) continue;
    int row = kRowNormal;
    if (!item.enabled) {
      row = kRowDisabled;
    } else if (static_cast<int>(i) == hot_item_) {
      row = press_state_ == kPressDown  ? kRowPressed
            : press_state_ == kPressHot ? kRowHot
                                        : kRowNormal;
    }
    strip_->DrawBitmap(dc, item.rect.left, item.rect.top, button_width_, button_height_,
                       item.image_index * button_width_, row * button_height_, button_width_,
                       button_height_);
  }
}

int UIToolBar::ItemAt(POINT point) const {
  for (size_t i = 0; i < items_.size(); ++i) {
    const ToolBarItem& item = items_[i];
    if (item.visible && !item.separator && ::PtInRect(&item.rect, point)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

void UIToolBar::UpdateCursor(int item) {
  HCURSOR cursor = nullptr;
  if (item < 0) {
    cursor = ::LoadCursorW(nullptr, IDC_ARROW);
  } else if (items_[item].enabled) {
    cursor = ::LoadCursorW(nullptr, IDC_HAND);
  }
  if (!cursor) return;
  // Also the element's cursor, so that the host keeps showing it on
  // WM_SETCURSOR.
  set_cursor(cursor);
  ::SetCursor(cursor);
}

bool UIToolBar::OnMouseMove(UINT, POINT point) {
  if (!enabled_ || !visible_) return false;
  if (layout_dirty_) LayoutItems();
  const int previous = hot_item_;
  hot_item_ = ItemAt(point);
  press_state_ = hot_item_ >= 0 ? kPressHot : kPressNone;
  UpdateCursor(hot_item_);
  if (hot_item_ != previous) Invalidate(nullptr, true);
  return true;
}

bool UIToolBar::OnLButtonDown(UINT, POINT) {
  press_state_ = kPressDown;
  UpdateCursor(hot_item_);
  Invalidate(nullptr, true);
  return true;
}

bool UIToolBar::OnLButtonUp(UINT keys, POINT point) {
  UIObject::OnLButtonUp(keys, point);
  press_state_ = kPressHot;
  Invalidate(nullptr, true);
  if (hot_item_ < 0 || !items_[hot_item_].enabled) return true;
  press_state_ = kPressNone;
  Invalidate(nullptr, true);
  const WPARAM command = MAKEWPARAM(LOWORD(items_[hot_item_].command_id), 0);
  if (parent_) parent_->OnChildNotify(this, WM_COMMAND, command, reinterpret_cast<LPARAM>(this));
  SendToHost(WM_COMMAND, command, reinterpret_cast<LPARAM>(GetHostWindow()));
  return true;
}

bool UIToolBar::OnMouseLeave(UINT, POINT) {
  if (hot_item_ >= 0 && items_[hot_item_].stay_hot) return true;
  hot_item_ = -1;
  press_state_ = kPressNone;
  Invalidate(nullptr, true);
  return true;
}

void UIToolBar::RelayToTooltip(MSG* msg) {
  if (tooltips_) ::SendMessageW(tooltips_.get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
  UIObject::RelayToTooltip(msg);
}

void UIToolBar::SetImageStrip(CHBitmap* strip, int button_width, int button_height) {
  strip_ = strip;
  button_width_ = button_width;
  button_height_ = button_height;
  Changed();
}

void UIToolBar::SetSpacing(int spacing) {
  spacing_ = spacing;
  Changed();
}

void UIToolBar::SetInsets(int left, int top) {
  inset_left_ = left;
  inset_top_ = top;
  Changed();
}

int UIToolBar::AddButton(int command_id, int image_index, const std::wstring& tooltip,
                         bool stay_hot) {
  ToolBarItem item;
  item.command_id = command_id;
  item.image_index = image_index;
  item.tooltip = tooltip;
  item.stay_hot = stay_hot;
  items_.push_back(std::move(item));
  tool_registered_.push_back(false);
  Changed();
  return static_cast<int>(items_.size()) - 1;
}

int UIToolBar::AddSeparator() {
  ToolBarItem item;
  item.separator = true;
  items_.push_back(std::move(item));
  tool_registered_.push_back(false);
  Changed();
  return static_cast<int>(items_.size()) - 1;
}

bool UIToolBar::SetItemEnabled(int index, bool enabled) {
  if (index < 0 || index >= static_cast<int>(items_.size())) return false;
  items_[index].enabled = enabled;
  Changed();
  return true;
}

bool UIToolBar::SetItemVisible(int index, bool visible) {
  if (index < 0 || index >= static_cast<int>(items_.size())) return false;
  items_[index].visible = visible;
  Changed();
  return true;
}

void UIToolBar::Changed() {
  layout_dirty_ = true;
  Invalidate(nullptr, true);
}

bool UIToolBar::EnsureTooltips() {
  if (tooltips_) return true;
  const HWND host = GetHostWindow();
  if (!host) return false;
  INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&classes);
  tooltips_.reset(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                    WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, host, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr));
  return tooltips_ != nullptr;
}

void UIToolBar::RegisterTooltip(int index) {
  if (!EnsureTooltips()) return;
  ToolBarItem& item = items_[index];
  TOOLINFOW tool = ToolInfo(GetHostWindow(), index);
  tool.rect = item.rect;
  if (tool_registered_[index]) {
    ::SendMessageW(tooltips_.get(), TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    return;
  }
  // No TTF_SUBCLASS: the bar relays the host's mouse messages itself.
  tool.lpszText = item.tooltip.data();
  tool_registered_[index] =
      ::SendMessageW(tooltips_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != FALSE;
}

void UIToolBar::RemoveTooltip(int index) {
  if (!tooltips_ || !tool_registered_[index]) return;
  TOOLINFOW tool = ToolInfo(GetHostWindow(), index);
  ::SendMessageW(tooltips_.get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  tool_registered_[index] = false;
}
