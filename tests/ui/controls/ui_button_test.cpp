// UIButton in a layered host, driven with mouse messages: the interaction
// states and their pictures in the composed buffer, the click and its two
// notifications, disabled buttons, the pressed caption's shift and the skin
// reading (test skin of colour cells, and the shipped skin).
#include "ui/controls/ui_button.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/ui/controls/controls_test_support.h"

namespace brindle::test {
namespace {

namespace color = cell_color;

const char kSkin[] = R"({"Win":{
  "Button":{"id":1001,"size":[10,10,60,30],%STATES%,
            "Text":{"margin":[2,3,4,5],"normal":{"al":37,"cr":16777215}}},
  "WideId":{"id":74565,"size":[60,10,40,20],%STATES%},
  "Shift":{"id":5,"size":[10,40,120,40],"normal":%CELL0%,"lighted":%CELL0%,"pressed":%CELL0%,
           "Text":{"margin":[0,0,0,0],"normal":{"al":37,"cr":16777215},
                   "lighted":{"al":37,"cr":16777215},"pressed":{"al":37,"cr":16777215}}}
}})";

std::string SkinJson() {
  std::string json = kSkin;
  auto replace_all = [&json](const std::string& from, const std::string& to) {
    for (size_t at = json.find(from); at != std::string::npos; at = json.find(from, at)) {
      json.replace(at, from.size(), to);
      at += to.size();
    }
  };
  replace_all("%STATES%", StateCells(0));
  replace_all("%CELL0%", CellEntry(0));
  return json;
}

class UIButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterBasicControlKinds();
    ASSERT_TRUE(skin_.Parse(CellSkin(SkinJson())));
    ASSERT_TRUE(host_.Open(200, 100));
    button_ = MakeControl<UIButton>(&skin_, "Win/Button", kElementButton, &host_);
    ASSERT_NE(button_, nullptr);
    host_.Invalidate(nullptr, true);
  }

  uint32_t ButtonPixel() const { return host_.CentrePixel(button_); }

  UIResource skin_;
  ControlHost host_;
  UIButton* button_ = nullptr;
};

TEST_F(UIButtonTest, ReadsIdSizeAndCaptionMargins) {
  EXPECT_EQ(button_->kind(), kElementButton);
  EXPECT_EQ(button_->command_id(), 1001);
  EXPECT_EQ(RectText(button_->rect()), "10,10,70,40");
  EXPECT_EQ(button_->interaction_state(), kInteractionNormal);
  EXPECT_TRUE(button_->caption().empty());
  UIButton missing;
  EXPECT_FALSE(missing.LoadSkin(&skin_, "Win/NoSuchButton", nullptr));
  EXPECT_EQ(missing.command_id(), 0);
}

TEST_F(UIButtonTest, HoverPressReleaseClicksOnceAndShowsEachState) {
  EXPECT_EQ(ButtonPixel(), color::kNormal);

  host_.MoveTo(20, 20);
  EXPECT_EQ(button_->interaction_state(), kInteractionLighted);
  EXPECT_EQ(ButtonPixel(), color::kLighted);

  host_.Press(20, 20);
  EXPECT_EQ(button_->interaction_state(), kInteractionPressed);
  EXPECT_EQ(ButtonPixel(), color::kPressed);
  EXPECT_TRUE(host_.reports.empty());

  host_.Release(20, 20);
  EXPECT_EQ(button_->interaction_state(), kInteractionLighted);
  EXPECT_EQ(ButtonPixel(), color::kLighted);
  // The parent element first (the button itself as lParam), then the host
  // window (its own handle as lParam).
  ASSERT_EQ(host_.reports.size(), 2u);
  EXPECT_TRUE(host_.reports[0].from_child);
  EXPECT_EQ(host_.reports[0].child, button_);
  EXPECT_EQ(host_.reports[0].wparam, 1001u);
  EXPECT_EQ(host_.reports[0].lparam, reinterpret_cast<LPARAM>(button_));
  EXPECT_FALSE(host_.reports[1].from_child);
  EXPECT_EQ(host_.reports[1].wparam, 1001u);
  EXPECT_EQ(host_.reports[1].lparam, reinterpret_cast<LPARAM>(host_.hwnd()));

  host_.MoveTo(150, 80);
  EXPECT_EQ(button_->interaction_state(), kInteractionNormal);
  EXPECT_EQ(ButtonPixel(), color::kNormal);
}

// No capture: only where the button is released matters.
TEST_F(UIButtonTest, ReleaseDecidesTheClickWherever) {
  host_.MoveTo(150, 80);
  host_.Press(150, 80);
  host_.MoveTo(20, 20);
  host_.Release(20, 20);
  EXPECT_EQ(host_.reports.size(), 2u);

  host_.reports.clear();
  host_.Press(20, 20);
  host_.MoveTo(150, 80);
  host_.Release(150, 80);
  EXPECT_TRUE(host_.reports.empty());
  EXPECT_EQ(button_->interaction_state(), kInteractionNormal);
}

TEST_F(UIButtonTest, DisabledButtonIsGrayedAndIgnoresTheMouse) {
  button_->set_enabled(false);
  button_->Invalidate(nullptr, true);
  EXPECT_EQ(ButtonPixel(), color::kGrayed);

  host_.Click(button_);
  EXPECT_EQ(button_->interaction_state(), kInteractionNormal);
  EXPECT_EQ(ButtonPixel(), color::kGrayed);
  EXPECT_TRUE(host_.reports.empty());
}

TEST_F(UIButtonTest, CommandCarriesTheLow16BitsOfTheId) {
  auto* wide = MakeControl<UIButton>(&skin_, "Win/WideId", kElementButton, &host_);
  ASSERT_NE(wide, nullptr);
  EXPECT_EQ(wide->command_id(), 0x12345);
  host_.Click(wide);
  ASSERT_EQ(host_.reports.size(), 2u);
  EXPECT_EQ(host_.reports[0].wparam, 0x2345u);
  EXPECT_EQ(host_.reports[1].wparam, 0x2345u);
}

TEST_F(UIButtonTest, ShowingOrHidingReturnsToNormal) {
  host_.MoveTo(20, 20);
  host_.Press(20, 20);
  ASSERT_EQ(button_->interaction_state(), kInteractionPressed);
  SetVisible(button_, false);
  EXPECT_EQ(button_->interaction_state(), kInteractionNormal);
  host_.MoveTo(20, 20);  // Hidden: never hit.
  EXPECT_EQ(button_->interaction_state(), kInteractionNormal);
  SetVisible(button_, true);
  EXPECT_EQ(ButtonPixel(), color::kNormal);
}

// The bounding box of the pixels of `rect` that differ from `background`.
RECT InkBox(const ControlHost& host, const RECT& rect, uint32_t background) {
  RECT box = {rect.right, rect.bottom, rect.left, rect.top};
  for (int y = rect.top; y < rect.bottom; ++y) {
    for (int x = rect.left; x < rect.right; ++x) {
      if (host.Pixel(x, y) == background) continue;
      box.left = std::min<LONG>(box.left, x);
      box.top = std::min<LONG>(box.top, y);
      box.right = std::max<LONG>(box.right, x + 1);
      box.bottom = std::max<LONG>(box.bottom, y + 1);
    }
  }
  return box;
}

TEST_F(UIButtonTest, PressedCaptionMovesOnePixelRightAndDown) {
  auto* shift = MakeControl<UIButton>(&skin_, "Win/Shift", kElementButton, &host_);
  ASSERT_NE(shift, nullptr);
  shift->SetText(L"Hg");
  host_.MoveTo(20, 50);
  ASSERT_EQ(shift->interaction_state(), kInteractionLighted);
  const RECT lighted = InkBox(host_, shift->rect(), color::kNormal);
  ASSERT_LT(lighted.left, lighted.right) << "no caption drawn";

  host_.Press(20, 50);
  ASSERT_EQ(shift->interaction_state(), kInteractionPressed);
  const RECT pressed = InkBox(host_, shift->rect(), color::kNormal);
  EXPECT_EQ(RectText(pressed),
            RectText({lighted.left + 1, lighted.top + 1, lighted.right + 1, lighted.bottom + 1}));
}

TEST_F(UIButtonTest, EmptyCaptionDrawsOnlyThePicture) {
  button_->SetText(L"x");
  button_->SetText(nullptr);
  EXPECT_TRUE(button_->caption().empty());
  const RECT& r = button_->rect();
  const RECT ink = InkBox(host_, r, color::kNormal);
  EXPECT_GE(ink.left, ink.right) << RectText(ink);

  button_->SetText(L"OK");
  const RECT text = InkBox(host_, r, color::kNormal);
  EXPECT_LT(text.left, text.right);
  // Inside the margins [2, 3, 4, 5].
  EXPECT_GE(text.left, r.left + 2);
  EXPECT_GE(text.top, r.top + 3);
  EXPECT_LE(text.right, r.right - 4);
  EXPECT_LE(text.bottom, r.bottom - 5);
}

TEST(UIButtonShippedSkinTest, InstallButtonLaysOutFromTheBottomRight) {
  RegisterBasicControlKinds();
  UIResource skin;
  ASSERT_TRUE(LoadShippedSkin(skin));
  ControlHost host;
  ASSERT_TRUE(host.Open(670, 680, 0, 0));
  auto* button = MakeControl<UIButton>(&skin, "MainWindow/InstallButton2", kElementButton, &host);
  ASSERT_NE(button, nullptr);
  host.Invalidate(nullptr, true);
  EXPECT_EQ(button->command_id(), 1001);
  EXPECT_EQ(RectText(button->rect()), "475,584,615,621");
  // The primary button's picture is opaque in its middle.
  EXPECT_EQ(host.CentrePixel(button) >> 24, 0xFFu);
}

}  // namespace
}  // namespace brindle::test
