// Check boxes: UICheckBox (element kind 10), whose look comes from one set of
// five state pictures, and UICheckBoxEx (made for kind 11, reporting kind
// 10), with separate picture sets for the unchecked and the checked look.
//
// A release of the left button over the box toggles it when the box is in
// the pressed interaction state or normal, but not when it is lighted: a
// checked box is shown pressed, so a release over it always unchecks it,
// whereas an unchecked box only toggles after a press on it. Each toggle
// repaints and sends WM_COMMAND with the command id to the host (the parent
// element is not notified). SetCheck checks silently. A tab stop: Space or
// Enter while it has the focus toggles it, and it draws its focus look
// (control_look.h).
#ifndef BRINDLE_UI_CONTROLS_UI_CHECK_BOX_H_
#define BRINDLE_UI_CONTROLS_UI_CHECK_BOX_H_

#include <string>

#include "ui/controls/control_look.h"
#include "ui/framework/ui_object.h"

class UICheckBox : public UIObject {
 public:
  UICheckBox();

  // Reads "id", "size", the state pictures and the optional "Text" of the
  // node at `path` below `base`. False when the node is missing.
  bool LoadSkin(IResource* resource, const char* path, const JsonValue* base) override;
  // Picture of the visual state, then the caption.
  void OnPaint(HDC dc, const RECT& rect, const RECT& clip) override;
  bool OnMouseEnter(UINT keys, POINT point) override;
  bool OnMouseLeave(UINT keys, POINT point) override;
  bool OnLButtonDown(UINT keys, POINT point) override;
  bool OnLButtonDblClk(UINT keys, POINT point) override;
  bool OnLButtonUp(UINT keys, POINT point) override;
  int OnShow(bool visible) override;
  // Space and Enter toggle an enabled, visible box (auto-repeats of a held key
  // do not); other keys, and every key on a disabled or hidden box, are left
  // to the window (false).
  bool OnKeyDown(WPARAM wparam, LPARAM lparam) override;
  bool IsTabStop() const override;
  // Toggles the box as a click does (repaint, WM_COMMAND), the interaction
  // state back to normal.
  bool Click() override;
  // A check button named by its caption, checked or not.
  ElementDescription Describe() const override;

  // Copies `text` (null: empty) as the caption and repaints.
  void SetText(const wchar_t* text);
  // Checks the box (pressed look) and repaints; sends nothing.
  void SetCheck();
  bool checked() const { return checked_; }
  const std::wstring& caption() const { return caption_; }
  // The caption's styles and margins, as the skin gives them.
  const CaptionLook& caption_look() const { return caption_look_; }
  int interaction_state() const { return interaction_state_; }
  // The visual state OnPaint draws now: grayed when disabled; lighted while
  // lighted; pressed while pressed or checked; focused when it shows the
  // focus look and the skin has a focused picture; otherwise normal.
  virtual int VisualState() const;

 protected:
  // The picture drawn for `state`.
  virtual const StateEntry& StateImage(int state) const;

  StateImages images_;
  CaptionLook caption_look_;

 private:
  void Toggle();

  bool checked_ = false;
  int interaction_state_ = kInteractionNormal;
  std::wstring caption_;
};

class UICheckBoxEx : public UICheckBox {
 public:
  UICheckBoxEx() = default;

  // As UICheckBox, but the pictures come from "Unchecked/normal" ... and
  // "Checked/normal" ... (same five state keys each).
  bool LoadSkin(IResource* resource, const char* path, const JsonValue* base) override;
  // The checked flag chooses the picture set, so the visual state does not
  // need it: grayed when disabled, lighted or pressed while so, focused as
  // in UICheckBox, else normal.
  int VisualState() const override;

 protected:
  const StateEntry& StateImage(int state) const override;

 private:
  StateImages checked_images_;
};

#endif  // BRINDLE_UI_CONTROLS_UI_CHECK_BOX_H_
