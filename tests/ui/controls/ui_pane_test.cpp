// UIPane: reads "id", "size" and "bkgnd" and paints the background entry over
// its rectangle (cell skin, and the uninstall-finished window's icon of the
// shipped skin) in a layered host.
#include "ui/controls/ui_pane.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/ui/controls/controls_test_support.h"
#include "ui/controls/widget_kinds.h"

namespace brindle::test {
namespace {

TEST(UIPaneTest, PaintsItsBackgroundOverItsRectangleOnly) {
  RegisterWidgetKinds();
  UIResource skin;
  ASSERT_TRUE(skin.Parse(
      CellSkin(R"({"Pane":{"id":3,"size":[-50,10,40,20],"bkgnd":)" + CellEntry(2) + "}}")));
  // The tree is built before the window is shown, as the setup windows do.
  ControlHost host;
  auto* pane = MakeControl<UIPane>(&skin, "Pane", kElementPane, &host);
  ASSERT_NE(pane, nullptr);
  ASSERT_TRUE(host.Open(120, 60));
  EXPECT_EQ(pane->kind(), kElementPane);
  EXPECT_EQ(pane->command_id(), 3);
  EXPECT_EQ(RectText(pane->rect()), "70,10,110,30");
  EXPECT_EQ(host.Pixel(70, 10), cell_color::kLighted);
  EXPECT_EQ(host.Pixel(109, 29), cell_color::kLighted);
  EXPECT_EQ(host.Pixel(69, 10) >> 24, 0u);
  EXPECT_EQ(host.Pixel(110, 29) >> 24, 0u);
  // No mouse behaviour: a click reports nothing.
  host.Click(pane);
  EXPECT_TRUE(host.reports.empty());
  UIPane missing;
  EXPECT_FALSE(missing.LoadSkin(&skin, "Nothing", nullptr));
}

TEST(UIPaneTest, ShippedUninstallFinishedIcon) {
  RegisterWidgetKinds();
  UIResource skin;
  ASSERT_TRUE(LoadShippedSkin(skin));
  ControlHost host;
  auto* icon = MakeControl<UIPane>(&skin, "SuccessWindow2/Icon", kElementPane, &host);
  ASSERT_NE(icon, nullptr);
  ASSERT_TRUE(host.Open(200, 320));
  EXPECT_EQ(RectText(icon->rect()), "85,273,103,291");
  EXPECT_EQ(icon->background().width, 18);
  // The icon is drawn (something opaque in its middle), nothing beside it.
  EXPECT_GT(host.CentrePixel(icon) >> 24, 0u);
  EXPECT_EQ(host.Pixel(84, 280) >> 24, 0u);
  EXPECT_EQ(host.Pixel(103, 280) >> 24, 0u);
}

}  // namespace
}  // namespace brindle::test
