// The recolour transform on GDI colours and on 24- and 32-bit pixel rows.
#include "ui/framework/recolor.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

constexpr uint32_t kRed = 0x0000FF;  // 0x00BBGGRR
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0xFF0000;

TEST(Recolor, ColorShifts) {
  struct Case {
    const char* name;
    uint32_t color;
    RecolorParams params;
    uint32_t expected;
  };
  const Case cases[] = {
      {"identity", 0x123456, {0, 0, 0}, 0x123456},
      {"hue +120 turns red green", kRed, {120, 0, 0}, kGreen},
      {"hue +240 turns red blue", kRed, {240, 0, 0}, kBlue},
      {"hue -120 turns red blue", kRed, {-120, 0, 0}, kBlue},
      {"hue 480 is 120", kRed, {480, 0, 0}, kGreen},
      {"hue -600 is 120", kRed, {-600, 0, 0}, kGreen},
      {"hue 360 changes nothing", 0x2080C0, {360, 0, 0}, 0x2080C0},
      {"saturation -100 gives grey", kRed, {0, -100, 0}, 0x808080},
      {"saturation beyond -100 clamps", kRed, {0, -250, 0}, 0x808080},
      {"saturation +100 on a full colour stays", kRed, {0, 100, 0}, kRed},
      {"saturation +100 doubles", 0x6060A0, {0, 100, 0}, 0x4040C0},
      {"lightness +100 gives white", 0x2080C0, {0, 0, 100}, 0xFFFFFF},
      {"lightness -100 gives black", 0x2080C0, {0, 0, -100}, 0x000000},
      {"lightness +50 halves the way to white", kRed, {0, 0, 50}, 0x8080FF},
      {"lightness -50 halves the way to black", kRed, {0, 0, -50}, 0x000080},
      {"grey has no hue to shift", 0x808080, {90, 0, 0}, 0x808080},
      {"the top byte is kept", 0x01000000 | kRed, {120, 0, 0}, 0x01000000 | kGreen},
      // The skin's blue (r 0x37, g 0xA6, b 0xE2) turned by 180 degrees.
      {"skin blue to orange", 0xE2A637, {180, 0, 0}, 0x3773E2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RecolorColorRef(c.color, c.params), c.expected) << c.name;
  }
}

TEST(Recolor, Pixels24BitsAcrossRowPadding) {
  // 2 x 2 pixels, rows padded to 8 bytes; bytes blue, green, red.
  std::vector<uint8_t> bits = {
      0,   0, 255, 0, 255, 0, 0xAA, 0xAA,  // red, green, padding
      255, 0, 0,   0, 0,   0, 0xAA, 0xAA,  // blue, black, padding
  };
  RecolorPixels(bits.data(), 2, 2, 8, 24, {120, 0, 0});
  const std::vector<uint8_t> expected = {
      0, 255, 0,   255, 0, 0, 0xAA, 0xAA,  // green, blue
      0, 0,   255, 0,   0, 0, 0xAA, 0xAA,  // red, black
  };
  EXPECT_EQ(bits, expected);
}

TEST(Recolor, Pixels32BitsStayPremultipliedAndKeepAlpha) {
  // Opaque red, half-transparent red (premultiplied: red 128), transparent.
  std::vector<uint8_t> bits = {0, 0, 255, 255, 0, 0, 128, 128, 0, 0, 0, 0};
  RecolorPixels(bits.data(), 3, 1, 12, 32, {120, 0, 0});
  const std::vector<uint8_t> expected = {0, 255, 0, 255, 0, 128, 0, 128, 0, 0, 0, 0};
  EXPECT_EQ(bits, expected);

  std::vector<uint8_t> faint = {0, 0, 64, 64};  // a quarter-alpha pure red
  RecolorPixels(faint.data(), 1, 1, 4, 32, {0, 0, 100});
  EXPECT_EQ(faint, (std::vector<uint8_t>{64, 64, 64, 64})) << "white at alpha 64";
}

TEST(Recolor, PixelsLeftAloneForIdentityAndUnsupportedInput) {
  const std::vector<uint8_t> original = {0, 0, 255, 255, 10, 20, 30, 255};
  std::vector<uint8_t> bits = original;
  RecolorPixels(bits.data(), 2, 1, 8, 32, {0, 0, 0});
  EXPECT_EQ(bits, original);
  RecolorPixels(bits.data(), 2, 1, 8, 16, {120, 0, 0});
  EXPECT_EQ(bits, original);
  RecolorPixels(bits.data(), 0, 1, 8, 32, {120, 0, 0});
  EXPECT_EQ(bits, original);
  RecolorPixels(nullptr, 2, 1, 8, 32, {120, 0, 0});
}

}  // namespace
