#include "ui/controls/ui_label.h"

#include "ui/controls/control_look.h"
#include "ui/framework/accessible_elements.h"
#include "ui/framework/draw_primitives.h"
#include "ui/framework/ui_resource.h"

namespace {

// Before a skin is read: centred both ways, one line.
constexpr UINT kUnloadedAlignment = DT_CENTER | DT_VCENTER | DT_SINGLELINE;

// The ellipsis that ends a shortened text.
constexpr wchar_t kEllipsis = L'\u2026';

// True when `length` units of `text` end inside a surrogate pair.
bool SplitsPair(const std::wstring& text, size_t length) {
  return length > 0 && length < text.size() && IS_HIGH_SURROGATE(text[length - 1]) &&
         IS_LOW_SURROGATE(text[length]);
}

}  // namespace

std::wstring FitTextToWidth(HDC dc, const TextStyle& style, const std::wstring& text, int width) {
  if (MeasureSkinText(dc, style, text.c_str()) <= width) return text;
  const auto shortened = [&text](size_t length) {
    std::wstring cut = text.substr(0, length);
    while (!cut.empty() && cut.back() == L' ') cut.pop_back();
    return cut + kEllipsis;
  };
  // The longest whole-character start that fits with the ellipsis after it
  // (widths grow with the length, so a binary search finds it).
  size_t fits = 0;
  size_t low = 1, high = text.size();
  while (low <= high) {
    const size_t middle = low + (high - low) / 2;
    if (MeasureSkinText(dc, style, shortened(middle).c_str()) <= width) {
      fits = middle;
      low = middle + 1;
    } else {
      high = middle - 1;
    }
  }
  if (SplitsPair(text, fits)) --fits;
  return shortened(fits);
}

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
  if (style_.text.empty()) return;
  if (!(style_.align & DT_SINGLELINE)) {
    DrawSkinText(dc, style_, rect, nullptr, nullptr);
    return;
  }
  const std::wstring shown = FitTextToWidth(dc, style_, style_.text, rect.right - rect.left);
  DrawSkinText(dc, style_, rect, shown.c_str(), nullptr);
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
