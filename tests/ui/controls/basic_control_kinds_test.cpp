// The element factory after RegisterBasicControlKinds: each kind makes its
// class, and each element reports the kind value its class sets (UILabel 0,
// UICheckBoxEx the 10 of UICheckBox).
#include "ui/controls/basic_control_kinds.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/ui/controls/controls_test_support.h"
#include "ui/controls/ui_button.h"
#include "ui/controls/ui_check_box.h"
#include "ui/controls/ui_label.h"
#include "ui/controls/ui_progress.h"
#include "ui/controls/ui_radio_box.h"

namespace brindle::test {
namespace {

template <typename Element>
bool Is(UIObject* element) {
  return dynamic_cast<Element*>(element) != nullptr;
}

TEST(BasicControlKindsTest, EachKindMakesItsClass) {
  RegisterBasicControlKinds();
  RegisterBasicControlKinds();  // Again: the same makers.
  struct Case {
    int kind;
    std::function<bool(UIObject*)> is_class;
    int reported_kind;
  };
  const Case cases[] = {
      {kElementButton, &Is<UIButton>, kElementButton},
      {kElementLabel, &Is<UILabel>, 0},
      {kElementCheckBox, &Is<UICheckBox>, kElementCheckBox},
      {kElementCheckBoxEx, &Is<UICheckBoxEx>, kElementCheckBox},
      {kElementRadioBox, &Is<UIRadioBox>, kElementRadioBox},
      {kElementProgress, &Is<UIProgress>, kElementProgress},
  };
  UIObject parent;
  for (const Case& c : cases) {
    UIObject* element = CreateElement("", nullptr, c.kind, &parent);
    ASSERT_NE(element, nullptr) << c.kind;
    EXPECT_TRUE(c.is_class(element)) << c.kind;
    EXPECT_EQ(element->kind(), c.reported_kind) << c.kind;
    EXPECT_EQ(element->parent(), &parent);
  }
  EXPECT_EQ(parent.children().size(), std::size(cases));
  // The check box made for kind 10 is not the extended one.
  EXPECT_FALSE(Is<UICheckBoxEx>(parent.children()[2].get()));
  // The frame window's kind is never made.
  EXPECT_EQ(CreateElement("", nullptr, kElementFrameWindow, &parent), nullptr);
}

}  // namespace
}  // namespace brindle::test
