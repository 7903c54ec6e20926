// UIProgress: the fill width arithmetic, and the composed bar with the cell
// skin (exact columns) and with the shipped skin's 558-pixel bar.
#include "ui/controls/ui_progress.h"

#include <gtest/gtest.h>

#include "tests/ui/controls/controls_test_support.h"

namespace brindle::test {
namespace {

namespace color = cell_color;

TEST(ProgressFillWidthTest, ProportionOfTheWidth) {
  struct Case {
    int width, position, lower, upper, fill;
  };
  const Case cases[] = {
      {558, 50, 0, 100, 279},
      {558, 100, 0, 100, 558},
      {558, 0, 0, 100, 0},
      {558, 1, 0, 100, 5},  // 5.58 truncated
      {558, 50, 0, 0, 0},   // empty range: background only
      {558, 50, 100, 100, 0},
      {558, 50, 100, 0, 0},     // upper below lower
      {558, 50, 20, 120, 279},  // counted from 0, not from lower
      {558, 150, 0, 100, 558},
      {558, -5, 0, 100, 0},                // outside the range
      {100000, 100000, 0, 200000, 50000},  // product beyond 32 bits
      {0, 50, 0, 100, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ProgressFillWidth(c.width, c.position, c.lower, c.upper), c.fill)
        << c.width << " " << c.position << " [" << c.lower << "," << c.upper << "]";
  }
}

class UIProgressTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterBasicControlKinds();
    ASSERT_TRUE(skin_.Parse(CellSkin(R"({"W":{"Bar":{"id":3,"size":[20,10,558,6],"bkgnd":)" +
                                     CellEntry(10) + R"(,"frgnd":)" + CellEntry(11) + "}}}")));
    ASSERT_TRUE(host_.Open(600, 30));
    bar_ = MakeControl<UIProgress>(&skin_, "W/Bar", kElementProgress, &host_);
    ASSERT_NE(bar_, nullptr);
    host_.Invalidate(nullptr, true);
  }

  void Show(int position, int lower, int upper) {
    bar_->set_position(position);
    bar_->set_lower(lower);
    bar_->set_upper(upper);
    bar_->Invalidate(nullptr, true);
  }
  uint32_t Column(int x) const { return host_.Pixel(bar_->rect().left + x, 13); }

  UIResource skin_;
  ControlHost host_;
  UIProgress* bar_ = nullptr;
};

TEST_F(UIProgressTest, FreshBarShowsOnlyTheTrack) {
  EXPECT_EQ(bar_->kind(), kElementProgress);
  EXPECT_EQ(bar_->command_id(), 3);
  EXPECT_EQ(RectText(bar_->rect()), "20,10,578,16");
  EXPECT_EQ(bar_->lower(), 0);
  EXPECT_EQ(bar_->upper(), 0);
  bar_->set_position(50);
  bar_->Invalidate(nullptr, true);
  EXPECT_EQ(Column(0), color::kTrack);
  EXPECT_EQ(Column(557), color::kTrack);
}

TEST_F(UIProgressTest, HalfwayFills279Columns) {
  Show(50, 0, 100);
  EXPECT_EQ(Column(0), color::kFill);
  EXPECT_EQ(Column(278), color::kFill);
  EXPECT_EQ(Column(279), color::kTrack);
  EXPECT_EQ(Column(557), color::kTrack);
  EXPECT_EQ(host_.Pixel(bar_->rect().left + 100, bar_->rect().top), color::kFill);
  EXPECT_EQ(host_.Pixel(bar_->rect().left + 100, bar_->rect().bottom - 1), color::kFill);

  Show(100, 0, 100);
  EXPECT_EQ(Column(557), color::kFill);
  // Going back repaints the track where the fill was.
  Show(0, 0, 100);
  EXPECT_EQ(Column(0), color::kTrack);
  EXPECT_EQ(Column(300), color::kTrack);
}

// What assistive technology is told: a progress bar whose value is the
// filled share in percent, counted as the fill is.
TEST_F(UIProgressTest, DescribesItselfWithThePercentageFilled) {
  const struct {
    int position, lower, upper;
    const wchar_t* value;
  } cases[] = {
      {0, 0, 0, L"0%"},
      {45, 0, 100, L"45%"},
      {100, 0, 100, L"100%"},
      {3, 0, 12, L"25%"},
  };
  for (const auto& c : cases) {
    Show(c.position, c.lower, c.upper);
    const ElementDescription description = bar_->Describe();
    EXPECT_EQ(description.role, ElementRole::kProgressBar);
    EXPECT_EQ(description.value, c.value) << c.position << "/" << c.upper;
    EXPECT_TRUE(description.name.empty());
  }
}

// The shipped bar: 558 x 6 on the progress window, nine-grid pieces of 14 x 6.
TEST(UIProgressShippedSkinTest, HalfwayOnTheShippedBar) {
  RegisterBasicControlKinds();
  UIResource skin;
  ASSERT_TRUE(LoadShippedSkin(skin));
  ControlHost host;
  ASSERT_TRUE(host.Open(670, 300, 0, 0));
  auto* bar = MakeControl<UIProgress>(&skin, "ProcessWindow/Progress1", kElementProgress, &host);
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(RectText(bar->rect()), "56,200,614,206");
  host.Invalidate(nullptr, true);
  bar->set_upper(100);
  bar->set_position(50);
  bar->Invalidate(nullptr, true);
  const int left = bar->rect().left;
  const int y = 202;
  const uint32_t fill = host.Pixel(left + 100, y);
  const uint32_t track = host.Pixel(left + 400, y);
  EXPECT_NE(fill, track);
  EXPECT_EQ(host.Pixel(left + 270, y), fill);   // Inside the fill's stretched middle.
  EXPECT_EQ(host.Pixel(left + 279, y), track);  // The first column past the fill.
  EXPECT_EQ(host.Pixel(left + 300, y), track);
}

}  // namespace
}  // namespace brindle::test
