#include "ui/controls/ui_tab_ctrl.h"

#include "setup/text_width.h"
#include "ui/framework/draw_primitives.h"
#include "ui/framework/gdi_handles.h"
#include "ui/framework/ui_resource.h"

namespace {

constexpr UINT kLabelAlign = DT_CENTER | DT_VCENTER | DT_SINGLELINE;

}  // namespace

UITabCtrl::UITabCtrl() { kind_ = kElementTabCtrl; }

bool UITabCtrl::LoadSkin(IResource* resource, const char* path, const JsonValue* base) {
  const JsonValue* node = resource ? resource->Find(path ? path : "", base) : nullptr;
  if (!node) return false;
  RememberSkin(resource, path, base);
  background_ = resource->GetStyle("bkgnd", node);
  item_normal_ = resource->GetStyle("Item/normal", node);
  item_pressed_ = resource->GetStyle("Item/pressed", node);
  text_normal_ = resource->GetTextStyle("Text/normal", node);
  text_pressed_ = resource->GetTextStyle("Text/pressed", node);
  return true;
}

int UITabCtrl::TabWidth(int label_width) {
  return label_width < kNarrowLabel ? kNarrowTabWidth : label_width + kLabelPadding;
}

TextStyle UITabCtrl::LabelStyle(int index) const {
  TextStyle style = index == selected_ ? text_pressed_ : text_normal_;
  style.align = kLabelAlign;
  return style;
}

void UITabCtrl::LayoutTabs(HDC dc) {
  int next = vertical_ ? rect_.top : rect_.left;
  for (size_t i = 0; i < tabs_.size(); ++i) {
    TabItem& tab = tabs_[i];
    if (!tab.visible) {
      tab.rect = {};
      continue;
    }
    if (vertical_) {
      tab.rect = {rect_.left, next, rect_.right, next + tab_height_};
      next += tab_height_;
      continue;
    }
    const TextStyle style = LabelStyle(static_cast<int>(i));
    const brindle::gdi::ScopedSelectObject font(dc, style.font);
    const int width = TabWidth(TextWidth(dc, tab.label));
    tab.rect = {next, rect_.top, next + width, rect_.bottom};
    next += width;
  }
}

void UITabCtrl::OnPaint(HDC dc, const RECT& rect, const RECT&) {
  LayoutTabs(dc);
  DrawStateEntry(rect, background_, dc);
  for (size_t i = 0; i < tabs_.size(); ++i) {
    const TabItem& tab = tabs_[i];
    if (!tab.visible) continue;
    const bool selected = static_cast<int>(i) == selected_;
    DrawStateEntry(tab.rect, selected ? item_pressed_ : item_normal_, dc);
    DrawSkinText(dc, LabelStyle(static_cast<int>(i)), tab.rect, tab.label.c_str(), nullptr);
  }
}

bool UITabCtrl::OnLButtonDown(UINT, POINT point) {
  if (!enabled_ || !visible_) return false;
  LayoutTabs(GetHostDC());
  for (size_t i = 0; i < tabs_.size(); ++i) {
    const TabItem& tab = tabs_[i];
    if (!tab.visible || static_cast<int>(i) == selected_ || !::PtInRect(&tab.rect, point)) {
      continue;
    }
    selected_ = static_cast<int>(i);
    Invalidate(nullptr, true);
    const WPARAM command = MAKEWPARAM(tab.command_id, 0);
    if (parent_) parent_->OnChildNotify(this, WM_COMMAND, command, reinterpret_cast<LPARAM>(this));
    SendToHost(WM_COMMAND, command, reinterpret_cast<LPARAM>(GetHostWindow()));
    break;
  }
  return true;
}

int UITabCtrl::AddTab(WORD command_id, const std::wstring& label) {
  tabs_.push_back({command_id, label, {}, true});
  Invalidate(nullptr, true);
  return static_cast<int>(tabs_.size()) - 1;
}

bool UITabCtrl::SetTabVisible(int index, bool visible) {
  if (index < 0 || index >= static_cast<int>(tabs_.size())) return false;
  tabs_[index].visible = visible;
  Invalidate(nullptr, true);
  return true;
}

void UITabCtrl::SetSelected(int index) {
  selected_ = index;
  Invalidate(nullptr, true);
}
