#include "ui/controls/ui_label.h"

#include "ui/controls/control_look.h"
#include "ui/framework/accessible_elements.h"
#include "ui/framework/draw_primitives.h"
#include "ui/framework/ui_resource.h"

namespace {

// Before a skin is read: centred both ways, one line.
constexpr UINT kUnloadedAlignment = DT_CENTER | DT_VCENTER | DT_SINGLELINE;

}  // namespace

UILabel::UILabel() {
  style_.align = kUnloadedAlignment;
  drag_through_ = true;
}

bool UILabel::LoadSkin(IResource* resource, const char* path, const JsonValue* base) {
  if (!resource) return false;
  const JsonValue* node = resource->Find(path ? path : "", base);
  if (!node) return false;
  RememberSkin(resource, path, base);
  TextStyle style = resource->GetTextStyle("text", node);
  {
    ScopedCountedLock hold(text_lock_);
    // A text given with SetText outlives a reload at another DPI.
    if (text_set_) style.text = std::move(style_.text);
    style_ = std::move(style);
  }
  const SkinRect size = resource->GetRect("size", node);
  set_size(size.x, size.y, size.width, size.height);
  return true;
}

void UILabel::OnPaint(HDC dc, const RECT& rect, const RECT&) {
  ScopedCountedLock hold(text_lock_);
  if (!style_.text.empty()) DrawSkinText(dc, style_, rect, nullptr, nullptr);
}

void UILabel::SetText(const wchar_t* text) {
  {
    ScopedCountedLock hold(text_lock_);
    style_.text = CaptionFrom(text);
    text_set_ = true;
  }
  Invalidate(nullptr, true);
  NotifyElementChange(this, EVENT_OBJECT_NAMECHANGE);
}

ElementDescription UILabel::Describe() const {
  ElementDescription description;
  description.role = ElementRole::kStaticText;
  ScopedCountedLock hold(text_lock_);
  description.name = style_.text;
  return description;
}

std::wstring UILabel::text() {
  ScopedCountedLock hold(text_lock_);
  return style_.text;
}
