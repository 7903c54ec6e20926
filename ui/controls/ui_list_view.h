// UIListView: rows of text cells under a UIHeader, scrolled vertically with a
// UIScrollBar (factory kind 6; its element kind stays 0). The header is its
// first child, the scroll bar its second; the bar shows only while the rows
// are taller than the list area. A press selects a row (no notification).
// Scrolling follows the edit box's rules (see UIScrollBar::PositionAfterCode
// and PositionAfterWheel).
//
// The list reads no "id" and no "size": loading sets its size to
// [0, 0, 200, 200] and owners place it with SetPosition. Cells are laid out
// with the widths of the header's columns. User-interface thread only.
#ifndef BRINDLE_UI_CONTROLS_UI_LIST_VIEW_H_
#define BRINDLE_UI_CONTROLS_UI_LIST_VIEW_H_

#include <windows.h>

#include <string>
#include <vector>

#include "ui/framework/skin_types.h"
#include "ui/framework/ui_object.h"

class UIHeader;
class UIScrollBar;

struct ListCell {
  // Computed by the layout, host client coordinates before scrolling.
  RECT rect = {};
  std::wstring text;
};

struct ListRow {
  // Computed by the layout, host client coordinates before scrolling.
  RECT rect = {};
  std::vector<ListCell> cells;
};

class UIListView : public UIObject {
 public:
  // Row height until the skin's "Item/height" is read, pixels.
  static constexpr int kDefaultRowHeight = 28;
  // With the scroll bar shown, the list area and the header end this many
  // pixels before the element's right edge.
  static constexpr int kScrollBarGap = 30;
  static constexpr COLORREF kCellTextColor = 0xFFFFFF;
  // DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_WORD_ELLIPSIS.
  static constexpr UINT kCellTextFlags = 0x40025;

  // Creates the header and the (hidden) scroll bar.
  UIListView();

  // Size [0, 0, 200, 200]; the header from "Header", the bar from
  // "ScrollBar", the stripes from "Item/odd", "Item/even", "Item/selected",
  // the row height from "Item/height" when present. False when the node is
  // missing.
  bool LoadSkin(IResource* resource, const char* path, const JsonValue* base) override;
  // The element layout, then the list area, header, scroll bar, rows and
  // cells (LayoutRows).
  void OnLayout() override;
  // Stripes down the list area, then the rows visible after scrolling, each
  // with its cells' texts (GDI DrawTextW, kCellTextColor, kCellTextFlags).
  void OnPaint(HDC dc, const RECT& rect, const RECT& clip) override;
  // Enabled and visible: the row under the point becomes selected.
  bool OnLButtonDown(UINT keys, POINT point) override;
  // One eighth of the page per message when the range exceeds 100 pixels.
  bool OnMouseWheel(UINT keys, UINT delta, POINT point) override;
  // WM_VSCROLL from the bar scrolls the rows; everything returns 0.
  LRESULT OnChildNotify(UIObject* child, UINT message, WPARAM wparam, LPARAM lparam) override;

  // Filling. Each call lays the rows out again and repaints.
  // Appends a header column of `width` pixels; returns its index.
  int AddColumn(const std::wstring& title, int width);
  // Appends a row with one cell per text; returns its index.
  int AddRow(const std::vector<std::wstring>& texts);
  // Sets one cell's text, adding empty cells up to `column`. False for a row
  // out of range or a negative column.
  bool SetCellText(int row, int column, const std::wstring& text);
  // Removes every row; nothing is selected afterwards.
  void DeleteAllRows();

  // Places the list area, header, bar, rows and cells for the current
  // element rectangle; shows the bar (range 0 ... rows' height, page = list
  // area height) while the rows do not fit, else hides it and scrolls back to
  // the top.
  void LayoutRows();

  const std::vector<ListRow>& rows() const { return rows_; }
  // -1 when none.
  int selected_row() const { return selected_row_; }
  int row_height() const { return row_height_; }
  // Pixels the rows are shifted up.
  int scroll_offset() const { return scroll_offset_; }
  const RECT& list_area() const { return list_area_; }
  UIHeader* header() const { return header_; }
  UIScrollBar* scroll_bar() const { return scroll_bar_; }

 private:
  void Changed();
  // The row's rectangle as drawn: moved up by the scroll offset.
  RECT Shifted(const RECT& rect) const;
  void ScrollTo(int position);

  std::vector<ListRow> rows_;
  int selected_row_ = -1;
  int scroll_offset_ = 0;
  int row_height_ = kDefaultRowHeight;
  RECT list_area_ = {};
  StateEntry odd_;
  StateEntry even_;
  StateEntry selected_;
  UIHeader* header_ = nullptr;         // Owned as the first child.
  UIScrollBar* scroll_bar_ = nullptr;  // Owned as the second child.
};

#endif  // BRINDLE_UI_CONTROLS_UI_LIST_VIEW_H_
