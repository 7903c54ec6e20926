// UITabCtrl: a row (or column) of tabs (element kind 4). A press on a tab
// that is not selected selects it and reports its command id to the parent
// element (OnChildNotify) and then to the host as WM_COMMAND; selecting
// happens on the press, and pressing the selected tab sends nothing.
//
// Horizontal tabs are as wide as their label plus 35 pixels, but 80 for
// labels narrower than 45, and sit side by side from the element's left edge
// at full height. Vertical tabs are tab_height() high, stacked from the top
// at full width. The control reads no "id" and no "size": owners place it
// with SetPosition. User-interface thread only.
#ifndef BRINDLE_UI_CONTROLS_UI_TAB_CTRL_H_
#define BRINDLE_UI_CONTROLS_UI_TAB_CTRL_H_

#include <windows.h>

#include <string>
#include <vector>

#include "ui/framework/skin_types.h"
#include "ui/framework/ui_object.h"

struct TabItem {
  WORD command_id = 0;
  std::wstring label;
  // Computed by LayoutTabs, host client coordinates; empty while hidden.
  RECT rect = {};
  bool visible = true;
};

class UITabCtrl : public UIObject {
 public:
  static constexpr int kDefaultTabHeight = 30;
  static constexpr int kLabelPadding = 35;
  static constexpr int kNarrowLabel = 45;
  static constexpr int kNarrowTabWidth = 80;

  UITabCtrl();

  // Reads "bkgnd", "Item/normal", "Item/pressed", "Text/normal" and
  // "Text/pressed". False when the node is missing.
  bool LoadSkin(IResource* resource, const char* path, const JsonValue* base) override;
  // The background, then each visible tab: the selected one with
  // "Item/pressed" and the "Text/pressed" font and colour, the others with
  // the normal pair; labels centred on one line.
  void OnPaint(HDC dc, const RECT& rect, const RECT& clip) override;
  // Enabled and visible: selects the visible, unselected tab under the point,
  // repaints and reports it.
  bool OnLButtonDown(UINT keys, POINT point) override;

  // The width of a horizontal tab whose label is `label_width` pixels wide.
  static int TabWidth(int label_width);

  // Appends a visible tab; returns its index. Repaints.
  int AddTab(WORD command_id, const std::wstring& label);
  // False for an index out of range. Repaints.
  bool SetTabVisible(int index, bool visible);
  // Selects a tab (-1: none) without reporting it. Repaints.
  void SetSelected(int index);
  // Computes the tabs' rectangles, measuring labels in `dc` with the font
  // each tab is drawn with (the DC's own font when the style has none).
  void LayoutTabs(HDC dc);

  const std::vector<TabItem>& tabs() const { return tabs_; }
  int selected() const { return selected_; }
  bool vertical() const { return vertical_; }
  void set_vertical(bool vertical) { vertical_ = vertical; }
  int tab_height() const { return tab_height_; }
  void set_tab_height(int height) { tab_height_ = height; }

 private:
  // The label style of tab `index`, centred on one line.
  TextStyle LabelStyle(int index) const;

  std::vector<TabItem> tabs_;
  int selected_ = -1;
  bool vertical_ = false;
  int tab_height_ = kDefaultTabHeight;
  StateEntry background_;
  StateEntry item_normal_;
  StateEntry item_pressed_;
  TextStyle text_normal_;
  TextStyle text_pressed_;
};

#endif  // BRINDLE_UI_CONTROLS_UI_TAB_CTRL_H_
