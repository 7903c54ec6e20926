// UIDropButton: a push button whose click runs a drop-down command
// synchronously (element kind 14). It looks and behaves like UIButton except:
// its caption is left-aligned, vertically centred on one line with a word
// ellipsis and does not shift when pressed; the click runs DropAction (by
// default a WM_COMMAND with the button's id to the host, lParam 0, which the
// host may answer by running a pop-up menu) while the button keeps its pressed
// look; afterwards it is lighted when the pointer is over it and it is still
// enabled and visible, else normal.
// No parent notification is sent. User-interface thread only.
#ifndef BRINDLE_UI_CONTROLS_UI_DROP_BUTTON_H_
#define BRINDLE_UI_CONTROLS_UI_DROP_BUTTON_H_

#include "ui/controls/control_look.h"
#include "ui/controls/ui_button.h"

class UIDropButton : public UIButton {
 public:
  // Caption alignment of every state: DT_VCENTER | DT_SINGLELINE |
  // DT_WORD_ELLIPSIS, left-aligned.
  static constexpr UINT kCaptionAlign = 0x40024;

  UIDropButton();

  // As UIButton; the five caption styles take kCaptionAlign.
  bool LoadSkin(IResource* resource, const char* path, const JsonValue* base) override;
  // As UIButton, without moving the pressed caption.
  void OnPaint(HDC dc, const RECT& rect, const RECT& clip) override;
  // Ignored while the drop action runs; otherwise as UIButton.
  bool OnMouseLeave(UINT keys, POINT point) override;
  // Runs DropAction, then takes the lighted look when the cursor is over the
  // button and the button is still enabled and visible, and the normal look
  // otherwise.
  bool OnLButtonUp(UINT keys, POINT point) override;

  // Sends WM_COMMAND (command id, lParam 0) to the host and returns when the
  // host has handled it.
  virtual void DropAction();

  bool dropping() const { return dropping_; }
  const CaptionLook& drop_look() const { return look_; }

 private:
  CaptionLook look_;  // UIButton's caption look with kCaptionAlign in every style.
  bool dropping_ = false;
};

#endif  // BRINDLE_UI_CONTROLS_UI_DROP_BUTTON_H_
