// Conversion of a layered host's back buffer (bottom-up, premultiplied BGRA)
// into straight-alpha pixels, and snapshots of real layered hosts.
#include "tools/skin_preview/host_snapshot.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "tools/skin_preview/preview_pictures.h"
#include "ui/framework/gdi_handles.h"
#include "ui/framework/ui_object.h"

namespace {

// Covers its rectangle with premultiplied grey 64 at alpha 128 through
// AlphaBlend, as skin pictures with alpha are drawn.
class HalfTransparentElement : public UIObject {
 public:
  void OnPaint(HDC dc, const RECT& rect, const RECT&) override {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = 1;
    info.bmiHeader.biHeight = 1;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    brindle::gdi::Bitmap pixel(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const uint8_t grey[4] = {64, 64, 64, 128};
    std::memcpy(bits, grey, 4);
    brindle::gdi::MemoryDC source(CreateCompatibleDC(dc));
    brindle::gdi::ScopedSelectObject select(source.get(), pixel.get());
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::GdiAlphaBlend(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                    source.get(), 0, 0, 1, 1, blend);
  }
};

// Bytes B, G, R, A of one pixel.
struct Bgra {
  uint8_t b, g, r, a;
};

TEST(PictureFromPremultipliedDib, UnpremultipliesEachPixel) {
  struct Case {
    Bgra in;
    uint32_t out;
  };
  const Case cases[] = {
      {{0x10, 0x20, 0x30, 0xFF}, 0xFF302010u},  // opaque: unchanged
      {{0, 32, 64, 128}, 0x80804000u},          // half: doubled, rounded
      {{1, 1, 1, 3}, 0x03555555u},              // 1 * 255 / 3 = 85
      {{200, 0, 0, 100}, 0x640000FFu},          // colour above alpha: capped at 255
      {{0x40, 0x50, 0x60, 0}, 0x00000000u},     // transparent: colour dropped
  };
  for (const Case& c : cases) {
    const Picture picture = PictureFromPremultipliedDib(&c.in.b, 1, 1, 4);
    ASSERT_EQ(picture.width, 1);
    ASSERT_EQ(picture.height, 1);
    EXPECT_EQ(picture.At(0, 0), c.out) << std::hex << "in a=" << int(c.in.a);
  }
}

TEST(PictureFromPremultipliedDib, FlipsRowsAndSkipsRowPadding) {
  // 2 x 2, stride 12 (4 padding bytes per row). Memory row 0 is the bottom.
  const std::vector<uint8_t> bits = {
      1, 0, 0, 255, 2, 0, 0, 255, 0xEE, 0xEE, 0xEE, 0xEE,  // bottom row
      3, 0, 0, 255, 4, 0, 0, 255, 0xEE, 0xEE, 0xEE, 0xEE,  // top row
  };
  const Picture picture = PictureFromPremultipliedDib(bits.data(), 2, 2, 12);
  ASSERT_EQ(picture.pixels.size(), 4u);
  EXPECT_EQ(picture.At(0, 0), 0xFF000003u);
  EXPECT_EQ(picture.At(1, 0), 0xFF000004u);
  EXPECT_EQ(picture.At(0, 1), 0xFF000001u);
  EXPECT_EQ(picture.At(1, 1), 0xFF000002u);
}

TEST(PictureFromPremultipliedDib, NoPixelsGiveAnEmptyPicture) {
  const uint8_t pixel[4] = {};
  for (const auto& [width, height] : {std::pair{0, 1}, std::pair{1, 0}, std::pair{-1, 5}}) {
    const Picture picture = PictureFromPremultipliedDib(pixel, width, height, 4);
    EXPECT_EQ(picture.width, 0);
    EXPECT_TRUE(picture.pixels.empty());
  }
}

TEST(SnapshotLayeredHost, RefusesWindowlessAndPlainHosts) {
  ASSERT_TRUE(PrepareSetupWindows());
  Picture picture;
  picture.width = 7;
  UIObject windowless;
  EXPECT_FALSE(SnapshotLayeredHost(&windowless, picture));

  UIObject plain;
  ASSERT_TRUE(plain.Create(nullptr, 0, 0, WS_POPUP, 0, L""));
  EXPECT_FALSE(SnapshotLayeredHost(&plain, picture));
  EXPECT_EQ(picture.width, 7) << "a refused snapshot leaves the picture alone";
}

TEST(SnapshotLayeredHost, ComposesAHiddenLayeredHostAtItsSize) {
  ASSERT_TRUE(PrepareSetupWindows());
  UIObject host;
  ASSERT_TRUE(host.Create(nullptr, 0, 0, WS_POPUP, 0, L""));
  host.ResizeWindow(40, 30);
  ASSERT_TRUE(MakeLayered(&host));
  Picture picture;
  ASSERT_TRUE(SnapshotLayeredHost(&host, picture));
  EXPECT_FALSE(IsWindowVisible(host.hwnd()));
  EXPECT_EQ(picture.width, 40);
  EXPECT_EQ(picture.height, 30);
  EXPECT_EQ(picture.pixels.size(), 40u * 30u);
}

TEST(SnapshotLayeredHost, EverySnapshotOfOneStateIsTheSame) {
  ASSERT_TRUE(PrepareSetupWindows());
  UIObject host;
  ASSERT_TRUE(host.Create(nullptr, 0, 0, WS_POPUP, 0, L""));
  host.ResizeWindow(20, 10);
  auto element = std::make_unique<HalfTransparentElement>();
  element->set_size(0, 0, 20, 10);
  LayoutTree(AppendChild(&host, std::move(element)));
  ASSERT_TRUE(MakeLayered(&host));

  // Composing again over the same pixels must not add colour to them.
  Picture first;
  Picture second;
  ASSERT_TRUE(SnapshotLayeredHost(&host, first));
  ASSERT_TRUE(SnapshotLayeredHost(&host, second));
  ASSERT_EQ(first.pixels.size(), 200u);
  EXPECT_EQ(first.At(5, 5), 0x80808080u);
  EXPECT_EQ(second.pixels, first.pixels);
}

}  // namespace
