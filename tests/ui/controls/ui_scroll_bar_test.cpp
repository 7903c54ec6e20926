// UIScrollBar: the thumb geometry (MulDiv rounding, minimum length, short
// content, no page, short tracks), the scrolling rules its owners share, and
// with real input in a layered host: page clicks, the thumb drag loop with its
// sideways freeze, Escape and capture loss, and the composed pixels.
#include "ui/controls/ui_scroll_bar.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/ui/controls/controls_test_support.h"
#include "tests/ui/controls/real_input.h"
#include "ui/controls/widget_kinds.h"

namespace brindle::test {
namespace {

// A parent element that applies what its bar reports the way the edit box
// does, and records every WM_VSCROLL (code, high word, track position).
class ScrollOwner : public UIObject {
 public:
  struct Notice {
    WORD code;
    WORD high;
    int track;
  };

  LRESULT OnChildNotify(UIObject* child, UINT message, WPARAM wparam, LPARAM lparam) override {
    EXPECT_EQ(message, static_cast<UINT>(WM_VSCROLL));
    EXPECT_EQ(lparam, 0);
    auto* bar = static_cast<UIScrollBar*>(child);
    notices.push_back({LOWORD(wparam), HIWORD(wparam), bar->track_position()});
    if (on_notice) on_notice();
    bar->MoveTo(bar->PositionAfterCode(LOWORD(wparam)));
    return 0;
  }

  std::vector<Notice> notices;
  std::function<void()> on_notice;
};

// A bar of the given track length placed in a parent at (0, 0), without a
// window: only the geometry is looked at.
struct BarInParent {
  explicit BarInParent(int track_length, int min_thumb = UIScrollBar::kDefaultMinThumbLength) {
    parent.set_rect({0, 0, 100, 1000});
    bar = static_cast<UIScrollBar*>(AppendChild(&parent, std::make_unique<UIScrollBar>()));
    bar->set_min_thumb_length(min_thumb);
    SetPosition(bar, 10, 0, 17, track_length);
  }
  void Set(int max, int page, int position) {
    bar->SetRange(max);
    bar->set_page(page);
    bar->set_position(position);
    bar->UpdateThumb();
  }
  std::string Thumb() const { return RectText(bar->thumb_rect()); }

  UIObject parent;
  UIScrollBar* bar = nullptr;
};

struct GeometryCase {
  const char* name;
  int track_length;
  int min_thumb;
  int max;
  int page;
  int position;
  const char* thumb;
};

TEST(UIScrollBarGeometryTest, ThumbFollowsRangePageAndPosition) {
  const GeometryCase cases[] = {
      // The licence box example: MulDiv(169, 170, 1000) = 29 < 30.
      {"minimum length at the top", 170, 30, 1000, 170, 0, "10,0,27,30"},
      {"minimum length at 830", 170, 30, 1000, 170, 830, "10,140,27,170"},
      // 28.73 rounds to 29 (truncation would give 28); 141.1 rounds to 141.
      {"rounded length and top", 170, 16, 1000, 170, 830, "10,141,27,170"},
      {"rounded top upwards", 170, 16, 1000, 170, 3, "10,1,27,30"},
      // Range below the page: the thumb fills the track.
      {"short content", 170, 30, 100, 146, 0, "10,0,27,170"},
      // A track shorter than the minimum length: the thumb is the track.
      {"track shorter than thumb", 20, 30, 1000, 100, 500, "10,0,27,20"},
      // No page: a minimum-length thumb at MulDiv(pos, L - min, range).
      {"no page", 170, 16, 1000, 0, 500, "10,77,27,93"},
  };
  for (const GeometryCase& c : cases) {
    SCOPED_TRACE(c.name);
    BarInParent bar(c.track_length, c.min_thumb);
    bar.Set(c.max, c.page, c.position);
    EXPECT_EQ(bar.Thumb(), c.thumb);
    EXPECT_EQ(RectText(bar.bar->page_up_rect()),
              "10,0,27," + std::to_string(bar.bar->thumb_rect().top));
    EXPECT_EQ(RectText(bar.bar->page_down_rect()),
              "10," + std::to_string(bar.bar->thumb_rect().bottom) + ",27," +
                  std::to_string(c.track_length));
  }
}

TEST(UIScrollBarGeometryTest, EmptyRangeKeepsTheThumbWhereItWas) {
  BarInParent bar(170, 30);
  bar.Set(1000, 170, 830);
  EXPECT_EQ(bar.Thumb(), "10,140,27,170");
  bar.Set(0, 170, 0);
  EXPECT_EQ(bar.Thumb(), "10,140,27,170");
  bar.Set(-5, 170, 0);
  EXPECT_EQ(bar.Thumb(), "10,140,27,170");
}

TEST(UIScrollBarGeometryTest, WithoutPageTheThumbJumpsOnlyByItsLength) {
  BarInParent bar(170, 16);
  bar.Set(1000, 0, 500);
  EXPECT_EQ(bar.Thumb(), "10,77,27,93");
  bar.Set(1000, 0, 550);  // Top 84: moves by 7 < 16, stays.
  EXPECT_EQ(bar.Thumb(), "10,77,27,93");
  bar.Set(1000, 0, 700);  // Top 108: moves by 31.
  EXPECT_EQ(bar.Thumb(), "10,108,27,124");
  bar.Set(1000, 0, 1000);  // At the end: inside the track.
  EXPECT_EQ(bar.Thumb(), "10,154,27,170");
}

TEST(UIScrollBarRulesTest, CodesStopAtTheirBottomsAndNeverBelowMin) {
  BarInParent bar(170, 30);
  bar.Set(1000, 146, 500);
  UIScrollBar& b = *bar.bar;
  EXPECT_EQ(b.PositionAfterCode(SB_LINEUP), 499);
  EXPECT_EQ(b.PositionAfterCode(SB_LINEDOWN), 501);
  EXPECT_EQ(b.PositionAfterCode(SB_PAGEUP), 354);
  EXPECT_EQ(b.PositionAfterCode(SB_PAGEDOWN), 646);
  EXPECT_EQ(b.PositionAfterCode(SB_TOP), 0);
  EXPECT_EQ(b.PositionAfterCode(SB_BOTTOM), 1000 - 146 - 1);
  EXPECT_EQ(b.PositionAfterCode(SB_ENDSCROLL), 500);
  bar.Set(1000, 146, 800);
  EXPECT_EQ(b.PositionAfterCode(SB_PAGEDOWN), 853);
  bar.Set(1000, 146, 853);
  EXPECT_EQ(b.PositionAfterCode(SB_LINEDOWN), 853);
  bar.Set(1000, 146, 100);
  EXPECT_EQ(b.PositionAfterCode(SB_PAGEUP), 0);
  // Content shorter than the page: the bottoms lie above min.
  bar.Set(120, 146, 0);
  EXPECT_EQ(b.PositionAfterCode(SB_PAGEDOWN), 0);
  EXPECT_EQ(b.PositionAfterCode(SB_BOTTOM), 0);
}

TEST(UIScrollBarRulesTest, WheelStepsAnEighthOfThePage) {
  BarInParent bar(170, 30);
  bar.Set(1000, 146, 500);
  UIScrollBar& b = *bar.bar;
  EXPECT_TRUE(b.WheelScrolls());
  EXPECT_EQ(b.PositionAfterWheel(0xFF88), 518);  // Towards the user.
  EXPECT_EQ(b.PositionAfterWheel(0x0078), 482);
  EXPECT_EQ(b.PositionAfterWheel(0x0001), 482);  // The size of the delta is not used.
  bar.Set(1000, 146, 850);
  EXPECT_EQ(b.PositionAfterWheel(0xFF88), 1000 - 146 + 1);
  bar.Set(1000, 146, 10);
  EXPECT_EQ(b.PositionAfterWheel(0x0078), 0);
  bar.Set(100, 146, 0);
  EXPECT_FALSE(b.WheelScrolls());
  bar.Set(120, 146, 0);  // Scrolls, but the bottom lies above min.
  EXPECT_TRUE(b.WheelScrolls());
  EXPECT_EQ(b.PositionAfterWheel(0xFF88), 0);
}

// A bar in a layered host at screen (kLeft, kTop): track (150, 20)-(167, 190),
// range 1000, page 170, minimum thumb 30, reporting to a ScrollOwner.
class UIScrollBarInputTest : public ::testing::Test {
 protected:
  static constexpr int kLeft = 60;
  static constexpr int kTop = 60;

  void SetUp() override {
    RegisterWidgetKinds();
    const std::string cfg =
        R"({"Bar":{"thumb":)" + CellEntry(11) + R"(,"trackbar":)" + CellEntry(10) + "}}";
    ASSERT_TRUE(skin_.Parse(CellSkin(cfg)));
    owner_ = static_cast<ScrollOwner*>(AppendChild(&host_, std::make_unique<ScrollOwner>()));
    owner_->set_size(0, 0, 300, 220);
    bar_ = MakeControl<UIScrollBar>(&skin_, "Bar", kElementScrollBar, owner_);
    ASSERT_NE(bar_, nullptr);
    bar_->set_min_thumb_length(30);
    ASSERT_TRUE(host_.Open(300, 220, kLeft, kTop, L"brindle scroll bar test"));
    ASSERT_NE(host_.buffer_bits(), nullptr);
    // Above the windows of other programs on the shared display.
    ::SetWindowPos(host_.hwnd(), HWND_TOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetPosition(bar_, 150, 20, bar_->Width(), 170);
    bar_->SetRange(1000);
    bar_->set_page(170);
    bar_->MoveTo(300);
  }
  void TearDown() override {
    // Leave no button held for the next test.
    if (::GetCapture()) ::ReleaseCapture();
  }

  // Screen point of a client point.
  static InputAction At(int x, int y) { return InputAction::Move(kLeft + x, kTop + y); }
  InputStep MoveStep(int x, int y) {
    return {{At(x, y)}, MessageAt(WM_MOUSEMOVE, host_.hwnd(), x, y)};
  }
  InputStep PressStep(int x, int y) {
    return {{At(x, y), InputAction::Down()}, MessageAt(WM_LBUTTONDOWN, host_.hwnd(), x, y)};
  }
  InputStep ReleaseStep() { return {{InputAction::Up()}, MessageOf(WM_LBUTTONUP, host_.hwnd())}; }
  std::vector<WORD> Codes() const {
    std::vector<WORD> codes;
    for (const auto& notice : owner_->notices) codes.push_back(notice.code);
    return codes;
  }

  UIResource skin_;
  ControlHost host_;
  ScrollOwner* owner_ = nullptr;
  UIScrollBar* bar_ = nullptr;
};

TEST_F(UIScrollBarInputTest, LayoutAndPaintShowTrackAndThumb) {
  // Length MulDiv(169, 170, 1000) = 29 < 30: 30 long at MulDiv(300, 169, 1000) = 51.
  EXPECT_EQ(bar_->Width(), 8);
  EXPECT_EQ(RectText(bar_->track_rect()), "150,20,158,190");
  EXPECT_EQ(RectText(bar_->thumb_rect()), "150,71,158,101");
  EXPECT_EQ(host_.Pixel(154, 30), cell_color::kTrack);
  EXPECT_EQ(host_.Pixel(154, 71), cell_color::kFill);
  EXPECT_EQ(host_.Pixel(154, 100), cell_color::kFill);
  EXPECT_EQ(host_.Pixel(154, 101), cell_color::kTrack);
  EXPECT_EQ(host_.Pixel(149, 71) >> 24, 0u);  // Nothing drawn beside the bar.
}

TEST_F(UIScrollBarInputTest, AClickAboveTheThumbSendsOnePageUpHowEverLongItIsHeld) {
  RealInput input;
  ASSERT_TRUE(input.Run({PressStep(154, 40), MoveStep(154, 45), MoveStep(154, 50), ReleaseStep()}))
      << input.arrived() << " steps arrived; seen:" << input.trace();
  EXPECT_EQ(Codes(), std::vector<WORD>{SB_PAGEUP});
  EXPECT_EQ(bar_->position(), 300 - 170);
  EXPECT_EQ(::GetCapture(), nullptr);

  ASSERT_TRUE(input.Run({PressStep(154, 180), ReleaseStep()}))
      << input.arrived() << " steps arrived; seen:" << input.trace();
  EXPECT_EQ(Codes(), (std::vector<WORD>{SB_PAGEUP, SB_PAGEDOWN}));
}

TEST_F(UIScrollBarInputTest, DraggingTheThumbReportsTrackPositionsUntilRelease) {
  RealInput input;
  // Thumb (71..101); 40 pixels down: top 111, MulDiv(91, 831, 140) = 540.
  ASSERT_TRUE(
      input.Run({PressStep(154, 80), MoveStep(154, 120), MoveStep(154, 100), ReleaseStep()}))
      << input.arrived() << " steps arrived; seen:" << input.trace();
  ASSERT_EQ(owner_->notices.size(), 2u);
  EXPECT_EQ(owner_->notices[0].code, SB_THUMBTRACK);
  EXPECT_EQ(owner_->notices[0].track, 540);
  EXPECT_EQ(owner_->notices[0].high, 540);
  // The owner moved the thumb to MulDiv(540, 169, 1000) = 91; 20 up: 71,
  // MulDiv(71, 831, 140) = 421.
  EXPECT_EQ(owner_->notices[1].track, 421);
  EXPECT_EQ(bar_->position(), 421);
  EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(UIScrollBarInputTest, DraggingBelowTheTrackStopsAtTheDragBottom) {
  RealInput input;
  ASSERT_TRUE(input.Run({PressStep(154, 80), MoveStep(154, 190), ReleaseStep()}))
      << input.arrived() << " steps arrived; seen:" << input.trace();
  ASSERT_EQ(owner_->notices.size(), 1u);
  // The thumb bottom at the track bottom: max - min - page + 1.
  EXPECT_EQ(owner_->notices[0].track, 1000 - 170 + 1);
}

TEST_F(UIScrollBarInputTest, PointerFarBesideTheTrackFreezesTheThumb) {
  RealInput input;
  // Track 150..158: x 54 is 96 left of it (followed), x 53 is 97 left
  // (ignored), x 254 is 96 right (followed).
  ASSERT_TRUE(input.Run({PressStep(154, 80), MoveStep(154, 100), MoveStep(53, 140),
                         MoveStep(53, 150), MoveStep(254, 120), MoveStep(54, 130), ReleaseStep()}))
      << input.arrived() << " steps arrived; seen:" << input.trace();
  // 20 down: 71, MulDiv(71, 831, 140) = 421. The two far moves change
  // nothing; the next one is 20 below the last followed point: 91, 540; then
  // 10 more: 101, MulDiv(101, 831, 140) = 600.
  std::vector<int> tracks;
  for (const auto& notice : owner_->notices) tracks.push_back(notice.track);
  EXPECT_EQ(tracks, (std::vector<int>{421, 540, 600}));
}

TEST_F(UIScrollBarInputTest, EscapeEndsTheDragAndKeepsThePositionReached) {
  RealInput input;
  ASSERT_TRUE(input.Run({{{InputAction::Focus(host_.hwnd()), At(154, 80), InputAction::Down()},
                          MessageAt(WM_LBUTTONDOWN, host_.hwnd(), 154, 80)},
                         MoveStep(154, 120),
                         {{InputAction::Key(VK_ESCAPE)}, KeyDownOf(VK_ESCAPE)},
                         MoveStep(154, 60),
                         ReleaseStep()}))
      << input.arrived() << " steps arrived; seen:" << input.trace();
  ASSERT_EQ(owner_->notices.size(), 1u);
  EXPECT_EQ(owner_->notices[0].track, 540);
  EXPECT_EQ(bar_->position(), 540);
  EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(UIScrollBarInputTest, LosingTheCaptureEndsTheDrag) {
  owner_->on_notice = [this] {
    if (owner_->notices.size() == 1) ::ReleaseCapture();
  };
  RealInput input;
  ASSERT_TRUE(input.Run({PressStep(154, 80), MoveStep(154, 120), MoveStep(154, 60), ReleaseStep()}))
      << input.arrived() << " steps arrived; seen:" << input.trace();
  ASSERT_EQ(owner_->notices.size(), 1u);
  EXPECT_EQ(bar_->position(), 540);
}

TEST_F(UIScrollBarInputTest, ShortContentFillsTheTrackAndDragsNowhere) {
  bar_->SetRange(100);
  bar_->MoveTo(0);
  ASSERT_EQ(RectText(bar_->thumb_rect()), "150,20,158,190");
  // A drag by messages: the moves and the release wait in the queue.
  ::PostMessageW(host_.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(154, 150));
  ::PostMessageW(host_.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(154, 150));
  host_.MoveTo(154, 60);
  host_.Press(154, 60);
  EXPECT_EQ(bar_->track_position(), 0);
  for (const auto& notice : owner_->notices) EXPECT_EQ(notice.track, 0);
  EXPECT_EQ(bar_->position(), 0);
}

TEST_F(UIScrollBarInputTest, AQuitRequestEndsTheDragAndStaysQueued) {
  ::PostQuitMessage(3);
  host_.MoveTo(154, 80);
  host_.Press(154, 80);  // On the thumb: the drag loop meets the quit request.
  EXPECT_EQ(::GetCapture(), nullptr);
  MSG msg;
  ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
  EXPECT_TRUE(owner_->notices.empty());
}

}  // namespace
}  // namespace brindle::test
