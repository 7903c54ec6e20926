// FadeOut on layered and plain hosts under Wine: the time it takes and the
// window it leaves behind (visible, 1 x 1, repainted at that size).
#include "app/fade_out.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "tests/app/app_test_support.h"
#include "ui/framework/ui_object.h"

namespace {

using app_test::WindowSize;

class Host : public UIObject {
 public:
  void OnPaint(HDC dc, const RECT& rect, const RECT&) override {
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
};

TEST(FadeOutTest, LayeredWindowFadesForAboutThreeHundredMsAndShrinks) {
  ASSERT_TRUE(app_test::PrepareWindows());
  Host host;
  ASSERT_TRUE(host.Create(nullptr, 100, 100, WS_POPUP, 0, L""));
  host.ResizeWindow(200, 120);
  ASSERT_TRUE(MakeLayered(&host));
  ShowWindow(host.hwnd(), SW_SHOW);
  ASSERT_NE(host.memory_dc(), nullptr);

  const DWORD start = GetTickCount();
  FadeOut(&host);
  const DWORD elapsed = GetTickCount() - start;
  // Ten pauses of 30 ms (timer granularity allows a little less).
  EXPECT_GE(elapsed, 270u);
  EXPECT_LT(elapsed, 2000u);
  EXPECT_EQ(WindowSize(host.hwnd()).cx, 1);
  EXPECT_EQ(WindowSize(host.hwnd()).cy, 1);
  EXPECT_TRUE(IsWindowVisible(host.hwnd()));
  EXPECT_TRUE(host.layered());
  // Repainted at its new size.
  EXPECT_EQ(host.buffer_width(), 1);
  EXPECT_EQ(host.buffer_height(), 1);
}

TEST(FadeOutTest, PlainWindowOnlyWaitsAndShrinks) {
  ASSERT_TRUE(app_test::PrepareWindows());
  Host host;
  ASSERT_TRUE(host.Create(nullptr, 100, 100, WS_POPUP, 0, L""));
  host.ResizeWindow(200, 120);
  ShowWindow(host.hwnd(), SW_SHOW);
  const DWORD start = GetTickCount();
  FadeOut(&host);
  EXPECT_GE(GetTickCount() - start, 270u);
  EXPECT_EQ(WindowSize(host.hwnd()).cx, 1);
  EXPECT_FALSE(app_test::IsLayered(host.hwnd()));
}

}  // namespace
