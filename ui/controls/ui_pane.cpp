#include "ui/controls/ui_pane.h"

#include "ui/controls/control_look.h"
#include "ui/framework/draw_primitives.h"
#include "ui/framework/ui_resource.h"

UIPane::UIPane() { kind_ = kElementPane; }

bool UIPane::LoadSkin(IResource* resource, const char* path, const JsonValue* base) {
  const JsonValue* node = LoadElementBasics(this, resource, path, base);
  if (!node) return false;
  background_ = resource->GetStyle("bkgnd", node);
  return true;
}

void UIPane::OnPaint(HDC dc, const RECT& rect, const RECT&) {
  DrawStateEntry(rect, background_, dc);
}
