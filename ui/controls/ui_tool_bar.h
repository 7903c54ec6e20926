// UIToolBar: a row of image buttons with tooltips and separators (element
// kind 3). Buttons are cells of an image strip: column image index x button
// width, row button height x 0 (normal), 1 (hot), 2 (pressed) or 3
// (disabled). The item under the pointer is hot; releasing the button over a
// hot, enabled item reports its command id to the parent element
// (OnChildNotify) and then to the host as WM_COMMAND.
//
// Items are laid out left to right from the bar's left edge plus the left
// inset: each visible item sits one spacing after the room of the previous
// one, button width wide (the separator picture's width for a separator),
// button height high, centred vertically and moved down by the top inset;
// each consumes its width plus twice the spacing. Items with a tooltip text
// are registered with the bar's own tooltip window (created on the first
// layout that needs it, destroyed with the bar). User-interface thread only.
#ifndef BRINDLE_UI_CONTROLS_UI_TOOL_BAR_H_
#define BRINDLE_UI_CONTROLS_UI_TOOL_BAR_H_

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/framework/skin_types.h"
#include "ui/framework/ui_object.h"

class CHBitmap;

struct ToolBarItem {
  int command_id = 0;
  // Column of the item's pictures in the image strip.
  int image_index = 0;
  // Computed by the layout, host client coordinates; empty while hidden.
  RECT rect = {};
  bool visible = true;
  bool enabled = true;
  // Empty: no tooltip.
  std::wstring tooltip;
  // The item stays hot when the pointer leaves the bar.
  bool stay_hot = false;
  bool separator = false;
};

class UIToolBar : public UIObject {
 public:
  // Press states.
  static constexpr int kPressNone = 0;
  static constexpr int kPressHot = 2;
  static constexpr int kPressDown = 3;

  UIToolBar();

  // Reads "id", "size", "bkgnd" and "seperator" (spelled so). False when the
  // node is missing.
  bool LoadSkin(IResource* resource, const char* path, const JsonValue* base) override;
  // The element layout, then the items.
  void OnLayout() override;
  // The background, the visible separators and buttons (laid out first when
  // items changed).
  void OnPaint(HDC dc, const RECT& rect, const RECT& clip) override;
  // Enabled and visible bar: the visible button under the pointer becomes
  // hot; the cursor becomes the hand over an enabled item, the arrow where
  // there is none, and stays as it is over a disabled one.
  bool OnMouseMove(UINT keys, POINT point) override;
  bool OnLButtonDown(UINT keys, POINT point) override;
  // Reports the hot item when it is enabled.
  bool OnLButtonUp(UINT keys, POINT point) override;
  // The hot item stays hot only with its stay-hot flag.
  bool OnMouseLeave(UINT keys, POINT point) override;
  // The bar's own tooltip window first, then the base relay.
  void RelayToTooltip(MSG* msg) override;

  // Filling. Each call marks the layout out of date and repaints.
  // The strip is borrowed (the skin resource owns its images); sizes in
  // pixels.
  void SetImageStrip(CHBitmap* strip, int button_width, int button_height);
  void SetSpacing(int spacing);
  void SetInsets(int left, int top);
  // Appends a button; returns its index.
  int AddButton(int command_id, int image_index, const std::wstring& tooltip = std::wstring(),
                bool stay_hot = false);
  // Appends a separator; returns its index.
  int AddSeparator();
  // False for an index out of range.
  bool SetItemEnabled(int index, bool enabled);
  bool SetItemVisible(int index, bool visible);

  // Places the items now (see the top of this file).
  void LayoutItems();

  const std::vector<ToolBarItem>& items() const { return items_; }
  // -1 when none.
  int hot_item() const { return hot_item_; }
  int press_state() const { return press_state_; }
  bool layout_dirty() const { return layout_dirty_; }
  // Null until an item with a tooltip text was laid out.
  HWND item_tooltips() const { return tooltips_.get(); }

 private:
  struct WindowDestroyer {
    void operator()(HWND window) const { ::DestroyWindow(window); }
  };

  // Index of the first visible button (not separator) containing `point`,
  // or -1.
  int ItemAt(POINT point) const;
  void UpdateCursor(int item);
  void Changed();
  // Adds or moves the tool of item `index` (tool id index + 1); hidden items
  // lose theirs.
  void RegisterTooltip(int index);
  void RemoveTooltip(int index);
  bool EnsureTooltips();

  StateEntry background_;
  StateEntry separator_;
  CHBitmap* strip_ = nullptr;
  int button_width_ = 0;
  int button_height_ = 0;
  int spacing_ = 0;
  int inset_left_ = 0;
  int inset_top_ = 0;
  std::vector<ToolBarItem> items_;
  std::vector<bool> tool_registered_;
  int hot_item_ = -1;
  int press_state_ = kPressNone;
  std::unique_ptr<HWND__, WindowDestroyer> tooltips_;
  bool layout_dirty_ = true;
};

#endif  // BRINDLE_UI_CONTROLS_UI_TOOL_BAR_H_
