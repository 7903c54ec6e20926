#include "ui/controls/ui_list_view.h"

#include <algorithm>
#include <memory>

#include "ui/controls/ui_header.h"
#include "ui/controls/ui_scroll_bar.h"
#include "ui/framework/draw_primitives.h"
#include "ui/framework/gdi_handles.h"
#include "ui/framework/ui_resource.h"

namespace {

constexpr int kLoadedSize = 200;

}  // namespace

UIListView::UIListView() {
  header_ = static_cast<UIHeader*>(AppendChild(this, std::make_unique<UIHeader>()));
  scroll_bar_ = static_cast<UIScrollBar*>(AppendChild(this, std::make_unique<UIScrollBar>()));
  SetVisible(scroll_bar_, false);
}

bool UIListView::LoadSkin(IResource* resource, const char* path, const JsonValue* base) {
  const JsonValue* node = resource ? resource->Find(path ? path : "", base) : nullptr;
  if (!node) return false;
  set_size(0, 0, kLoadedSize, kLoadedSize);
  header_->LoadSkin(resource, "Header", node);
  scroll_bar_->LoadSkin(resource, "ScrollBar", node);
  odd_ = resource->GetStyle("Item/odd", node);
  even_ = resource->GetStyle("Item/even", node);
  selected_ = resource->GetStyle("Item/selected", node);
  if (resource->Find("Item/height", node)) row_height_ = resource->GetLength("Item/height", node);
  return true;
}

void UIListView::OnLayout() {
  UIObject::OnLayout();
  LayoutRows();
}

void UIListView::LayoutRows() {
  const RECT& e = rect_;
  if (::IsRectEmpty(&e)) return;
  const bool bar_shown = scroll_bar_->visible();
  const int header_height = header_->header_height();
  list_area_ = {e.left, e.top + header_height, bar_shown ? e.right - kScrollBarGap : e.right,
                e.bottom};
  const int list_height = list_area_.bottom - list_area_.top;
  SetPosition(header_, 0, 0, list_area_.right - e.left, header_height);
  if (bar_shown) {
    SetPosition(scroll_bar_, list_area_.right - e.left, header_height, scroll_bar_->Width(),
                list_height);
  }

  const std::vector<HeaderColumn>& columns = header_->columns();
  for (size_t i = 0; i < rows_.size(); ++i) {
    ListRow& row = rows_[i];
    const int top = list_area_.top + static_cast<int>(i) * row_height_;
    row.rect = {list_area_.left, top, list_area_.right, top + row_height_};
    int left = list_area_.left;
    for (size_t j = 0; j < row.cells.size(); ++j) {
      const int width = j < columns.size() ? std::max(columns[j].width, 0) : 0;
      row.cells[j].rect = {std::min<LONG>(left, list_area_.right), row.rect.top,
                           std::min<LONG>(left + width, list_area_.right), row.rect.bottom};
      left += width;
    }
  }

  const int total_height = static_cast<int>(rows_.size()) * row_height_;
  if (total_height > list_height) {
    if (!bar_shown) {
      SetVisible(scroll_bar_, true);
      LayoutRows();  // Again, narrower.
      return;
    }
    scroll_bar_->SetRange(total_height);
    scroll_bar_->set_page(list_height);
    scroll_bar_->UpdateThumb();
    return;
  }
  scroll_offset_ = 0;
  if (bar_shown) {
    // A hidden bar keeps no range: the wheel must not scroll rows that fit.
    scroll_bar_->set_position(0);
    scroll_bar_->SetRange(0);
    SetVisible(scroll_bar_, false);
    LayoutRows();  // Again, full width.
  }
}

void UIListView::OnPaint(HDC dc, const RECT&, const RECT&) {
  if (row_height_ <= 0 || ::IsRectEmpty(&list_area_)) return;
  const brindle::gdi::ScopedSaveDC saved(dc);
  ::IntersectClipRect(dc, list_area_.left, list_area_.top, list_area_.right, list_area_.bottom);
  for (int i = 0; list_area_.top + i * row_height_ < list_area_.bottom; ++i) {
    const int top = list_area_.top + i * row_height_;
    const RECT stripe = {list_area_.left, top, list_area_.right, top + row_height_};
    DrawStateEntry(stripe, i % 2 == 0 ? even_ : odd_, dc);
  }
  ::SetTextColor(dc, kCellTextColor);
  for (size_t i = 0; i < rows_.size(); ++i) {
    const RECT row = Shifted(rows_[i].rect);
    RECT visible;
    if (!::IntersectRect(&visible, &row, &list_area_)) continue;
    const StateEntry& look =
        static_cast<int>(i) == selected_row_ ? selected_ : (i % 2 == 0 ? even_ : odd_);
    DrawStateEntry(row, look, dc);
    for (const ListCell& cell : rows_[i].cells) {
      RECT text = Shifted(cell.rect);
      if (::IsRectEmpty(&text) || cell.text.empty()) continue;
      ::DrawTextW(dc, cell.text.c_str(), static_cast<int>(cell.text.size()), &text, kCellTextFlags);
    }
  }
}

bool UIListView::OnLButtonDown(UINT, POINT point) {
  if (!enabled_ || !visible_) return false;
  for (size_t i = 0; i < rows_.size(); ++i) {
    const RECT row = Shifted(rows_[i].rect);
    if (::PtInRect(&row, point)) {
      selected_row_ = static_cast<int>(i);
      Invalidate(nullptr, true);
      break;
    }
  }
  return true;
}

bool UIListView::OnMouseWheel(UINT, UINT delta, POINT) {
  if (!scroll_bar_->WheelScrolls()) return true;
  ScrollTo(scroll_bar_->PositionAfterWheel(delta));
  return true;
}

LRESULT UIListView::OnChildNotify(UIObject*, UINT message, WPARAM wparam, LPARAM) {
  if (message == WM_VSCROLL) ScrollTo(scroll_bar_->PositionAfterCode(LOWORD(wparam)));
  return 0;
}

int UIListView::AddColumn(const std::wstring& title, int width) {
  const int index = header_->AddColumn(title, width);
  Changed();
  return index;
}

int UIListView::AddRow(const std::vector<std::wstring>& texts) {
  ListRow row;
  for (const std::wstring& text : texts) row.cells.push_back({{}, text});
  rows_.push_back(std::move(row));
  Changed();
  return static_cast<int>(rows_.size()) - 1;
}

bool UIListView::SetCellText(int row, int column, const std::wstring& text) {
  if (row < 0 || row >= static_cast<int>(rows_.size()) || column < 0) return false;
  std::vector<ListCell>& cells = rows_[row].cells;
  if (column >= static_cast<int>(cells.size())) cells.resize(column + 1);
  cells[column].text = text;
  Changed();
  return true;
}

void UIListView::DeleteAllRows() {
  rows_.clear();
  selected_row_ = -1;
  Changed();
}

void UIListView::Changed() {
  LayoutRows();
  Invalidate(nullptr, true);
}

RECT UIListView::Shifted(const RECT& rect) const {
  RECT moved = rect;
  ::OffsetRect(&moved, 0, -scroll_offset_);
  return moved;
}

void UIListView::ScrollTo(int position) {
  scroll_bar_->MoveTo(position);
  scroll_offset_ = position;
  Invalidate(nullptr, true);
}
