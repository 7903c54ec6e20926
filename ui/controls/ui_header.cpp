#include "ui/controls/ui_header.h"

#include <algorithm>

#include "ui/framework/draw_primitives.h"
#include "ui/framework/ui_resource.h"

bool UIHeader::LoadSkin(IResource* resource, const char* path, const JsonValue* base) {
  const JsonValue* node = resource ? resource->Find(path ? path : "", base) : nullptr;
  if (!node) return false;
  RememberSkin(resource, path, base);
  text_style_ = resource->GetTextStyle("text", node);
  background_ = resource->GetStyle("bkgnd", node);
  splitter_ = resource->GetStyle("splitter", node);
  if (resource->Find("height", node)) header_height_ = resource->GetLength("height", node);
  return true;
}

void UIHeader::OnLayout() {
  UIObject::OnLayout();
  LayoutColumns();
}

void UIHeader::OnPaint(HDC dc, const RECT& rect, const RECT&) {
  LayoutColumns();
  DrawStateEntry(rect, background_, dc);
  for (size_t i = 0; i < columns_.size(); ++i) {
    const HeaderColumn& column = columns_[i];
    if (i > 0) {
      const RECT strip = {column.rect.left - 1, rect.top, column.rect.left + 1, rect.bottom};
      DrawStateEntry(strip, splitter_, dc);
    }
    // GDI+ reads a zero width as "no limit": an empty column draws no title.
    if (!::IsRectEmpty(&column.rect)) {
      DrawSkinText(dc, text_style_, column.rect, column.title.c_str(), nullptr);
    }
  }
}

int UIHeader::AddColumn(const std::wstring& title, int width) {
  columns_.push_back({title, {}, width});
  LayoutColumns();
  Invalidate(nullptr, true);
  return static_cast<int>(columns_.size()) - 1;
}

bool UIHeader::SetColumnWidth(int index, int width) {
  if (index < 0 || index >= static_cast<int>(columns_.size())) return false;
  columns_[index].width = width;
  LayoutColumns();
  Invalidate(nullptr, true);
  return true;
}

void UIHeader::DeleteAllColumns() {
  columns_.clear();
  Invalidate(nullptr, true);
}

void UIHeader::LayoutColumns() {
  int left = rect_.left;
  for (HeaderColumn& column : columns_) {
    const int width = std::max(column.width, 0);
    column.rect = {left, rect_.top, left + width, rect_.bottom};
    left += width;
  }
}
