// UIHeader: the column titles above a UIListView (factory kind 8; its element
// kind stays 0). It paints a background, a splitter before every column but
// the first and each title with its text style; it has no mouse behaviour (no
// sorting, no resizing). It reads no "id" and no "size": its list view sizes
// it. Columns are laid out left to right from the element's left edge.
#ifndef BRINDLE_UI_CONTROLS_UI_HEADER_H_
#define BRINDLE_UI_CONTROLS_UI_HEADER_H_

#include <windows.h>

#include <string>
#include <vector>

#include "ui/framework/skin_types.h"
#include "ui/framework/ui_object.h"

struct HeaderColumn {
  std::wstring title;
  // Computed by the layout: (left + widths of the columns before, element
  // top, + width, element bottom), host client coordinates.
  RECT rect = {};
  // Pixels; 0 or less gives an empty column.
  int width = 0;
};

class UIHeader : public UIObject {
 public:
  // Header height until the skin's "height" is read, pixels.
  static constexpr int kDefaultHeight = 32;

  UIHeader() = default;

  // Reads "text" (the titles' style), "bkgnd", "splitter" and, when present,
  // "height". False when the node is missing.
  bool LoadSkin(IResource* resource, const char* path, const JsonValue* base) override;
  // The element layout, then the column rectangles.
  void OnLayout() override;
  // The background over the element; from the second column on the splitter
  // in a strip from one pixel left to one pixel right of the column's left
  // edge; each title with the text style in its column.
  void OnPaint(HDC dc, const RECT& rect, const RECT& clip) override;

  // Appends a column and repaints; returns its index. Owners of a list view
  // use UIListView::AddColumn, which also lays out the cells.
  int AddColumn(const std::wstring& title, int width);
  // False for an index out of range.
  bool SetColumnWidth(int index, int width);
  void DeleteAllColumns();
  const std::vector<HeaderColumn>& columns() const { return columns_; }
  int header_height() const { return header_height_; }
  const TextStyle& text_style() const { return text_style_; }

 private:
  void LayoutColumns();

  std::vector<HeaderColumn> columns_;
  int header_height_ = kDefaultHeight;
  TextStyle text_style_;
  StateEntry background_;
  StateEntry splitter_;
};

#endif  // BRINDLE_UI_CONTROLS_UI_HEADER_H_
