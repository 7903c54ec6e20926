// UIButton: a windowless push button (element kind 2). Draws one of five
// skinned state pictures with an optional caption and reports a click -- a
// release of the left button over it -- to its parent element
// (OnChildNotify) and then to its host as WM_COMMAND with its command id.
// There is no mouse capture: where the press began does not matter, and a
// press released elsewhere sends nothing. A tab stop: Space or Enter while it
// has the focus clicks it, and it draws its focus look (control_look.h).
#ifndef BRINDLE_UI_CONTROLS_UI_BUTTON_H_
#define BRINDLE_UI_CONTROLS_UI_BUTTON_H_

#include <string>

#include "ui/controls/control_look.h"
#include "ui/framework/ui_object.h"

class UIButton : public UIObject {
 public:
  UIButton();

  // Reads "id", "size", the state pictures "normal", "grayed", "lighted",
  // "pressed", "focused" and the optional "Text" (margin and five text
  // styles) of the node at `path` below `base`. False when the node is
  // missing.
  bool LoadSkin(IResource* resource, const char* path, const JsonValue* base) override;
  // Picture of the visual state (grayed when disabled), then the caption;
  // pressed moves the caption one pixel right and down.
  void OnPaint(HDC dc, const RECT& rect, const RECT& clip) override;
  bool OnMouseEnter(UINT keys, POINT point) override;
  bool OnMouseLeave(UINT keys, POINT point) override;
  bool OnLButtonDown(UINT keys, POINT point) override;
  bool OnLButtonDblClk(UINT keys, POINT point) override;
  // The click: lighted again, then the notifications.
  bool OnLButtonUp(UINT keys, POINT point) override;
  // Shown or hidden: back to normal.
  int OnShow(bool visible) override;
  // Space and Enter click an enabled, visible button (auto-repeats of a held
  // key do not); other keys, and every key on a disabled or hidden button,
  // are left to the window (false).
  bool OnKeyDown(WPARAM wparam, LPARAM lparam) override;
  bool IsTabStop() const override;
  // The notifications of a click, without a change of the interaction state.
  bool Click() override;
  // A push button named by its caption.
  ElementDescription Describe() const override;

  // Copies `text` (null: empty) as the caption and repaints.
  void SetText(const wchar_t* text);
  const std::wstring& caption() const { return caption_; }
  // The caption's styles and margins, as the skin gives them.
  const CaptionLook& caption_look() const { return caption_look_; }
  // kInteractionNormal, kInteractionLighted or kInteractionPressed.
  int interaction_state() const { return interaction_state_; }
  // The visual state OnPaint draws now: grayed when disabled, lighted or
  // pressed while so, focused when it shows the focus look and the skin has
  // a focused picture, otherwise normal.
  int VisualState() const;

 protected:
  // The state pictures read by LoadSkin, for derived buttons that paint them
  // their own way. The pictures belong to the skin.
  const StateImages& state_images() const { return images_; }

 private:
  void SetInteractionState(int state);

  StateImages images_;
  CaptionLook caption_look_;
  int interaction_state_ = kInteractionNormal;
  std::wstring caption_;
};

#endif  // BRINDLE_UI_CONTROLS_UI_BUTTON_H_
