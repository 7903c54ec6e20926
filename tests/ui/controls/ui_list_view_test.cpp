// UIListView with its UIHeader and UIScrollBar in a layered host (cell skin):
// filling columns and rows, the layout of the list area, rows and cells, the
// scroll bar that shows only while the rows do not fit, scrolling by wheel and
// bar notifications, selecting by press, and the composed stripes.
#include "ui/controls/ui_list_view.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ui/controls/controls_test_support.h"
#include "ui/controls/ui_header.h"
#include "ui/controls/ui_scroll_bar.h"
#include "ui/controls/widget_kinds.h"

namespace brindle::test {
namespace {

namespace color = cell_color;

constexpr WORD kWheelDown = static_cast<WORD>(-WHEEL_DELTA);

std::string ListSkin() {
  return R"({"List":{"Header":{"text":{"al":37,"cr":16777215},"bkgnd":)" + CellEntry(5) +
         R"(,"splitter":)" + CellEntry(6) + R"(,"height":24},"ScrollBar":{"thumb":)" +
         CellEntry(11) + R"(,"trackbar":)" + CellEntry(10) + R"(},"Item":{"odd":)" + CellEntry(7) +
         R"(,"even":)" + CellEntry(8) + R"(,"selected":)" + CellEntry(9) +
         R"(,"height":20}},"Bare":{}})";
}

class UIListViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterWidgetKinds();
    ASSERT_TRUE(skin_.Parse(CellSkin(ListSkin())));
    ASSERT_TRUE(host_.Open(260, 240));
    list_ = MakeControl<UIListView>(&skin_, "List", kElementListView, &host_);
    ASSERT_NE(list_, nullptr);
    bar_ = list_->scroll_bar();
    header_ = list_->header();
  }

  void AddRows(int count) {
    for (int i = 0; i < count; ++i) {
      list_->AddRow({L"row " + std::to_wstring(list_->rows().size()), L"x"});
    }
  }
  void Wheel(WORD delta) {
    host_.MoveTo(40, 100);
    POINT screen = {40, 100};
    ::ClientToScreen(host_.hwnd(), &screen);
    ::SendMessageW(host_.hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, delta),
                   MAKELPARAM(screen.x, screen.y));
  }

  UIResource skin_;
  ControlHost host_;
  UIListView* list_ = nullptr;
  UIScrollBar* bar_ = nullptr;
  UIHeader* header_ = nullptr;
};

TEST_F(UIListViewTest, LoadingSizesTheListAndItsChildren) {
  EXPECT_EQ(list_->kind(), 0);
  EXPECT_EQ(list_->command_id(), 0);
  EXPECT_EQ(RectText(list_->rect()), "0,0,200,200");
  ASSERT_EQ(list_->children().size(), 2u);
  EXPECT_EQ(list_->children()[0].get(), header_);
  EXPECT_EQ(list_->children()[1].get(), bar_);
  EXPECT_FALSE(bar_->visible());
  EXPECT_EQ(list_->row_height(), 20);
  EXPECT_EQ(header_->header_height(), 24);
  EXPECT_EQ(RectText(header_->rect()), "0,0,200,24");
  EXPECT_EQ(RectText(list_->list_area()), "0,24,200,200");
  EXPECT_EQ(list_->selected_row(), -1);
}

TEST_F(UIListViewTest, DefaultsWithoutSkinKeys) {
  UIListView bare;
  EXPECT_TRUE(bare.LoadSkin(&skin_, "Bare", nullptr));
  EXPECT_EQ(bare.row_height(), UIListView::kDefaultRowHeight);
  EXPECT_EQ(bare.header()->header_height(), UIHeader::kDefaultHeight);
  EXPECT_FALSE(bare.LoadSkin(&skin_, "Missing", nullptr));
}

TEST_F(UIListViewTest, CellsTakeTheColumnWidthsCutAtTheRightEdge) {
  EXPECT_EQ(list_->AddColumn(L"Name", 80), 0);
  EXPECT_EQ(list_->AddColumn(L"Size", 150), 1);
  EXPECT_EQ(list_->AddRow({L"a", L"b", L"c"}), 0);
  EXPECT_EQ(list_->AddRow({L"d"}), 1);
  ASSERT_TRUE(list_->SetCellText(1, 3, L"far"));
  EXPECT_FALSE(list_->SetCellText(2, 0, L"no such row"));
  EXPECT_FALSE(list_->SetCellText(0, -1, L"no such column"));

  const auto& rows = list_->rows();
  EXPECT_EQ(RectText(rows[0].rect), "0,24,200,44");
  EXPECT_EQ(RectText(rows[1].rect), "0,44,200,64");
  ASSERT_EQ(rows[0].cells.size(), 3u);
  EXPECT_EQ(RectText(rows[0].cells[0].rect), "0,24,80,44");
  EXPECT_EQ(RectText(rows[0].cells[1].rect), "80,24,200,44");   // 230 cut to 200.
  EXPECT_EQ(RectText(rows[0].cells[2].rect), "200,24,200,44");  // Beyond the columns.
  ASSERT_EQ(rows[1].cells.size(), 4u);
  EXPECT_EQ(rows[1].cells[3].text, L"far");
  EXPECT_EQ(rows[1].cells[1].text, L"");

  const auto& columns = header_->columns();
  ASSERT_EQ(columns.size(), 2u);
  EXPECT_EQ(RectText(columns[0].rect), "0,0,80,24");
  EXPECT_EQ(RectText(columns[1].rect), "80,0,230,24");
}

TEST_F(UIListViewTest, RowsThatFitHaveNoScrollBarAndNoOffset) {
  AddRows(8);  // 160 of 176 pixels.
  EXPECT_FALSE(bar_->visible());
  EXPECT_EQ(list_->scroll_offset(), 0);
  EXPECT_EQ(RectText(list_->list_area()), "0,24,200,200");
  Wheel(kWheelDown);
  EXPECT_EQ(list_->scroll_offset(), 0);
}

TEST_F(UIListViewTest, RowsThatDoNotFitShowTheBarAndNarrowTheList) {
  AddRows(20);  // 400 pixels.
  ASSERT_TRUE(bar_->visible());
  EXPECT_EQ(RectText(list_->list_area()), "0,24,170,200");
  EXPECT_EQ(RectText(header_->rect()), "0,0,170,24");
  EXPECT_EQ(RectText(bar_->rect()), "170,24,178,200");
  EXPECT_EQ(RectText(list_->rows()[19].rect), "0,404,170,424");
  EXPECT_EQ(bar_->max(), 400);
  EXPECT_EQ(bar_->page(), 176);

  // One eighth of the page per wheel message: 22 pixels.
  Wheel(kWheelDown);
  EXPECT_EQ(list_->scroll_offset(), 22);
  EXPECT_EQ(bar_->position(), 22);
  list_->OnChildNotify(bar_, WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(list_->scroll_offset(), 198);
  list_->OnChildNotify(bar_, WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(list_->scroll_offset(), 400 - 176 - 1);
  EXPECT_EQ(list_->OnChildNotify(bar_, WM_COMMAND, 1, 0), 0);
  EXPECT_TRUE(host_.reports.empty());
}

TEST_F(UIListViewTest, RemovingRowsHidesTheBarAndScrollsBack) {
  AddRows(20);
  Wheel(kWheelDown);
  ASSERT_EQ(list_->scroll_offset(), 22);
  list_->DeleteAllRows();
  AddRows(3);
  EXPECT_FALSE(bar_->visible());
  EXPECT_EQ(list_->scroll_offset(), 0);
  EXPECT_EQ(RectText(list_->list_area()), "0,24,200,200");
  // The hidden bar keeps no range: the wheel moves nothing.
  Wheel(kWheelDown);
  EXPECT_EQ(list_->scroll_offset(), 0);
}

TEST_F(UIListViewTest, APressSelectsTheRowUnderItAfterScrolling) {
  AddRows(20);
  host_.Click(list_);  // (100, 100): row (100 - 24) / 20 = 3.
  EXPECT_EQ(list_->selected_row(), 3);
  Wheel(kWheelDown);  // 22 pixels: row (100 - 24 + 22) / 20 = 4.
  host_.MoveTo(50, 100);
  host_.Press(50, 100);
  host_.Release(50, 100);
  EXPECT_EQ(list_->selected_row(), 4);
  EXPECT_TRUE(host_.reports.empty());  // No notification.

  list_->set_enabled(false);
  host_.Press(50, 150);
  EXPECT_EQ(list_->selected_row(), 4);
}

TEST_F(UIListViewTest, PaintsStripesTheSelectedRowAndTheHeader) {
  list_->AddColumn(L"Name", 80);
  list_->AddColumn(L"Size", 60);
  AddRows(3);
  host_.MoveTo(10, 50);
  host_.Press(10, 50);  // Row 1.
  ASSERT_EQ(list_->selected_row(), 1);
  EXPECT_EQ(host_.Pixel(2, 26), color::kCheckedPressed);   // Row 0: even.
  EXPECT_EQ(host_.Pixel(2, 46), color::kCheckedFocused);   // Row 1: selected.
  EXPECT_EQ(host_.Pixel(2, 66), color::kCheckedPressed);   // Row 2: even.
  EXPECT_EQ(host_.Pixel(2, 86), color::kCheckedLighted);   // Stripe 3: odd.
  EXPECT_EQ(host_.Pixel(2, 196), color::kCheckedPressed);  // Stripe 8: even.
  EXPECT_EQ(host_.Pixel(2, 2), color::kCheckedNormal);     // Header background.
  // The splitter before the second column: x 79 and 80.
  EXPECT_EQ(host_.Pixel(79, 2), color::kCheckedGrayed);
  EXPECT_EQ(host_.Pixel(80, 2), color::kCheckedGrayed);
  EXPECT_EQ(host_.Pixel(81, 2), color::kCheckedNormal);
  EXPECT_EQ(host_.Pixel(78, 2), color::kCheckedNormal);
  // Cell texts are drawn in white in their cells.
  bool white = false;
  for (int y = 24; y < 44 && !white; ++y) {
    for (int x = 0; x < 80 && !white; ++x) white = (host_.Pixel(x, y) & 0xFFFFFF) == 0xFFFFFF;
  }
  EXPECT_TRUE(white);
}

TEST(UIHeaderTest, ColumnsAndDefaults) {
  UIHeader header;
  EXPECT_EQ(header.kind(), 0);
  EXPECT_EQ(header.header_height(), 32);
  EXPECT_EQ(header.AddColumn(L"A", 30), 0);
  EXPECT_EQ(header.AddColumn(L"B", -5), 1);
  EXPECT_EQ(header.AddColumn(L"C", 10), 2);
  UIObject parent;
  parent.set_rect({5, 5, 100, 40});
  UIHeader* placed = static_cast<UIHeader*>(AppendChild(&parent, std::make_unique<UIHeader>()));
  placed->AddColumn(L"A", 30);
  placed->AddColumn(L"B", -5);  // Negative widths take no room.
  placed->AddColumn(L"C", 10);
  SetPosition(placed, 0, 0, 95, 32);
  EXPECT_EQ(RectText(placed->columns()[0].rect), "5,5,35,37");
  EXPECT_EQ(RectText(placed->columns()[1].rect), "35,5,35,37");
  EXPECT_EQ(RectText(placed->columns()[2].rect), "35,5,45,37");
  EXPECT_TRUE(placed->SetColumnWidth(1, 20));
  EXPECT_EQ(RectText(placed->columns()[2].rect), "55,5,65,37");
  EXPECT_FALSE(placed->SetColumnWidth(3, 20));
  placed->DeleteAllColumns();
  EXPECT_TRUE(placed->columns().empty());
}

}  // namespace
}  // namespace brindle::test
