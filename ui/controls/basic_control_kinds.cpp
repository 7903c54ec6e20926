#include "ui/controls/basic_control_kinds.h"

#include "ui/controls/ui_button.h"
#include "ui/controls/ui_check_box.h"
#include "ui/controls/ui_label.h"
#include "ui/controls/ui_progress.h"
#include "ui/controls/ui_radio_box.h"
#include "ui/framework/element_factory.h"

void RegisterBasicControlKinds() {
  RegisterElementKind(kElementButton, &MakeElementOf<UIButton>);
  RegisterElementKind(kElementLabel, &MakeElementOf<UILabel>);
  RegisterElementKind(kElementCheckBox, &MakeElementOf<UICheckBox>);
  RegisterElementKind(kElementCheckBoxEx, &MakeElementOf<UICheckBoxEx>);
  RegisterElementKind(kElementRadioBox, &MakeElementOf<UIRadioBox>);
  RegisterElementKind(kElementProgress, &MakeElementOf<UIProgress>);
}
