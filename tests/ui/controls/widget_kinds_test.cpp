// RegisterWidgetKinds: the factory kinds of the edit and widget controls, the
// classes they make and the kind values those report.
#include "ui/controls/widget_kinds.h"

#include <gtest/gtest.h>

#include <memory>

#include "ui/controls/ui_drop_button.h"
#include "ui/controls/ui_edit_box.h"
#include "ui/controls/ui_header.h"
#include "ui/controls/ui_list_view.h"
#include "ui/controls/ui_pane.h"
#include "ui/controls/ui_scroll_bar.h"
#include "ui/controls/ui_tab_ctrl.h"
#include "ui/controls/ui_tool_bar.h"
#include "ui/framework/element_factory.h"

namespace {

template <typename Element>
void ExpectKind(int factory_kind, int reported_kind) {
  SCOPED_TRACE(factory_kind);
  const std::unique_ptr<UIObject> element = MakeElement(factory_kind);
  ASSERT_NE(element, nullptr);
  EXPECT_NE(dynamic_cast<Element*>(element.get()), nullptr);
  EXPECT_EQ(element->kind(), reported_kind);
}

TEST(WidgetKindsTest, EachKindMakesItsControl) {
  RegisterWidgetKinds();
  RegisterWidgetKinds();  // Again: no change.
  ExpectKind<UIPane>(kElementPane, kElementPane);
  ExpectKind<UIToolBar>(kElementToolBar, kElementToolBar);
  ExpectKind<UITabCtrl>(kElementTabCtrl, kElementTabCtrl);
  ExpectKind<UIListView>(kElementListView, 0);
  ExpectKind<UIScrollBar>(kElementScrollBar, 0);
  ExpectKind<UIHeader>(kElementHeader, 0);
  ExpectKind<UIDropButton>(kElementDropButton, kElementDropButton);
  ExpectKind<UIEditBox>(kElementEditBox, kElementEditBox);
  EXPECT_EQ(MakeElement(kElementFrameWindow), nullptr);
}

}  // namespace
