// UIRadioBox groups in a layered host, driven with mouse messages: selecting
// one unchecks its radio siblings only, reports to the parent element and the
// host, and selecting the selected box again reports nothing.
#include "ui/controls/ui_radio_box.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/ui/controls/controls_test_support.h"
#include "ui/controls/ui_check_box.h"

namespace brindle::test {
namespace {

namespace color = cell_color;

std::string SkinJson() {
  const std::string states = StateCells(0);
  return R"({"Win":{"R1":{"id":11,"size":[10,10,30,20],)" + states +
         R"(},"R2":{"id":12,"size":[50,10,30,20],)" + states +
         R"(},"R3":{"id":13,"size":[90,10,30,20],)" + states +
         R"(},"Box":{"id":14,"size":[130,10,30,20],)" + states +
         R"(},"Inner":{"id":15,"size":[0,0,30,20],)" + states + "}}}";
}

class UIRadioBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterBasicControlKinds();
    ASSERT_TRUE(skin_.Parse(CellSkin(SkinJson())));
    ASSERT_TRUE(host_.Open(200, 100));
    for (const char* name : {"Win/R1", "Win/R2", "Win/R3"}) {
      radios_.push_back(MakeControl<UIRadioBox>(&skin_, name, kElementRadioBox, &host_));
      ASSERT_NE(radios_.back(), nullptr);
    }
    box_ = MakeControl<UICheckBox>(&skin_, "Win/Box", kElementCheckBox, &host_);
    ASSERT_NE(box_, nullptr);
    host_.Invalidate(nullptr, true);
  }

  void ClickAndLeave(UIObject* element) {
    host_.Click(element);
    host_.MoveTo(190, 90);
  }

  UIResource skin_;
  ControlHost host_;
  std::vector<UIRadioBox*> radios_;
  UICheckBox* box_ = nullptr;
};

TEST_F(UIRadioBoxTest, SelectingOneUnchecksTheOthersAndReportsTwice) {
  EXPECT_EQ(radios_[0]->kind(), kElementRadioBox);
  ClickAndLeave(radios_[0]);
  EXPECT_TRUE(radios_[0]->checked());
  ASSERT_EQ(host_.reports.size(), 2u);
  EXPECT_TRUE(host_.reports[0].from_child);
  EXPECT_EQ(host_.reports[0].child, radios_[0]);
  EXPECT_EQ(host_.reports[0].wparam, 11u);
  EXPECT_EQ(host_.reports[0].lparam, reinterpret_cast<LPARAM>(radios_[0]));
  EXPECT_FALSE(host_.reports[1].from_child);
  EXPECT_EQ(host_.reports[1].wparam, 11u);
  EXPECT_EQ(host_.reports[1].lparam, reinterpret_cast<LPARAM>(host_.hwnd()));

  host_.reports.clear();
  ClickAndLeave(radios_[1]);
  EXPECT_FALSE(radios_[0]->checked());
  EXPECT_TRUE(radios_[1]->checked());
  EXPECT_FALSE(radios_[2]->checked());
  EXPECT_EQ(radios_[0]->interaction_state(), kInteractionNormal);
  // The unchecked sibling was repainted.
  EXPECT_EQ(host_.CentrePixel(radios_[0]), color::kNormal);
  EXPECT_EQ(host_.CentrePixel(radios_[1]), color::kPressed);
  ASSERT_EQ(host_.reports.size(), 2u);
  EXPECT_EQ(host_.reports[1].wparam, 12u);
}

TEST_F(UIRadioBoxTest, SelectingTheSelectedBoxSendsNothing) {
  ClickAndLeave(radios_[2]);
  host_.reports.clear();
  ClickAndLeave(radios_[2]);
  EXPECT_TRUE(radios_[2]->checked());
  EXPECT_TRUE(host_.reports.empty());
}

// The click of the keyboard and of assistive technology selects as a press
// does, and assistive technology is told which box is checked.
TEST_F(UIRadioBoxTest, ClickSelectsAndTheDescriptionFollows) {
  radios_[1]->SetText(L"Second");
  EXPECT_TRUE(radios_[1]->Click());
  EXPECT_TRUE(radios_[1]->checked());
  ASSERT_EQ(host_.reports.size(), 2u);
  EXPECT_EQ(host_.reports[1].wparam, 12u);
  const ElementDescription description = radios_[1]->Describe();
  EXPECT_EQ(description.role, ElementRole::kRadioButton);
  EXPECT_EQ(description.name, L"Second");
  EXPECT_TRUE(description.checked);
  EXPECT_TRUE(radios_[0]->Click());
  EXPECT_FALSE(radios_[1]->Describe().checked);
}

TEST_F(UIRadioBoxTest, ReleaseAfterAPressElsewhereDoesNotSelect) {
  host_.MoveTo(190, 90);
  host_.Press(190, 90);
  host_.MoveTo(20, 20);
  host_.Release(20, 20);
  EXPECT_FALSE(radios_[0]->checked());
  EXPECT_TRUE(host_.reports.empty());
}

TEST_F(UIRadioBoxTest, OtherKindsAndOtherParentsAreNotInTheGroup) {
  box_->SetCheck();
  ProbeElement* pane = AddProbe(&host_, "pane", nullptr, 10, 50, 60, 40);
  auto* inner = MakeControl<UIRadioBox>(&skin_, "Win/Inner", kElementRadioBox, pane);
  ASSERT_NE(inner, nullptr);
  ASSERT_EQ(RectText(inner->rect()), "10,50,40,70");

  ClickAndLeave(radios_[0]);
  host_.reports.clear();
  ClickAndLeave(inner);
  EXPECT_TRUE(inner->checked());
  EXPECT_TRUE(radios_[0]->checked());
  EXPECT_TRUE(box_->checked());
  // The pane passes its child's notification up to the host.
  ASSERT_EQ(host_.reports.size(), 2u);
  EXPECT_TRUE(host_.reports[0].from_child);
  EXPECT_EQ(host_.reports[0].child, inner);
  EXPECT_EQ(host_.reports[1].wparam, 15u);
}

TEST_F(UIRadioBoxTest, DisabledRadioBoxIsGrayedAndNotSelectable) {
  radios_[0]->set_enabled(false);
  radios_[0]->Invalidate(nullptr, true);
  EXPECT_EQ(host_.CentrePixel(radios_[0]), color::kGrayed);
  ClickAndLeave(radios_[0]);
  EXPECT_FALSE(radios_[0]->checked());
  EXPECT_TRUE(host_.reports.empty());
}

TEST(UIRadioBoxStandaloneTest, WithoutParentItSelectsAndSendsNowhere) {
  UIResource skin;
  ASSERT_TRUE(skin.Parse(CellSkin(SkinJson())));
  UIRadioBox radio;
  ASSERT_TRUE(radio.LoadSkin(&skin, "Win/R1", nullptr));
  EXPECT_EQ(radio.command_id(), 11);
  radio.OnMouseEnter(0, POINT{});
  radio.OnLButtonDown(0, POINT{});
  radio.OnLButtonUp(0, POINT{});
  EXPECT_TRUE(radio.checked());
}

}  // namespace
}  // namespace brindle::test
