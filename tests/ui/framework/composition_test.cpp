// Back buffers, the painting walk and the composition of layered hosts, read
// back from the hosts' DIB sections.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/ui/framework/element_test_support.h"
#include "ui/framework/ui_object.h"

namespace brindle::test {
namespace {

constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kGreen = 0xFF00FF00;
constexpr uint32_t kBlue = 0xFF0000FF;
constexpr uint8_t kMarker = 0x7F;

// Alpha byte of the pixel at (x, y) (from the top) of a layered host's buffer.
uint8_t& AlphaAt(UIObject& host, int x, int y) {
  auto* bytes = static_cast<uint8_t*>(host.buffer_bits());
  return bytes[host.buffer_bytes() - host.buffer_stride() * (y + 1) + 4 * x + 3];
}

void FillAlpha(UIObject& host, uint8_t alpha) {
  ::GdiFlush();
  for (int y = 0; y < host.buffer_height(); ++y) {
    for (int x = 0; x < host.buffer_width(); ++x) AlphaAt(host, x, y) = alpha;
  }
}

class LayeredHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.name = "host";
    host_.log = &log_;
    ASSERT_TRUE(host_.OpenHost(200, 100));
    a_ = AddProbe(&host_, "a", &log_, 10, 10, 40, 20);  // (10, 10, 50, 30)
    a_->paint_color = kRed;
    b_ = AddProbe(&host_, "b", &log_, -60, -40, 40, 20);  // (140, 60, 180, 80)
    b_->paint_color = kBlue;
    ASSERT_TRUE(MakeLayered(&host_));
  }
  // ShowWindow, not SetWindowPos: only ShowWindow sends WM_SHOWWINDOW.
  void Show() {
    ::SetWindowPos(host_.hwnd(), nullptr, 50, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::ShowWindow(host_.hwnd(), SW_SHOWNA);
    ::GdiFlush();
  }

  std::vector<std::string> log_;
  ProbeElement host_;
  ProbeElement* a_ = nullptr;
  ProbeElement* b_ = nullptr;
};

TEST_F(LayeredHostTest, HiddenHostComposesNothingUntilItsFirstShow) {
  EXPECT_TRUE(host_.layered());
  EXPECT_TRUE(::GetWindowLongW(host_.hwnd(), GWL_EXSTYLE) & WS_EX_LAYERED);
  a_->Invalidate(nullptr, true);
  host_.Invalidate(nullptr, true);
  EXPECT_TRUE(host_.paint_clips.empty());
  EXPECT_TRUE(a_->paint_clips.empty());
  EXPECT_EQ(host_.memory_dc(), nullptr);
  EXPECT_FALSE(host_.composed_once());

  Show();
  EXPECT_TRUE(host_.composed_once());
  ASSERT_EQ(host_.paint_clips.size(), 1u);
  EXPECT_EQ(RectText(host_.paint_clips[0]), "0,0,200,100");
  ASSERT_EQ(a_->paint_clips.size(), 1u);
  EXPECT_EQ(RectText(a_->paint_clips[0]), "10,10,50,30");
  ASSERT_NE(host_.buffer_bits(), nullptr);
  EXPECT_EQ(host_.buffer_stride(), 800);
  EXPECT_EQ(host_.buffer_bytes(), 80000);
  EXPECT_EQ(AlphaAt(host_, 10, 10), 255);
  EXPECT_EQ(AlphaAt(host_, 49, 29), 255);
  EXPECT_EQ(AlphaAt(host_, 150, 70), 255);
  EXPECT_EQ(AlphaAt(host_, 9, 10), 0);  // Nothing drawn: transparent.
  EXPECT_EQ(AlphaAt(host_, 100, 50), 0);
}

TEST_F(LayeredHostTest, InvalidatingOneElementRecomposesExactlyItsRectangle) {
  Show();
  const size_t b_paints = b_->paint_clips.size();
  a_->paint_fraction = 0.5;  // From now on a paints only (10, 10, 30, 30).
  FillAlpha(host_, kMarker);

  a_->Invalidate(nullptr, true);
  ::GdiFlush();
  EXPECT_EQ(RectText(host_.paint_clips.back()), "10,10,50,30");
  EXPECT_EQ(RectText(a_->paint_clips.back()), "10,10,50,30");
  EXPECT_EQ(b_->paint_clips.size(), b_paints);
  // Inside: cleared, then drawn where a draws.
  EXPECT_EQ(AlphaAt(host_, 10, 10), 255);
  EXPECT_EQ(AlphaAt(host_, 29, 29), 255);
  EXPECT_EQ(AlphaAt(host_, 30, 10), 0);
  EXPECT_EQ(AlphaAt(host_, 49, 29), 0);
  // Everything around it untouched.
  for (const POINT& p : {POINT{9, 10}, POINT{10, 9}, POINT{50, 29}, POINT{49, 30}, POINT{150, 70},
                         POINT{0, 0}, POINT{199, 99}}) {
    EXPECT_EQ(AlphaAt(host_, p.x, p.y), kMarker) << p.x << "," << p.y;
  }
}

TEST_F(LayeredHostTest, RecomposingClearsColourWithAlpha) {
  Show();
  a_->paint_fraction = 0.5;  // a now leaves (30, 10, 50, 30) undrawn.
  ::GdiFlush();
  auto* bytes = static_cast<uint8_t*>(host_.buffer_bits());
  std::fill(bytes, bytes + host_.buffer_bytes(), kMarker);

  a_->Invalidate(nullptr, true);
  ::GdiFlush();
  // A premultiplied pixel that nothing draws must be fully zero, or colour
  // piles up under semi-transparent pictures composed over it again.
  const uint8_t* pixel = &AlphaAt(host_, 40, 20) - 3;
  for (int i = 0; i < 4; ++i) EXPECT_EQ(pixel[i], 0) << "byte " << i;
  EXPECT_EQ(AlphaAt(host_, 9, 10), kMarker);  // Outside a: untouched.
}

TEST_F(LayeredHostTest, ComposeMessageRecomposesTheGivenRectangle) {
  Show();
  FillAlpha(host_, kMarker);
  RECT area = {140, 60, 160, 70};
  EXPECT_EQ(::SendMessageW(host_.hwnd(), kComposeMessage, reinterpret_cast<WPARAM>(&area), 0), 0);
  ::GdiFlush();
  EXPECT_EQ(RectText(b_->paint_clips.back()), "140,60,160,70");
  EXPECT_EQ(AlphaAt(host_, 140, 60), 255);
  EXPECT_EQ(AlphaAt(host_, 160, 60), kMarker);
  // A rectangle outside the client area composes nothing.
  const size_t host_paints = host_.paint_clips.size();
  RECT outside = {300, 300, 310, 310};
  ::SendMessageW(host_.hwnd(), kComposeMessage, reinterpret_cast<WPARAM>(&outside), 0);
  EXPECT_EQ(host_.paint_clips.size(), host_paints);
}

TEST_F(LayeredHostTest, HidingAnElementRepaintsTheAreaItCovered) {
  Show();
  const size_t a_paints = a_->paint_clips.size();
  SetVisible(a_, false);
  ::GdiFlush();
  EXPECT_EQ(RectText(host_.paint_clips.back()), "10,10,50,30");
  EXPECT_EQ(a_->paint_clips.size(), a_paints);
  EXPECT_EQ(AlphaAt(host_, 20, 20), 0);
  SetVisible(a_, true);
  ::GdiFlush();
  EXPECT_EQ(AlphaAt(host_, 20, 20), 255);
}

TEST_F(LayeredHostTest, MovingAnElementRepaintsWhereItWasAndWhereItIs) {
  Show();
  SetPosition(a_, 100, 10, -1, -1);  // (10, 10, 50, 30) -> (100, 10, 140, 30)
  ::GdiFlush();
  EXPECT_EQ(AlphaAt(host_, 20, 20), 0);
  EXPECT_EQ(AlphaAt(host_, 120, 20), 255);
}

TEST_F(LayeredHostTest, ResizeLaysEverythingOutBeforeOneFullComposition) {
  Show();
  // An element that invalidates itself whenever it is laid out, as controls
  // placing their parts do.
  b_->after_layout = [this] { b_->Invalidate(nullptr, true); };
  RECT b_at_paint = {};
  host_.on_paint = [&] { b_at_paint = b_->rect(); };
  const size_t host_paints = host_.paint_clips.size();
  const size_t b_paints = b_->paint_clips.size();
  log_.clear();

  host_.ResizeWindow(260, 140);
  ::GdiFlush();
  ASSERT_EQ(host_.paint_clips.size(), host_paints + 1);
  EXPECT_EQ(RectText(host_.paint_clips.back()), "0,0,260,140");
  EXPECT_EQ(b_->paint_clips.size(), b_paints + 1);
  EXPECT_EQ(RectText(b_at_paint), "200,100,240,120");
  EXPECT_EQ(log_, (std::vector<std::string>{"host:resized", "host:paint", "a:paint", "b:paint"}));
  EXPECT_FALSE(host_.in_layout());
  EXPECT_EQ(host_.buffer_width(), 260);
  EXPECT_EQ(host_.buffer_height(), 140);
  EXPECT_EQ(AlphaAt(host_, 210, 110), 255);
  EXPECT_EQ(AlphaAt(host_, 150, 70), 0);  // Where b was.
}

// Elements of a hidden window measure text through the host's DC, with the element font, and
// no back buffer is made for it: the buffer comes with the first composition.
TEST_F(LayeredHostTest, HiddenHostLendsItsDCWithoutABackBuffer) {
  const HDC dc = a_->GetHostDC();
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(host_.GetHostDC(), dc);
  EXPECT_EQ(host_.buffer_bitmap(), nullptr);
  EXPECT_EQ(host_.buffer_bits(), nullptr);
  EXPECT_EQ(::GetCurrentObject(dc, OBJ_FONT), ElementDefaultFont());
  SIZE through_host = {};
  ASSERT_TRUE(::GetTextExtentPoint32W(dc, L"立即体验 Velto", 10, &through_host));
  const HDC screen = ::GetDC(nullptr);
  const HGDIOBJ previous = ::SelectObject(screen, ElementDefaultFont());
  SIZE on_screen = {};
  ::GetTextExtentPoint32W(screen, L"立即体验 Velto", 10, &on_screen);
  ::SelectObject(screen, previous);
  ::ReleaseDC(nullptr, screen);
  EXPECT_EQ(through_host.cx, on_screen.cx);
  EXPECT_EQ(through_host.cy, on_screen.cy);
  EXPECT_TRUE(host_.paint_clips.empty());

  Show();
  EXPECT_EQ(host_.memory_dc(), dc);
  ASSERT_NE(host_.buffer_bits(), nullptr);
  EXPECT_EQ(host_.buffer_width(), 200);
  EXPECT_EQ(AlphaAt(host_, 20, 20), 255);
}

TEST_F(LayeredHostTest, BufferIsKeptWhileTheSizeStays) {
  Show();
  const HDC dc = host_.memory_dc();
  const HBITMAP bitmap = host_.buffer_bitmap();
  ASSERT_NE(dc, nullptr);
  a_->Invalidate(nullptr, true);
  host_.Invalidate(nullptr, true);
  EXPECT_EQ(host_.GetHostDC(), dc);
  EXPECT_EQ(a_->GetHostDC(), dc);
  EXPECT_EQ(host_.buffer_bitmap(), bitmap);
  EXPECT_FALSE(EnsureBackBuffer(&host_));

  host_.ResizeWindow(120, 90);
  EXPECT_EQ(host_.memory_dc(), dc);
  BITMAP info = {};
  ASSERT_TRUE(::GetObjectW(host_.buffer_bitmap(), sizeof(info), &info));
  EXPECT_EQ(info.bmWidth, 120);
  EXPECT_EQ(info.bmHeight, 90);
  EXPECT_EQ(info.bmBitsPixel, 32);
  EXPECT_EQ(host_.buffer_stride(), 480);
}

TEST_F(LayeredHostTest, ShowingAgainRecomposesWhatChangedWhileHidden) {
  Show();
  ::ShowWindow(host_.hwnd(), SW_HIDE);
  SetVisible(a_, false);  // Dropped: the window is hidden.
  ::GdiFlush();
  EXPECT_EQ(AlphaAt(host_, 20, 20), 255);
  Show();
  EXPECT_EQ(AlphaAt(host_, 20, 20), 0);
}

TEST(MakeLayeredTest, OnlyTopLevelWindowsBecomeLayered) {
  ProbeElement top;
  ASSERT_TRUE(top.OpenHost(100, 100));
  ProbeElement child;
  ASSERT_TRUE(EnsureWindowClass());
  ASSERT_TRUE(child.Create(top.hwnd(), 0, 0, WS_CHILD, 0, L"child"));
  EXPECT_FALSE(MakeLayered(&child));
  EXPECT_FALSE(child.layered());
  ProbeElement windowless;
  EXPECT_FALSE(MakeLayered(&windowless));
  EXPECT_TRUE(MakeLayered(&top));
  EXPECT_TRUE(MakeLayered(&top));  // Already layered.
}

TEST(WindowHostTest, PlainHostPaintsItsTreeIntoACompatibleBufferAndCopiesIt) {
  std::vector<std::string> log;
  ProbeElement host("host", &log);
  ASSERT_TRUE(host.OpenHost(120, 80));
  host.set_background_brush(::CreateSolidBrush(RGB(0, 0, 255)));
  ProbeElement* child = AddProbe(&host, "child", &log, 10, 10, 30, 20);
  child->paint_color = kRed;
  ::SetWindowPos(host.hwnd(), nullptr, 300, 300, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  ::RedrawWindow(host.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  ASSERT_FALSE(child->paint_clips.empty());
  EXPECT_EQ(RectText(child->paint_clips.back()), "10,10,40,30");
  EXPECT_FALSE(host.layered());
  EXPECT_EQ(host.buffer_bits(), nullptr);
  ASSERT_NE(host.memory_dc(), nullptr);
  EXPECT_EQ(::GetPixel(host.memory_dc(), 15, 15), RGB(255, 0, 0));
  EXPECT_EQ(::GetPixel(host.memory_dc(), 60, 60), RGB(0, 0, 255));  // Background brush.
  // Invalidating an element asks the system for a paint of its rectangle.
  log.clear();
  child->Invalidate(nullptr, true);
  ::UpdateWindow(host.hwnd());
  EXPECT_EQ(log, (std::vector<std::string>{"host:paint", "child:paint"}));
  EXPECT_EQ(RectText(host.paint_clips.back()), "10,10,40,30");
}

// The painting walk onto a plain 32-bit canvas.
class PaintChildrenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_.set_rect(RECT{0, 0, 100, 100});
    p_ = AddProbe(&root_, "p", nullptr, 0, 0, 40, 40);
    p_->paint_color = kRed;
    r_ = AddProbe(p_, "r", nullptr, 30, 5, 50, 10);  // (30, 5, 80, 15), half outside p.
    r_->paint_color = kGreen;
    q_ = AddProbe(&root_, "q", nullptr, 20, 20, 40, 40);  // (20, 20, 60, 60), over p.
    q_->paint_color = kBlue;
  }

  Canvas canvas_{100, 100, 0};
  ProbeElement root_;
  ProbeElement* p_ = nullptr;
  ProbeElement* r_ = nullptr;
  ProbeElement* q_ = nullptr;
};

TEST_F(PaintChildrenTest, ChildrenPaintInOrderClippedToTheirAncestors) {
  ASSERT_TRUE(canvas_.valid());
  PaintChildren(canvas_.dc(), &root_, RECT{0, 0, 100, 100});
  EXPECT_EQ(canvas_.At(5, 5), kRed);
  EXPECT_EQ(canvas_.At(35, 10), kGreen);
  EXPECT_EQ(canvas_.At(45, 10), 0u);     // r outside its parent p.
  EXPECT_EQ(canvas_.At(35, 35), kBlue);  // q is later than p.
  EXPECT_EQ(canvas_.At(55, 55), kBlue);
  ASSERT_EQ(r_->paint_clips.size(), 1u);
  EXPECT_EQ(RectText(r_->paint_clips[0]), "30,5,40,15");
}

TEST_F(PaintChildrenTest, HiddenElementsAreSkippedWithTheirChildren) {
  SetVisible(p_, false);
  PaintChildren(canvas_.dc(), &root_, RECT{0, 0, 100, 100});
  EXPECT_EQ(canvas_.At(5, 5), 0u);
  EXPECT_EQ(canvas_.At(35, 10), 0u);
  EXPECT_TRUE(p_->paint_clips.empty());
  EXPECT_TRUE(r_->paint_clips.empty());
  EXPECT_EQ(canvas_.At(35, 35), kBlue);
}

TEST_F(PaintChildrenTest, OnlyTheClipRectangleIsPainted) {
  PaintChildren(canvas_.dc(), &root_, RECT{0, 0, 25, 25});
  EXPECT_EQ(canvas_.At(22, 22), kBlue);
  EXPECT_EQ(canvas_.At(30, 30), 0u);
  EXPECT_EQ(RectText(q_->paint_clips[0]), "20,20,25,25");
  EXPECT_TRUE(r_->paint_clips.empty());  // r lies outside the clip.
}

}  // namespace
}  // namespace brindle::test
