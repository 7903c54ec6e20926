#include "ui/controls/ui_button.h"

UIButton::UIButton() { kind_ = kElementButton; }

bool UIButton::LoadSkin(IResource* resource, const char* path, const JsonValue* base) {
  const JsonValue* node = LoadElementBasics(this, resource, path, base);
  if (!node) return false;
  images_ = LoadStateImages(resource, node, "");
  caption_look_ = LoadCaptionLook(resource, node);
  return true;
}

int UIButton::VisualState() const {
  if (!enabled()) return kVisualGrayed;
  if (interaction_state_ == kInteractionLighted) return kVisualLighted;
  if (interaction_state_ == kInteractionPressed) return kVisualPressed;
  if (ShowsFocusLook(this) && HasPicture(images_[kVisualFocused])) return kVisualFocused;
  return kVisualNormal;
}

void UIButton::OnPaint(HDC dc, const RECT& rect, const RECT&) {
  const int state = VisualState();
  PaintCaptionedState(dc, rect, images_[state], caption_look_.styles[state], caption_look_.margin,
                      caption_, state == kVisualPressed);
  if (ShowsFocusLook(this)) PaintFocusFrame(dc, rect, caption_look_.styles[state].color);
}

void UIButton::SetInteractionState(int state) {
  if (interaction_state_ == state) return;
  interaction_state_ = state;
  Invalidate(nullptr, true);
}

bool UIButton::OnMouseEnter(UINT, POINT) {
  if (enabled() && visible()) SetInteractionState(kInteractionLighted);
  return true;
}

bool UIButton::OnMouseLeave(UINT, POINT) {
  SetInteractionState(kInteractionNormal);
  return true;
}

bool UIButton::OnLButtonDown(UINT, POINT) {
  SetInteractionState(kInteractionPressed);
  return true;
}

bool UIButton::OnLButtonDblClk(UINT, POINT) {
  SetInteractionState(kInteractionPressed);
  return true;
}

bool UIButton::OnLButtonUp(UINT, POINT) {
  SetInteractionState(kInteractionLighted);
  return Click();
}

bool UIButton::OnKeyDown(WPARAM wparam, LPARAM lparam) {
  if (wparam != VK_SPACE && wparam != VK_RETURN) return false;
  constexpr LPARAM kRepeat = 1 << 30;  // The key was already down.
  if (!enabled() || !visible()) return false;
  return (lparam & kRepeat) || Click();
}

bool UIButton::IsTabStop() const { return true; }

bool UIButton::Click() {
  const WPARAM command = LOWORD(command_id());
  if (parent()) parent()->OnChildNotify(this, WM_COMMAND, command, reinterpret_cast<LPARAM>(this));
  SendToHost(WM_COMMAND, command, reinterpret_cast<LPARAM>(GetHostWindow()));
  return true;
}

ElementDescription UIButton::Describe() const {
  ElementDescription description;
  description.role = ElementRole::kPushButton;
  description.name = caption_;
  return description;
}

int UIButton::OnShow(bool) {
  interaction_state_ = kInteractionNormal;
  return 1;
}

void UIButton::SetText(const wchar_t* text) {
  caption_ = CaptionFrom(text);
  Invalidate(nullptr, true);
}
