#include "ui/controls/ui_drop_button.h"

#include "ui/framework/ui_resource.h"

UIDropButton::UIDropButton() { kind_ = kElementDropButton; }

bool UIDropButton::LoadSkin(IResource* resource, const char* path, const JsonValue* base) {
  if (!UIButton::LoadSkin(resource, path, base)) return false;
  // The pictures and caption styles UIButton keeps to itself, read again to
  // paint with the drop button's own alignment.
  const JsonValue* node = resource->Find(path ? path : "", base);
  images_ = LoadStateImages(resource, node, "");
  look_ = LoadCaptionLook(resource, node);
  for (TextStyle& style : look_.styles) style.align = kCaptionAlign;
  return true;
}

void UIDropButton::OnPaint(HDC dc, const RECT& rect, const RECT&) {
  const int state = VisualState();
  PaintCaptionedState(dc, rect, images_[state], look_.styles[state], look_.margin, caption(),
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
  // Entering and leaving set exactly the lighted and the normal look.
  if (::PtInRect(&rect_, cursor)) {
    UIButton::OnMouseEnter(keys, cursor);
  } else {
    UIButton::OnMouseLeave(keys, cursor);
  }
  Invalidate(nullptr, true);
  return true;
}

void UIDropButton::DropAction() { SendToHost(WM_COMMAND, LOWORD(command_id()), 0); }
