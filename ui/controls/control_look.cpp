#include "ui/controls/control_look.h"

#include "ui/framework/draw_primitives.h"
#include "ui/framework/ui_object.h"
#include "ui/framework/ui_resource.h"

namespace {

constexpr const char* kStateKeys[kVisualStateCount] = {"normal", "grayed", "lighted", "pressed",
                                                       "focused"};

}  // namespace

const JsonValue* LoadElementBasics(UIObject* element, IResource* resource, const char* path,
                                   const JsonValue* base) {
  if (!resource) return nullptr;
  const JsonValue* node = resource->Find(path ? path : "", base);
  if (!node) return nullptr;
  element->RememberSkin(resource, path, base);
  element->set_command_id(resource->GetInt("id", node));
  const SkinRect size = resource->GetRect("size", node);
  element->set_size(size.x, size.y, size.width, size.height);
  return node;
}

StateImages LoadStateImages(IResource* resource, const JsonValue* node, const std::string& prefix) {
  StateImages images;
  for (int state = 0; state < kVisualStateCount; ++state) {
    images[state] = resource->GetStyle(prefix + kStateKeys[state], node);
  }
  return images;
}

CaptionLook LoadCaptionLook(IResource* resource, const JsonValue* node) {
  CaptionLook look;
  const JsonValue* text = resource->Find("Text", node);
  if (!text) return look;
  const SkinRect margin = resource->GetRect("margin", text);
  look.margin = {margin.x, margin.y, margin.width, margin.height};
  for (int state = 0; state < kVisualStateCount; ++state) {
    look.styles[state] = resource->GetTextStyle(kStateKeys[state], text);
  }
  return look;
}

void PaintCaptionedState(HDC dc, const RECT& rect, const StateEntry& image, const TextStyle& style,
                         const RECT& margin, const std::wstring& caption, bool shift) {
  DrawStateEntry(rect, image, dc);
  if (caption.empty()) return;
  RECT text = {rect.left + margin.left, rect.top + margin.top, rect.right - margin.right,
               rect.bottom - margin.bottom};
  if (shift) ::OffsetRect(&text, 1, 1);
  // A caption longer than its room ends in an ellipsis, never cut through.
  TextStyle fitted = style;
  if (!(fitted.align & DT_WORD_ELLIPSIS)) fitted.align |= DT_END_ELLIPSIS;
  DrawSkinText(dc, fitted, text, caption.c_str(), nullptr);
}

bool HasPicture(const StateEntry& entry) {
  return (entry.image && entry.width > 0 && entry.height > 0) ||
         (entry.foreground_image && entry.foreground_width > 0 && entry.foreground_height > 0);
}

void PaintFocusFrame(HDC dc, const RECT& rect, COLORREF color) {
  constexpr int kInset = 2;
  RECT frame = rect;
  ::InflateRect(&frame, -kInset, -kInset);
  DrawFocusFrame(dc, frame, color);
}

std::wstring CaptionFrom(const wchar_t* text) { return text ? std::wstring(text) : std::wstring(); }
