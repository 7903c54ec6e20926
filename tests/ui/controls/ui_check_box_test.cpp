// UICheckBox and UICheckBoxEx in a layered host, driven with mouse messages:
// toggling on release, the press-elsewhere rule, disabled and pre-checked
// boxes, the two picture sets of UICheckBoxEx, and the shipped check box's
// pictures in the composed buffer.
#include "ui/controls/ui_check_box.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ui/controls/controls_test_support.h"
#include "ui/controls/box_row.h"
#include "ui/framework/ch_bitmap.h"

namespace brindle::test {
namespace {

namespace color = cell_color;

std::string SkinJson() {
  return R"({"Win":{"Box":{"id":1002,"size":[10,10,40,20],)" + StateCells(0) +
         R"(},"BoxEx":{"id":1003,"size":[60,10,40,20],"Unchecked":{)" + StateCells(0) +
         R"(},"Checked":{)" + StateCells(5) + "}}}}";
}

class UICheckBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterBasicControlKinds();
    ASSERT_TRUE(skin_.Parse(CellSkin(SkinJson())));
    ASSERT_TRUE(host_.Open(200, 100));
    box_ = MakeControl<UICheckBox>(&skin_, "Win/Box", kElementCheckBox, &host_);
    ASSERT_NE(box_, nullptr);
    ex_ = MakeControl<UICheckBoxEx>(&skin_, "Win/BoxEx", kElementCheckBoxEx, &host_);
    ASSERT_NE(ex_, nullptr);
    host_.Invalidate(nullptr, true);
  }

  // Only WM_COMMANDs to the host: check boxes do not notify their parent.
  size_t Commands(WPARAM id) const {
    size_t count = 0;
    for (const auto& report : host_.reports) {
      EXPECT_FALSE(report.from_child);
      if (!report.from_child && report.wparam == id &&
          report.lparam == reinterpret_cast<LPARAM>(host_.hwnd())) {
        ++count;
      }
    }
    return count;
  }

  UIResource skin_;
  ControlHost host_;
  UICheckBox* box_ = nullptr;
  UICheckBoxEx* ex_ = nullptr;
};

TEST_F(UICheckBoxTest, ClickChecksAndClickAgainUnchecks) {
  EXPECT_EQ(box_->kind(), kElementCheckBox);
  EXPECT_EQ(box_->command_id(), 1002);
  EXPECT_EQ(host_.CentrePixel(box_), color::kNormal);

  host_.MoveTo(20, 20);
  EXPECT_EQ(host_.CentrePixel(box_), color::kLighted);
  host_.Press(20, 20);
  EXPECT_EQ(host_.CentrePixel(box_), color::kPressed);
  host_.Release(20, 20);
  EXPECT_TRUE(box_->checked());
  EXPECT_EQ(box_->interaction_state(), kInteractionPressed);
  EXPECT_EQ(Commands(1002), 1u);

  // Checked shows the pressed picture, also away from the pointer and when
  // hovered again.
  host_.MoveTo(150, 80);
  EXPECT_EQ(box_->interaction_state(), kInteractionNormal);
  EXPECT_EQ(host_.CentrePixel(box_), color::kPressed);
  host_.MoveTo(20, 20);
  EXPECT_EQ(box_->interaction_state(), kInteractionPressed);
  EXPECT_EQ(host_.CentrePixel(box_), color::kPressed);

  host_.Press(20, 20);
  host_.Release(20, 20);
  EXPECT_FALSE(box_->checked());
  EXPECT_EQ(box_->interaction_state(), kInteractionLighted);
  EXPECT_EQ(host_.CentrePixel(box_), color::kLighted);
  EXPECT_EQ(Commands(1002), 2u);
}

// A press that began elsewhere: the box was only entered, so an unchecked
// box is lighted and ignores the release, while a checked box entered in the
// pressed state takes it and unchecks.
TEST_F(UICheckBoxTest, ReleaseAfterAPressElsewhere) {
  struct Case {
    bool checked_before;
    bool checked_after;
    size_t commands;
  };
  for (const Case& c : {Case{false, false, 0}, Case{true, false, 1}}) {
    SCOPED_TRACE(c.checked_before ? "checked" : "unchecked");
    host_.reports.clear();
    if (c.checked_before) box_->SetCheck();
    host_.MoveTo(150, 80);
    host_.Press(150, 80);
    host_.MoveTo(20, 20);
    host_.Release(20, 20);
    EXPECT_EQ(box_->checked(), c.checked_after);
    EXPECT_EQ(Commands(1002), c.commands);
    host_.MoveTo(150, 80);
  }
}

TEST_F(UICheckBoxTest, DisabledBoxIsGrayedEvenWhenCheckedAndIgnoresClicks) {
  box_->SetCheck();
  box_->set_enabled(false);
  box_->Invalidate(nullptr, true);
  EXPECT_EQ(host_.CentrePixel(box_), color::kGrayed);
  host_.Click(box_);
  EXPECT_TRUE(box_->checked());
  EXPECT_EQ(box_->interaction_state(), kInteractionNormal);
  EXPECT_TRUE(host_.reports.empty());
}

TEST_F(UICheckBoxTest, SetCheckIsSilentAndShowsTheTick) {
  host_.MoveTo(20, 20);
  box_->SetCheck();
  EXPECT_TRUE(box_->checked());
  EXPECT_EQ(box_->interaction_state(), kInteractionNormal);
  EXPECT_EQ(host_.CentrePixel(box_), color::kPressed);
  EXPECT_TRUE(host_.reports.empty());
}

TEST_F(UICheckBoxTest, CaptionIsCopiedAndNullClearsIt) {
  std::wstring text = L"Desktop";
  box_->SetText(text.c_str());
  text[0] = L'X';
  EXPECT_EQ(box_->caption(), L"Desktop");
  box_->SetText(nullptr);
  EXPECT_TRUE(box_->caption().empty());
}

TEST_F(UICheckBoxTest, CheckBoxExDrawsFromTheSetOfItsCheckedState) {
  UICheckBoxEx* ex = ex_;
  EXPECT_EQ(ex->kind(), kElementCheckBox);
  EXPECT_EQ(ex->command_id(), 1003);
  EXPECT_EQ(host_.CentrePixel(ex), color::kNormal);

  host_.MoveTo(70, 20);
  EXPECT_EQ(host_.CentrePixel(ex), color::kLighted);
  host_.Press(70, 20);
  host_.Release(70, 20);
  EXPECT_TRUE(ex->checked());
  EXPECT_EQ(host_.CentrePixel(ex), color::kCheckedPressed);
  EXPECT_EQ(Commands(1003), 1u);

  host_.MoveTo(150, 80);
  EXPECT_EQ(host_.CentrePixel(ex), color::kCheckedNormal);
  host_.MoveTo(70, 20);
  EXPECT_EQ(host_.CentrePixel(ex), color::kCheckedPressed);

  ex->set_enabled(false);
  ex->Invalidate(nullptr, true);
  EXPECT_EQ(host_.CentrePixel(ex), color::kCheckedGrayed);
}

// The shipped boxes draw their 16 x 16 box picture as a foreground, 7 pixels
// in from the left and centred vertically; the caption starts 29 pixels in.
TEST(BoxRowTest, BoxesTakeWhatTheyNeedAndTheLongestShrinkWhenTheRoomIsShort) {
  struct Case {
    const char* name;
    std::vector<int> needs;
    int left, right, gap;
    std::vector<RowSlot> slots;  // x and width of each box
  };
  const Case cases[] = {
      {"room to spare: gaps grow by the spare shared out",
       {100, 100, 100},
       0,
       340,
       10,
       {{0, 100}, {120, 100}, {240, 100}}},
      {"much room: gaps at most three times the gap", {50, 50}, 10, 500, 10, {{10, 50}, {90, 50}}},
      {"exactly enough", {100, 150}, 0, 260, 10, {{0, 100}, {110, 150}}},
      {"short of room: the longest shrinks first",
       {60, 200, 100},
       0,
       300,
       10,
       {{0, 60}, {70, 120}, {200, 100}}},
      {"short of room: two long ones share the cut",
       {60, 200, 180},
       0,
       300,
       10,
       {{0, 60}, {70, 110}, {190, 110}}},
      {"one box wider than its room", {300}, 48, 268, 12, {{48, 220}}},
      {"no room at all", {50, 50}, 100, 90, 10, {{100, 0}, {110, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<RowSlot> slots = LayOutRow(c.needs, c.left, c.right, c.gap);
    ASSERT_EQ(slots.size(), c.slots.size());
    for (size_t i = 0; i < slots.size(); ++i) {
      EXPECT_EQ(slots[i].x, c.slots[i].x) << i;
      EXPECT_EQ(slots[i].width, c.slots[i].width) << i;
      // Never under the neighbour, never past the room (when there is room).
      if (i > 0) {
        EXPECT_GE(slots[i].x, slots[i - 1].x + slots[i - 1].width + c.gap) << i;
      }
      if (c.right > c.left) {
        EXPECT_LE(slots[i].x + slots[i].width, c.right) << i;
      }
    }
  }
  EXPECT_TRUE(LayOutRow({}, 0, 100, 10).empty());
}

TEST(UICheckBoxShippedSkinTest, AgreementBoxPicturesInTheComposedWindow) {
  RegisterBasicControlKinds();
  UIResource skin;
  ASSERT_TRUE(LoadShippedSkin(skin));
  const CHBitmap* sheet = skin.GetImage(100, true);
  ASSERT_NE(sheet, nullptr);
  ASSERT_EQ(sheet->bits_per_pixel(), 32);
  ControlHost host;
  ASSERT_TRUE(host.Open(670, 680, 0, 0));
  auto* box = MakeControl<UICheckBox>(&skin, "MainWindow/CheckBoxAgree", kElementCheckBox, &host);
  ASSERT_NE(box, nullptr);
  host.Invalidate(nullptr, true);
  EXPECT_EQ(RectText(box->rect()), "48,480,268,507");
  const int left = box->rect().left + 7;
  const int top = (box->rect().top + box->rect().bottom) / 2 - 8;

  struct Look {
    const char* name;
    int sheet_x;  // of the 16 x 16 picture at y 316
  };
  auto expect_look = [&](const Look& look) {
    SCOPED_TRACE(look.name);
    // Every opaque pixel of the picture lands unchanged.
    int compared = 0;
    for (int dy = 0; dy < 16; ++dy) {
      for (int dx = 0; dx < 16; ++dx) {
        const uint32_t expected = ImagePixel(*sheet, look.sheet_x + dx, 316 + dy);
        if (expected >> 24 != 0xFF) continue;
        ++compared;
        ASSERT_EQ(host.Pixel(left + dx, top + dy), expected) << dx << "," << dy;
      }
    }
    EXPECT_GT(compared, 0);
  };
  expect_look({"empty", 676});
  box->SetCheck();
  expect_look({"ticked", 712});
  box->set_enabled(false);
  box->Invalidate(nullptr, true);
  expect_look({"grayed", 730});
}

}  // namespace
}  // namespace brindle::test
