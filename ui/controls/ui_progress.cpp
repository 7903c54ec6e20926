#include "ui/controls/ui_progress.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "setup/number_text.h"
#include "ui/controls/control_look.h"
#include "ui/framework/draw_primitives.h"
#include "ui/framework/ui_resource.h"

int ProgressFillWidth(int width, int position, int lower, int upper) {
  if (upper <= lower || width <= 0) return 0;
  // 64-bit: the product of a wide bar and a large position must not wrap.
  const int64_t fill = static_cast<int64_t>(width) * position /
                       (static_cast<int64_t>(upper) - static_cast<int64_t>(lower));
  return static_cast<int>(std::clamp<int64_t>(fill, 0, width));
}

UIProgress::UIProgress() { kind_ = kElementProgress; }

bool UIProgress::LoadSkin(IResource* resource, const char* path, const JsonValue* base) {
  const JsonValue* node = LoadElementBasics(this, resource, path, base);
  if (!node) return false;
  background_ = resource->GetStyle("bkgnd", node);
  foreground_ = resource->GetStyle("frgnd", node);
  return true;
}

ElementDescription UIProgress::Describe() const {
  ElementDescription description;
  description.role = ElementRole::kProgressBar;
  // Not std::to_wstring: mingw's wide printf behind it is about 17 KB of the program.
  description.value = FormatLong(L"%ld%%", ProgressFillWidth(100, position_, lower_, upper_));
  return description;
}

void UIProgress::OnPaint(HDC dc, const RECT& rect, const RECT&) {
  DrawStateEntry(rect, background_, dc);
  const int fill = ProgressFillWidth(rect.right - rect.left, position_, lower_, upper_);
  const RECT filled = {rect.left, rect.top, rect.left + fill, rect.bottom};
  DrawStateEntry(filled, foreground_, dc);
}
