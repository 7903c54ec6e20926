#include "ui/controls/widget_kinds.h"

#include "ui/controls/ui_drop_button.h"
#include "ui/controls/ui_edit_box.h"
#include "ui/controls/ui_header.h"
#include "ui/controls/ui_list_view.h"
#include "ui/controls/ui_pane.h"
#include "ui/controls/ui_scroll_bar.h"
#include "ui/controls/ui_tab_ctrl.h"
#include "ui/controls/ui_tool_bar.h"
#include "ui/framework/element_factory.h"

void RegisterWidgetKinds() {
  RegisterElementKind(kElementPane, &MakeElementOf<UIPane>);
  RegisterElementKind(kElementToolBar, &MakeElementOf<UIToolBar>);
  RegisterElementKind(kElementTabCtrl, &MakeElementOf<UITabCtrl>);
  RegisterElementKind(kElementListView, &MakeElementOf<UIListView>);
  RegisterElementKind(kElementScrollBar, &MakeElementOf<UIScrollBar>);
  RegisterElementKind(kElementHeader, &MakeElementOf<UIHeader>);
  RegisterElementKind(kElementDropButton, &MakeElementOf<UIDropButton>);
  RegisterElementKind(kElementEditBox, &MakeElementOf<UIEditBox>);
}
