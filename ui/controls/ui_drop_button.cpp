#include "ui/controls/ui_drop_button.h"

UIDropButton::UIDropButton() { kind_ = kElementDropButton; }

bool UIDropButton::LoadSkin(IResource* resource, const char* path, const JsonValue* base) {
  if (!UIButton::LoadSkin(resource, path, base)) return false;
  look_ = caption_look();
  for (TextStyle& style : look_.styles) style.align = kCaptionAlign;
  return true;
}

void UIDropButton::OnPaint(HDC dc, const RECT& rect, const RECT&) {
  const int state = VisualState();
  PaintCaptionedState(dc, rect, state_images()[state], look_.styles[state], look_.margin, caption(),
                      false);
}

bool UIDropButton::OnMouseLeave(UINT keys, POINT point) {
  if (dropping_) return true;
  return UIButton::OnMouseLeave(keys, point);
}

bool UIDropButton::OnLButtonUp(UINT keys, POINT) {
  dropping_ = true;
  DropAction();
  dropping_ = false;
  POINT cursor = {};
  ::GetCursorPos(&cursor);
  ::ScreenToClient(GetHostWindow(), &cursor);
  // Entering and leaving set exactly the lighted and the normal look. A
  // button that its drop command disabled or hid takes the normal look, as
  // UIButton does when the pointer leaves it: otherwise it would show pressed
  // again once enabled.
  if (enabled() && visible() && ::PtInRect(&rect_, cursor)) {
    UIButton::OnMouseEnter(keys, cursor);
  } else {
    UIButton::OnMouseLeave(keys, cursor);
  }
  Invalidate(nullptr, true);
  return true;
}

void UIDropButton::DropAction() { SendToHost(WM_COMMAND, LOWORD(command_id()), 0); }
