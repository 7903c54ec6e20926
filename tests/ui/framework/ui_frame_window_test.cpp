// UIFrameWindow: the pieces and the client rectangle (shipped skin at
// 670 x 680, missing frames), the system buttons made through the element
// factory and their system commands, hit testing with and without
// WS_THICKFRAME, the caption-less style and whole-window client area, the
// window region, and the composed picture. Mouse input is sent as messages;
// the real pointer's drag and clicks are in
// tests/ui/controls/frame_real_input_test.cpp.
#include "ui/framework/ui_frame_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ui/controls/controls_test_support.h"
#include "ui/framework/ch_bitmap.h"
#include "ui/framework/dpi_awareness.h"

namespace brindle::test {
namespace {

// A frame that records its system commands, closes and commands in order,
// and keeps its window on SC_CLOSE.
class TestFrame : public UIFrameWindow {
 public:
  bool Open(IResource* skin, const char* node, int width, int height,
            DWORD style = WS_POPUP | WS_MINIMIZEBOX | WS_MAXIMIZEBOX) {
    if (!EnsureWindowClass() || !Create(nullptr, 20, 20, style, WS_EX_TOOLWINDOW, L"frame")) {
      return false;
    }
    LoadSkin(skin, node, nullptr);
    ResizeWindow(width, height);
    return true;
  }

  LRESULT HandleSysCommand(WPARAM wparam, LPARAM lparam) override {
    log.push_back("sys:" + std::to_string(wparam & 0xFFF0));
    return UIFrameWindow::HandleSysCommand(wparam, lparam);
  }
  LRESULT HandleClose(WPARAM, LPARAM) override {
    log.push_back("close");
    return 0;
  }
  LRESULT HandleCommand(WPARAM wparam, LPARAM lparam) override {
    log.push_back("command:" + std::to_string(wparam));
    return UIFrameWindow::HandleCommand(wparam, lparam);
  }

  // WM_NCHITTEST at a client point.
  LRESULT HitTest(int x, int y) {
    POINT point = {x, y};
    ::ClientToScreen(hwnd(), &point);
    return ::SendMessageW(hwnd(), WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
  }
  void Click(int x, int y) {
    ::SendMessageW(hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    ::SendMessageW(hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    ::SendMessageW(hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  }
  void ClickCentre(const UIObject* element) {
    const RECT& r = element->rect();
    Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }

  std::vector<std::string> log;
};

std::string Command(WPARAM command) { return "sys:" + std::to_string(command); }

class ShippedFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterBasicControlKinds();
    ASSERT_TRUE(LoadShippedSkin(skin_));
  }

  UIResource skin_;
};

TEST_F(ShippedFrameTest, MainWindowPiecesAt670By680) {
  TestFrame frame;
  ASSERT_TRUE(frame.Open(&skin_, "MainWindow", 670, 680));
  EXPECT_EQ(frame.kind(), kElementFrameWindow);
  EXPECT_EQ(RectText(frame.client_rect()), "38,287,632,624");
  EXPECT_EQ(RectText(frame.top().rect), "0,0,670,287");
  EXPECT_EQ(RectText(frame.left().rect), "0,287,38,624");
  EXPECT_EQ(RectText(frame.right().rect), "632,287,670,624");
  EXPECT_EQ(RectText(frame.bottom().rect), "0,624,670,680");
  // The grayed pictures are read too.
  EXPECT_EQ(frame.top().grayed.height, 287);

  ASSERT_NE(frame.close_button(), nullptr);
  EXPECT_EQ(frame.close_button()->kind(), kElementButton);
  EXPECT_EQ(frame.close_button()->command_id(), 1000);
  EXPECT_EQ(RectText(frame.close_button()->rect()), "610,45,625,60");
  EXPECT_EQ(frame.restore_button(), nullptr);
  EXPECT_EQ(frame.maximize_button(), nullptr);
  EXPECT_EQ(frame.minimize_button(), nullptr);
}

// A move to a monitor of another DPI (WM_DPICHANGED as Windows sends it; Wine
// never sends it, so the test does): the skin is read again at the new DPI,
// each picture is its own cell of the sheet smoothed to that scale, and the
// window takes the suggested rectangle. Going back gives the first values
// and the sheet itself again.
TEST_F(ShippedFrameTest, DpiChangeReadsTheSkinAtTheNewDpi) {
  TestFrame frame;
  ASSERT_TRUE(frame.Open(&skin_, "MainWindow", 670, 680));
  ASSERT_EQ(frame.dpi(), 96);  // A test program is not DPI-aware: the system gives it 96.
  UIObject* install = CreateElement("MainWindow/InstallButton2", &skin_, kElementButton, &frame);
  ASSERT_NE(install, nullptr);
  EXPECT_EQ(RectText(install->rect()), "475,584,615,621");
  CHBitmap* const sheet = frame.top().normal.image;
  ASSERT_NE(sheet, nullptr);

  const struct {
    int dpi;
    RECT suggested;
    const char* window;
    const char* install;
    const char* close;
    int top_height;
    int top_width;    // The top piece's picture at this DPI.
    int image_width;  // The image it is cut from: its own cell, or the sheet at 96 DPI.
  } steps[] = {
      {192,
       {10, 20, 1350, 1380},
       "10,20,1350,1380",
       "950,1168,1230,1242",
       "1220,90,1250,120",
       574,
       1340,
       1340},
      {144,
       {10, 20, 1015, 1040},
       "10,20,1015,1040",
       "712,876,922,931",
       "915,68,937,90",
       431,
       1005,
       1005},
      {96, {10, 20, 680, 700}, "10,20,680,700", "475,584,615,621", "610,45,625,60", 287, 670, 942},
  };
  for (const auto& step : steps) {
    ::SendMessageW(frame.hwnd(), kDpiChangedMessage, MAKEWPARAM(step.dpi, step.dpi),
                   reinterpret_cast<LPARAM>(&step.suggested));
    RECT window;
    ASSERT_TRUE(::GetWindowRect(frame.hwnd(), &window));
    EXPECT_EQ(RectText(window), step.window) << step.dpi;
    EXPECT_EQ(frame.dpi(), step.dpi);
    EXPECT_EQ(skin_.dpi(), step.dpi);
    EXPECT_EQ(RectText(install->rect()), step.install) << step.dpi;
    ASSERT_NE(frame.close_button(), nullptr);
    EXPECT_EQ(RectText(frame.close_button()->rect()), step.close) << step.dpi;
    EXPECT_EQ(frame.top().rect.bottom, step.top_height) << step.dpi;
    ASSERT_NE(frame.top().normal.image, nullptr);
    EXPECT_EQ(frame.top().normal.width, step.top_width) << step.dpi;
    EXPECT_EQ(frame.top().normal.image->width(), step.image_width) << step.dpi;
  }
  // At 96 DPI the pictures are the sheet read first: cells made at other DPIs
  // are kept beside it, never in its place.
  EXPECT_EQ(frame.top().normal.image, sheet);
  EXPECT_EQ(frame.children().size(), 2u);  // The close button was not made twice.
}

TEST_F(ShippedFrameTest, CloseButtonClickClosesAndThenReportsItsId) {
  TestFrame frame;
  ASSERT_TRUE(frame.Open(&skin_, "MainWindow", 670, 680));
  frame.Click(617, 52);
  EXPECT_EQ(frame.log, (std::vector<std::string>{Command(SC_CLOSE), "close", "command:1000"}));
}

// The progress window's close button is [0,0,0,0]: it exists, is never hit
// and never sends anything; its corner stays part of the title band.
TEST_F(ShippedFrameTest, ZeroSizedSystemButtonIsNeverHit) {
  TestFrame frame;
  ASSERT_TRUE(frame.Open(&skin_, "ProcessWindow", 670, 400));
  ASSERT_NE(frame.close_button(), nullptr);
  EXPECT_TRUE(::IsRectEmpty(&frame.close_button()->rect()));
  EXPECT_EQ(HitTestChildren(&frame, POINT{0, 0}), nullptr);
  frame.Click(0, 0);
  frame.Click(610, 45);
  EXPECT_TRUE(frame.log.empty());
  EXPECT_EQ(frame.HitTest(0, 0), HTCAPTION);
}

TEST_F(ShippedFrameTest, HitTestWithoutThickFrame) {
  TestFrame frame;
  ASSERT_TRUE(frame.Open(&skin_, "MainWindow", 670, 680));
  // A label lies on the band (drag-through), and two other elements, one of
  // them hidden: visibility does not matter here.
  UIObject* label = CreateElement("MainWindow2/Label1", &skin_, kElementLabel, &frame);
  ASSERT_NE(label, nullptr);
  ASSERT_EQ(RectText(label->rect()), "75,190,633,218");
  ProbeElement* shown = AddProbe(&frame, "shown", nullptr, 40, 40, 20, 20);
  ProbeElement* hidden = AddProbe(&frame, "hidden", nullptr, 100, 40, 20, 20);
  SetVisible(hidden, false);
  ASSERT_NE(shown, nullptr);

  struct Case {
    int x, y;
    LRESULT expected;
    const char* where;
  };
  const Case cases[] = {
      {335, 150, HTCAPTION, "banner"},       {0, 0, HTCAPTION, "band corner"},
      {669, 286, HTCAPTION, "band's last"},  {617, 52, HTCLIENT, "close button"},
      {300, 200, HTCAPTION, "label"},        {45, 45, HTCLIENT, "element"},
      {105, 45, HTCLIENT, "hidden element"}, {300, 287, HTCLIENT, "client"},
      {5, 400, HTCLIENT, "left piece"},      {335, 679, HTCLIENT, "bottom piece"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(frame.HitTest(c.x, c.y), c.expected) << c.where;
  }
}

TEST_F(ShippedFrameTest, HitTestWithThickFrame) {
  TestFrame frame;
  ASSERT_TRUE(frame.Open(&skin_, "MainWindow", 670, 680, WS_POPUP | WS_THICKFRAME));
  // No non-client area even with a sizing border.
  RECT client;
  ::GetClientRect(frame.hwnd(), &client);
  EXPECT_EQ(RectText(client), "0,0,670,680");

  struct Case {
    int x, y;
    LRESULT expected;
  };
  const Case cases[] = {
      {0, 0, HTTOPLEFT},         {3, 3, HTTOPLEFT},       {669, 0, HTTOPRIGHT},
      {666, 3, HTTOPRIGHT},      {4, 0, HTTOP},           {300, 1, HTTOP},
      {300, 2, HTCAPTION},       {300, 3, HTCAPTION},     {3, 4, HTCAPTION},
      {617, 52, HTCLIENT},       {10, 287, HTLEFT},       {37, 619, HTLEFT},
      {10, 620, HTBOTTOMLEFT},   {10, 623, HTBOTTOMLEFT}, {640, 400, HTRIGHT},
      {669, 621, HTBOTTOMRIGHT}, {0, 679, HTBOTTOMLEFT},  {3, 650, HTBOTTOMLEFT},
      {4, 650, HTBOTTOM},        {665, 650, HTBOTTOM},    {666, 679, HTBOTTOMRIGHT},
      {300, 400, HTCLIENT},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(frame.HitTest(c.x, c.y), c.expected) << c.x << "," << c.y;
  }
}

TEST_F(ShippedFrameTest, ComposedPictureShowsThePiecesAndTheClient) {
  TestFrame frame;
  ASSERT_TRUE(frame.Open(&skin_, "MainWindow", 670, 680));
  ASSERT_TRUE(MakeLayered(&frame));
  ::ShowWindow(frame.hwnd(), SW_SHOWNOACTIVATE);
  ASSERT_NE(frame.buffer_bits(), nullptr);
  const CHBitmap* sheet = skin_.GetImage(100, true);
  ASSERT_NE(sheet, nullptr);
  auto sheet_pixel = [sheet](int x, int y) { return ImagePixel(*sheet, x, y); };
  auto window_pixel = [&frame](int x, int y) { return BufferPixel(frame, x, y); };
  // The top piece is copied 1:1; the shadow's corner is transparent.
  for (const POINT& p : {POINT{335, 100}, POINT{100, 250}, POINT{640, 60}, POINT{0, 0}}) {
    EXPECT_EQ(window_pixel(p.x, p.y), sheet_pixel(p.x, p.y)) << p.x << "," << p.y;
  }
  EXPECT_EQ(window_pixel(0, 0) >> 24, 0u);
  // The sides are stretched from rows that are all alike.
  EXPECT_EQ(window_pixel(19, 450), sheet_pixel(19, 310));
  EXPECT_EQ(window_pixel(650, 600), sheet_pixel(650, 310));
  // The bottom piece is copied 1:1 at its place; the client is the
  // background stretched.
  EXPECT_EQ(window_pixel(335, 650), sheet_pixel(335, 333 + 26));
  EXPECT_EQ(window_pixel(300, 400), sheet_pixel(788, 270));
  EXPECT_EQ(window_pixel(300, 400) >> 24, 0xFFu);
}

// The cell skin: pieces of 8 pixels, a maximize and a restore button.
std::string CellFrameSkin() {
  const std::string button = StateCells(0);
  return CellSkin(R"({"Full":{"Client":{"bkgnd":)" + CellEntry(10) + R"(},"Frames":{)" +
                  R"("Top":{"normal":)" + CellEntry(2) + R"(},"Left":{"normal":)" + CellEntry(3) +
                  R"(},"Right":{"normal":)" + CellEntry(4) + R"(},"Bottom":{"normal":)" +
                  CellEntry(5) + R"(}},"SysBtns":{"Close":{"id":1000,"size":[-20,1,6,6],)" +
                  button + R"(},"Restore":{"id":1010,"size":[-40,1,6,6],)" + button +
                  R"(},"Maximize":{"id":1011,"size":[-40,1,6,6],)" + button +
                  R"(},"Minimize":{"id":1012,"size":[-60,1,6,6],)" + button + R"(}}},)" +
                  R"("Bare":{"Client":{"bkgnd":)" + CellEntry(10) + "}}}");
}

class CellFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterBasicControlKinds();
    ASSERT_TRUE(skin_.Parse(CellFrameSkin()));
  }

  UIResource skin_;
};

TEST_F(CellFrameTest, MaximizeAndRestoreSwapTheirButtons) {
  TestFrame frame;
  ASSERT_TRUE(frame.Open(&skin_, "Full", 300, 200));
  ::ShowWindow(frame.hwnd(), SW_SHOWNOACTIVATE);
  ASSERT_NE(frame.maximize_button(), nullptr);
  ASSERT_NE(frame.restore_button(), nullptr);
  EXPECT_FALSE(frame.restore_button()->visible());
  EXPECT_TRUE(frame.maximize_button()->visible());

  frame.ClickCentre(frame.maximize_button());
  EXPECT_TRUE(::IsZoomed(frame.hwnd()));
  EXPECT_FALSE(frame.maximize_button()->visible());
  EXPECT_TRUE(frame.restore_button()->visible());
  EXPECT_EQ(frame.log, (std::vector<std::string>{Command(SC_MAXIMIZE), "command:1011"}));

  // The buttons moved with the maximized window's right edge.
  frame.log.clear();
  frame.ClickCentre(frame.restore_button());
  EXPECT_FALSE(::IsZoomed(frame.hwnd()));
  EXPECT_TRUE(frame.maximize_button()->visible());
  EXPECT_FALSE(frame.restore_button()->visible());
  EXPECT_EQ(frame.log, (std::vector<std::string>{Command(SC_RESTORE), "command:1010"}));

  frame.log.clear();
  frame.ClickCentre(frame.minimize_button());
  EXPECT_TRUE(::IsIconic(frame.hwnd()));
  EXPECT_EQ(frame.log, (std::vector<std::string>{Command(SC_MINIMIZE), "command:1012"}));
}

TEST_F(CellFrameTest, PiecesFollowTheirPictureSizesAndAreComposed) {
  TestFrame frame;
  ASSERT_TRUE(frame.Open(&skin_, "Full", 100, 60));
  EXPECT_EQ(RectText(frame.client_rect()), "8,8,92,52");
  ASSERT_TRUE(MakeLayered(&frame));
  ::ShowWindow(frame.hwnd(), SW_SHOWNOACTIVATE);
  auto pixel = [&frame](int x, int y) { return BufferPixel(frame, x, y); };
  EXPECT_EQ(pixel(50, 3), cell_color::kLighted);         // top
  EXPECT_EQ(pixel(3, 30), cell_color::kPressed);         // left
  EXPECT_EQ(pixel(96, 30), cell_color::kFocused);        // right
  EXPECT_EQ(pixel(50, 56), cell_color::kCheckedNormal);  // bottom
  EXPECT_EQ(pixel(50, 30), cell_color::kTrack);          // client
  EXPECT_EQ(pixel(83, 4), cell_color::kNormal);          // close button [-20,1,6,6]
}

TEST_F(CellFrameTest, WithoutFramesOrButtonsTheClientIsTheWholeWindowAndTheBandIsEmpty) {
  TestFrame frame;
  ASSERT_TRUE(frame.Open(&skin_, "Bare", 100, 60));
  EXPECT_EQ(RectText(frame.client_rect()), "0,0,100,60");
  EXPECT_EQ(frame.close_button(), nullptr);
  EXPECT_TRUE(frame.children().empty());
  EXPECT_EQ(frame.HitTest(50, 0), HTCLIENT);
}

TEST_F(CellFrameTest, WithoutAButtonKindThereAreNoSystemButtons) {
  UnregisterElementKind(kElementButton);
  TestFrame frame;
  ASSERT_TRUE(frame.Open(&skin_, "Full", 100, 60));
  RegisterBasicControlKinds();
  EXPECT_EQ(frame.close_button(), nullptr);
  EXPECT_TRUE(frame.children().empty());
  EXPECT_EQ(frame.HitTest(83, 4), HTCAPTION);
}

TEST_F(CellFrameTest, CaptionBitsAreRemovedAndTheClientStaysWhole) {
  TestFrame frame;
  ASSERT_TRUE(frame.Open(&skin_, "Full", 100, 60, WS_POPUP | WS_CAPTION));
  EXPECT_EQ(::GetWindowLongW(frame.hwnd(), GWL_STYLE) & WS_CAPTION, 0);
  EXPECT_EQ(::SendMessageW(frame.hwnd(), WM_NCACTIVATE, FALSE, 0), 1);
  // A frame change that keeps position and size keeps the whole client area.
  ::SetWindowPos(frame.hwnd(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT client;
  ::GetClientRect(frame.hwnd(), &client);
  EXPECT_EQ(RectText(client), "0,0,100,60");
}

TEST_F(CellFrameTest, PlainFramesGetARectangularRegionLayeredOnesNone) {
  TestFrame frame;
  ASSERT_TRUE(frame.Open(&skin_, "Full", 100, 60));
  brindle::gdi::Region region(::CreateRectRgn(0, 0, 0, 0));
  ASSERT_EQ(::GetWindowRgn(frame.hwnd(), region.get()), SIMPLEREGION);
  RECT box;
  ::GetRgnBox(region.get(), &box);
  EXPECT_EQ(RectText(box), "0,0,101,61");

  ASSERT_TRUE(MakeLayered(&frame));
  frame.ResizeWindow(120, 70);
  EXPECT_EQ(::GetWindowRgn(frame.hwnd(), region.get()), ERROR);
  EXPECT_EQ(RectText(frame.bottom().rect), "0,62,120,70");
}

}  // namespace
}  // namespace brindle::test
