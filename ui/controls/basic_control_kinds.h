// Registration of the basic controls with the element factory, so that
// CreateElement makes them: UIButton (kind 2), UILabel (9), UICheckBox (10),
// UICheckBoxEx (11), UIRadioBox (12) and UIProgress (13). Call once on the
// user-interface thread before the first CreateElement of these kinds;
// calling it again changes nothing.
#ifndef BRINDLE_UI_CONTROLS_BASIC_CONTROL_KINDS_H_
#define BRINDLE_UI_CONTROLS_BASIC_CONTROL_KINDS_H_

void RegisterBasicControlKinds();

#endif  // BRINDLE_UI_CONTROLS_BASIC_CONTROL_KINDS_H_
