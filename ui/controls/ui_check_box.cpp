#include "ui/controls/ui_check_box.h"

#include "ui/framework/accessible_elements.h"

UICheckBox::UICheckBox() { kind_ = kElementCheckBox; }

bool UICheckBox::LoadSkin(IResource* resource, const char* path, const JsonValue* base) {
  const JsonValue* node = LoadElementBasics(this, resource, path, base);
  if (!node) return false;
  images_ = LoadStateImages(resource, node, "");
  caption_look_ = LoadCaptionLook(resource, node);
  return true;
}

int UICheckBox::VisualState() const {
  if (!enabled()) return kVisualGrayed;
  if (interaction_state_ == kInteractionLighted) return kVisualLighted;
  if (interaction_state_ == kInteractionPressed || checked_) return kVisualPressed;
  if (ShowsFocusLook(this) && HasPicture(StateImage(kVisualFocused))) return kVisualFocused;
  return kVisualNormal;
}

const StateEntry& UICheckBox::StateImage(int state) const { return images_[state]; }

void UICheckBox::OnPaint(HDC dc, const RECT& rect, const RECT&) {
  const int state = VisualState();
  PaintCaptionedState(dc, rect, StateImage(state), caption_look_.styles[state],
                      caption_look_.margin, caption_, false);
  if (ShowsFocusLook(this)) PaintFocusFrame(dc, rect, caption_look_.styles[state].color);
}

bool UICheckBox::OnMouseEnter(UINT, POINT) {
  if (!enabled() || !visible() || interaction_state_ == kInteractionLighted) return true;
  interaction_state_ = checked_ ? kInteractionPressed : kInteractionLighted;
  Invalidate(nullptr, true);
  return true;
}

bool UICheckBox::OnMouseLeave(UINT, POINT) {
  if (!enabled() || !visible() || interaction_state_ == kInteractionNormal) return true;
  interaction_state_ = kInteractionNormal;
  Invalidate(nullptr, true);
  return true;
}

bool UICheckBox::OnLButtonDown(UINT, POINT) {
  if (!enabled() || !visible() || interaction_state_ == kInteractionPressed) return true;
  interaction_state_ = kInteractionPressed;
  Invalidate(nullptr, true);
  return true;
}

bool UICheckBox::OnLButtonDblClk(UINT keys, POINT point) { return OnLButtonDown(keys, point); }

bool UICheckBox::OnLButtonUp(UINT, POINT) {
  if (!enabled() || !visible() || interaction_state_ == kInteractionLighted) return true;
  interaction_state_ = kInteractionLighted;
  Toggle();
  return true;
}

void UICheckBox::Toggle() {
  checked_ = !checked_;
  if (checked_) interaction_state_ = kInteractionPressed;
  Invalidate(nullptr, true);
  NotifyElementChange(this, EVENT_OBJECT_STATECHANGE);
  SendToHost(WM_COMMAND, LOWORD(command_id()), reinterpret_cast<LPARAM>(GetHostWindow()));
}

bool UICheckBox::OnKeyDown(WPARAM wparam, LPARAM lparam) {
  if (wparam != VK_SPACE && wparam != VK_RETURN) return false;
  constexpr LPARAM kRepeat = 1 << 30;  // The key was already down.
  if (!enabled() || !visible()) return false;
  return (lparam & kRepeat) || Click();
}

bool UICheckBox::IsTabStop() const { return true; }

bool UICheckBox::Click() {
  interaction_state_ = kInteractionNormal;
  checked_ = !checked_;
  Invalidate(nullptr, true);
  NotifyElementChange(this, EVENT_OBJECT_STATECHANGE);
  SendToHost(WM_COMMAND, LOWORD(command_id()), reinterpret_cast<LPARAM>(GetHostWindow()));
  return true;
}

ElementDescription UICheckBox::Describe() const {
  ElementDescription description;
  description.role = ElementRole::kCheckButton;
  description.name = caption_;
  description.checked = checked_;
  return description;
}

int UICheckBox::OnShow(bool) {
  interaction_state_ = kInteractionNormal;
  return 1;
}

void UICheckBox::SetText(const wchar_t* text) {
  caption_ = CaptionFrom(text);
  Invalidate(nullptr, true);
}

void UICheckBox::SetCheck() {
  checked_ = true;
  interaction_state_ = kInteractionNormal;
  Invalidate(nullptr, true);
  NotifyElementChange(this, EVENT_OBJECT_STATECHANGE);
}

bool UICheckBoxEx::LoadSkin(IResource* resource, const char* path, const JsonValue* base) {
  const JsonValue* node = LoadElementBasics(this, resource, path, base);
  if (!node) return false;
  images_ = LoadStateImages(resource, node, "Unchecked/");
  checked_images_ = LoadStateImages(resource, node, "Checked/");
  caption_look_ = LoadCaptionLook(resource, node);
  return true;
}

int UICheckBoxEx::VisualState() const {
  if (!enabled()) return kVisualGrayed;
  if (interaction_state() == kInteractionLighted) return kVisualLighted;
  if (interaction_state() == kInteractionPressed) return kVisualPressed;
  if (ShowsFocusLook(this) && HasPicture(StateImage(kVisualFocused))) return kVisualFocused;
  return kVisualNormal;
}

const StateEntry& UICheckBoxEx::StateImage(int state) const {
  return checked() ? checked_images_[state] : images_[state];
}
