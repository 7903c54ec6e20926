#include "ui/controls/ui_radio_box.h"

#include "ui/framework/accessible_elements.h"

UIRadioBox::UIRadioBox() { kind_ = kElementRadioBox; }

bool UIRadioBox::LoadSkin(IResource* resource, const char* path, const JsonValue* base) {
  const JsonValue* node = LoadElementBasics(this, resource, path, base);
  if (!node) return false;
  images_ = LoadStateImages(resource, node, "");
  caption_look_ = LoadCaptionLook(resource, node);
  return true;
}

int UIRadioBox::VisualState() const {
  if (!enabled()) return kVisualGrayed;
  if (interaction_state_ == kInteractionLighted) return kVisualLighted;
  if (interaction_state_ == kInteractionPressed || checked_) return kVisualPressed;
  return kVisualNormal;
}

void UIRadioBox::OnPaint(HDC dc, const RECT& rect, const RECT&) {
  const int state = VisualState();
  PaintCaptionedState(dc, rect, images_[state], caption_look_.styles[state], caption_look_.margin,
                      caption_, false);
}

bool UIRadioBox::OnMouseEnter(UINT, POINT) {
  if (!enabled() || !visible() || interaction_state_ == kInteractionLighted) return true;
  interaction_state_ = checked_ ? kInteractionPressed : kInteractionLighted;
  Invalidate(nullptr, true);
  return true;
}

bool UIRadioBox::OnMouseLeave(UINT, POINT) {
  if (!enabled() || !visible() || interaction_state_ == kInteractionNormal) return true;
  interaction_state_ = kInteractionNormal;
  Invalidate(nullptr, true);
  return true;
}

bool UIRadioBox::OnLButtonDown(UINT, POINT) {
  if (!enabled() || !visible() || interaction_state_ == kInteractionPressed) return true;
  interaction_state_ = kInteractionPressed;
  Invalidate(nullptr, true);
  return true;
}

bool UIRadioBox::OnLButtonDblClk(UINT keys, POINT point) { return OnLButtonDown(keys, point); }

bool UIRadioBox::OnLButtonUp(UINT, POINT) {
  if (!enabled() || !visible() || interaction_state_ == kInteractionLighted) return true;
  interaction_state_ = kInteractionLighted;
  Select();
  return true;
}

void UIRadioBox::Select() {
  if (checked_) return;
  checked_ = true;
  interaction_state_ = kInteractionPressed;
  UncheckSiblings();
  Invalidate(nullptr, true);
  NotifyElementChange(this, EVENT_OBJECT_STATECHANGE);
  const WPARAM command = LOWORD(command_id());
  if (parent()) parent()->OnChildNotify(this, WM_COMMAND, command, reinterpret_cast<LPARAM>(this));
  SendToHost(WM_COMMAND, command, reinterpret_cast<LPARAM>(GetHostWindow()));
}

void UIRadioBox::UncheckSiblings() {
  if (!parent()) return;
  for (const auto& child : parent()->children()) {
    if (child.get() == this || child->kind() != kElementRadioBox) continue;
    auto* sibling = dynamic_cast<UIRadioBox*>(child.get());
    if (sibling && sibling->checked_) sibling->Uncheck();
  }
}

void UIRadioBox::Uncheck() {
  checked_ = false;
  interaction_state_ = kInteractionNormal;
  Invalidate(nullptr, true);
  NotifyElementChange(this, EVENT_OBJECT_STATECHANGE);
}

bool UIRadioBox::Click() {
  Select();
  return true;
}

ElementDescription UIRadioBox::Describe() const {
  ElementDescription description;
  description.role = ElementRole::kRadioButton;
  description.name = caption_;
  description.checked = checked_;
  return description;
}

int UIRadioBox::OnShow(bool) {
  interaction_state_ = kInteractionNormal;
  return 1;
}

void UIRadioBox::SetText(const wchar_t* text) {
  caption_ = CaptionFrom(text);
  Invalidate(nullptr, true);
}
