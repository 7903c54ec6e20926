// UIRadioBox: a windowless radio button (element kind 12). The radio boxes
// with the same parent element form a group: selecting one (a release of the
// left button over it after a press on it) unchecks the others, repaints, and
// notifies the parent element (OnChildNotify) and the host (WM_COMMAND with
// the command id). Selecting the box that is already selected does nothing
// at all. Looks and mouse states are those of UICheckBox: checked is drawn
// with the pressed picture.
#ifndef BRINDLE_UI_CONTROLS_UI_RADIO_BOX_H_
#define BRINDLE_UI_CONTROLS_UI_RADIO_BOX_H_

#include <string>

#include "ui/controls/control_look.h"
#include "ui/framework/ui_object.h"

class UIRadioBox : public UIObject {
 public:
  UIRadioBox();

  // Reads "id", "size", the state pictures and the optional "Text" of the
  // node at `path` below `base`. False when the node is missing.
  bool LoadSkin(IResource* resource, const char* path, const JsonValue* base) override;
  void OnPaint(HDC dc, const RECT& rect, const RECT& clip) override;
  bool OnMouseEnter(UINT keys, POINT point) override;
  bool OnMouseLeave(UINT keys, POINT point) override;
  bool OnLButtonDown(UINT keys, POINT point) override;
  bool OnLButtonDblClk(UINT keys, POINT point) override;
  bool OnLButtonUp(UINT keys, POINT point) override;
  int OnShow(bool visible) override;
  // Selects the box as a click does (nothing when it is selected already).
  bool Click() override;
  // A radio button named by its caption, checked when selected.
  ElementDescription Describe() const override;

  // Unchecks (checked and interaction state 0, repainted) every other radio
  // box among the parent's children; nothing without a parent.
  virtual void UncheckSiblings();

  // Copies `text` (null: empty) as the caption and repaints.
  void SetText(const wchar_t* text);
  bool checked() const { return checked_; }
  const std::wstring& caption() const { return caption_; }
  int interaction_state() const { return interaction_state_; }
  // Grayed when disabled; lighted while lighted; pressed while pressed or
  // checked; otherwise normal.
  int VisualState() const;

 private:
  void Select();
  // Sets the look of an unselected box; used on the siblings.
  void Uncheck();

  StateImages images_;
  CaptionLook caption_look_;
  bool checked_ = false;
  int interaction_state_ = kInteractionNormal;
  std::wstring caption_;
};

#endif  // BRINDLE_UI_CONTROLS_UI_RADIO_BOX_H_
