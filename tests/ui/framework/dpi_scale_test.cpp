// Lengths, skin boxes, sheet choice, pixel scaling and work-area fitting at
// several DPIs.
#include "ui/framework/dpi_scale.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

TEST(DpiScale, Lengths) {
  const struct {
    int value;
    int dpi;
    int expected;
  } cases[] = {
      {10, 96, 10}, {10, 120, 13}, {10, 144, 15},     {10, 168, 18}, {10, 192, 20},
      {5, 144, 8},  {-5, 144, -8}, {-195, 144, -293}, {1, 120, 1},   {3, 120, 4},
      {0, 192, 0},  {7, 0, 7},     {7, -1, 7},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ScaleLength(c.value, c.dpi), c.expected) << c.value << " at " << c.dpi;
  }
}

TEST(DpiScale, BoxesScaleTheirEdges) {
  const struct {
    ScaledBox box;
    int dpi;
    ScaledBox expected;
  } cases[] = {
      {{676, 196, 24, 37}, 96, {676, 196, 24, 37}},
      {{676, 196, 24, 37}, 192, {1352, 392, 48, 74}},
      {{676, 196, 24, 37}, 144, {1014, 294, 36, 56}},  // bottom 233 -> 350 (349.5 up)
      // Anchored to the right and bottom: edges -195 / -55 -> -293 / -83, -96 / -59 -> -144 / -89.
      {{-195, -96, 140, 37}, 144, {-293, -144, 210, 55}},
      // Odd sizes at 150 %: the width follows the edges, not round(width * 1.5).
      {{1, 0, 1, 1}, 144, {2, 0, 1, 2}},
      {{2, 0, 1, 1}, 144, {3, 0, 2, 2}},
  };
  for (const auto& c : cases) {
    const ScaledBox got = ScaleBox(c.box, c.dpi);
    EXPECT_EQ(got.x, c.expected.x);
    EXPECT_EQ(got.y, c.expected.y);
    EXPECT_EQ(got.width, c.expected.width);
    EXPECT_EQ(got.height, c.expected.height);
  }
}

TEST(DpiScale, NeighbouringBoxesStillTouch) {
  for (int dpi : {120, 144, 168, 192}) {
    for (int x = 0; x < 50; ++x) {
      const ScaledBox left = ScaleBox({x, 0, 7, 7}, dpi);
      const ScaledBox right = ScaleBox({x + 7, 0, 5, 5}, dpi);
      EXPECT_EQ(left.x + left.width, right.x) << x << " at " << dpi;
    }
  }
}

TEST(DpiScale, NearestSheet) {
  const std::vector<int> shipped = {96, 144, 192};
  const std::vector<int> reversed = {192, 144, 96};
  const std::vector<int> one = {96};
  const std::vector<int> none = {};
  const struct {
    const std::vector<int>* sheets;
    int dpi;
    int expected;
  } cases[] = {
      // 100 %, 125 % (equally near 96 and 144: the larger), 150 %, 175 % (likewise), 200 %.
      {&shipped, 96, 96},    {&shipped, 120, 144},  {&shipped, 144, 144}, {&shipped, 168, 192},
      {&shipped, 192, 192},  {&shipped, 119, 96},   {&shipped, 121, 144}, {&shipped, 167, 144},
      {&shipped, 288, 192},  {&shipped, 72, 96},    {&shipped, 0, 96},    {&shipped, -5, 96},
      {&reversed, 120, 144}, {&reversed, 168, 192}, {&reversed, 100, 96}, {&one, 192, 96},
      {&one, 48, 96},        {&none, 144, 96},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NearestSheetDpi(*c.sheets, c.dpi), c.expected)
        << c.dpi << " among " << c.sheets->size();
  }
}

std::vector<uint8_t> Pixels(std::initializer_list<uint32_t> bgra) {
  std::vector<uint8_t> bytes;
  for (uint32_t pixel : bgra) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(uint8_t(pixel >> shift));
  }
  return bytes;
}

TEST(DpiScale, UniformPixelsStayUniform) {
  const std::vector<uint8_t> source = Pixels({0x80402010, 0x80402010, 0x80402010, 0x80402010});
  std::vector<uint8_t> target(4 * 3 * 3, 0xEE);
  ScalePixels(source.data(), 2, 2, 8, target.data(), 3, 3, 12, 4);
  for (size_t i = 0; i < target.size(); i += 4) {
    EXPECT_EQ(target[i], 0x10);
    EXPECT_EQ(target[i + 1], 0x20);
    EXPECT_EQ(target[i + 2], 0x40);
    EXPECT_EQ(target[i + 3], 0x80);
  }
}

TEST(DpiScale, DoublingBlendsBetweenNeighbours) {
  // One row: opaque white, then transparent.
  const std::vector<uint8_t> source = Pixels({0xFFFFFFFF, 0x00000000});
  std::vector<uint8_t> target(4 * 4, 0);
  ScalePixels(source.data(), 2, 1, 8, target.data(), 4, 1, 16, 4);
  const uint8_t alphas[] = {255, 191, 64, 0};
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(target[4 * x + 3], alphas[x]) << x;
    // Premultiplied: colour never exceeds alpha.
    EXPECT_LE(target[4 * x], target[4 * x + 3]) << x;
  }
}

TEST(DpiScale, ThreeBytePixelsWithPaddedRows) {
  // 24-bit rows padded to 4 bytes: 2 pixels in 8 bytes, the padding untouched.
  const std::vector<uint8_t> source = {10, 20, 30, 10, 20, 30, 0, 0};
  std::vector<uint8_t> target(12 * 2, 0xEE);
  ScalePixels(source.data(), 2, 1, 8, target.data(), 3, 2, 12, 3);
  for (int row = 0; row < 2; ++row) {
    for (int i = 0; i < 9; ++i) EXPECT_EQ(target[12 * row + i], (i % 3 + 1) * 10) << i;
    for (int i = 9; i < 12; ++i) EXPECT_EQ(target[12 * row + i], 0xEE) << i;
  }
}

TEST(DpiScale, ShrinkingAveragesTheCoveredArea) {
  // 2:1 on one row: each target pixel the rounded mean of two source pixels.
  const std::vector<uint8_t> pair = Pixels({0xFF000000, 0x00000000, 0x40102030, 0x40102031});
  std::vector<uint8_t> halved(4 * 2, 0);
  ScalePixels(pair.data(), 4, 1, 16, halved.data(), 2, 1, 8, 4);
  EXPECT_EQ(halved, Pixels({0x80000000, 0x40102031}));  // 127.5 and 48.5 round up
  // 3:2 on one row: the middle source pixel is shared half and half.
  const std::vector<uint8_t> three = Pixels({0x000000FF, 0x00000000, 0x0000003C});
  std::vector<uint8_t> two(4 * 2, 0);
  ScalePixels(three.data(), 3, 1, 12, two.data(), 2, 1, 8, 4);
  EXPECT_EQ(two, Pixels({0x000000AA, 0x00000028}));  // (2 * 255 + 0) / 3, (0 + 2 * 60) / 3
  // The same size copies exactly.
  std::vector<uint8_t> same(4 * 3, 0);
  ScalePixels(three.data(), 3, 1, 12, same.data(), 3, 1, 12, 4);
  EXPECT_EQ(same, three);
}

TEST(DpiScale, EmptySizesWriteNothing) {
  const std::vector<uint8_t> source = Pixels({0xFFFFFFFF});
  std::vector<uint8_t> target(4, 0x11);
  ScalePixels(source.data(), 1, 1, 4, target.data(), 0, 1, 4, 4);
  ScalePixels(source.data(), 0, 1, 4, target.data(), 1, 1, 4, 4);
  ScalePixels(source.data(), 1, 1, 4, target.data(), 1, 1, 4, 2);
  EXPECT_EQ(target, std::vector<uint8_t>(4, 0x11));
}

TEST(DpiScale, WorkAreaFit) {
  // A 1080p screen at 175 %: 1097 x 617 with a taskbar of 40 at the bottom.
  const ScreenBox work = {0, 0, 1097, 577};
  const struct {
    ScreenBox window;
    ScreenBox expected;
  } cases[] = {
      {{10, 10, 110, 60}, {10, 10, 110, 60}},           // inside: kept
      {{-31, -31, 569, 649}, {0, 0, 600, 680}},         // taller than the area: top-left kept
      {{1000, 500, 1200, 600}, {897, 477, 1097, 577}},  // past the right and bottom
      {{-50, 100, 50, 200}, {0, 100, 100, 200}},        // past the left
  };
  for (const auto& c : cases) {
    const ScreenBox got = FitInside(c.window, work);
    EXPECT_EQ(got.left, c.expected.left);
    EXPECT_EQ(got.top, c.expected.top);
    EXPECT_EQ(got.right, c.expected.right);
    EXPECT_EQ(got.bottom, c.expected.bottom);
  }
}

TEST(DpiScale, CentredOnASecondMonitor) {
  const ScreenBox work = {1920, 0, 3840, 1040};
  const ScreenBox got = CentreInside(600, 400, work);
  EXPECT_EQ(got.left, 2580);
  EXPECT_EQ(got.top, 320);
  EXPECT_EQ(got.right, 3180);
  EXPECT_EQ(got.bottom, 720);
  const ScreenBox tall = CentreInside(600, 700, {0, 0, 1097, 577});
  EXPECT_EQ(tall.top, 0);
}

}  // namespace
