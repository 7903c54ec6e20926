// UIPane: a skinned background panel (element kind 1). It paints its "bkgnd"
// entry over its rectangle and nothing else; it has no mouse behaviour.
#ifndef BRINDLE_UI_CONTROLS_UI_PANE_H_
#define BRINDLE_UI_CONTROLS_UI_PANE_H_

#include "ui/framework/skin_types.h"
#include "ui/framework/ui_object.h"

class UIPane : public UIObject {
 public:
  UIPane();

  // Reads "id", "size" and "bkgnd". False when the node is missing.
  bool LoadSkin(IResource* resource, const char* path, const JsonValue* base) override;
  void OnPaint(HDC dc, const RECT& rect, const RECT& clip) override;

  const StateEntry& background() const { return background_; }

 private:
  StateEntry background_;
};

#endif  // BRINDLE_UI_CONTROLS_UI_PANE_H_
