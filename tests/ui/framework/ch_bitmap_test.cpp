#include "ui/framework/ch_bitmap.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "tests/ui/framework/framework_test_support.h"
#include "ui/framework/graphics_runtime.h"

namespace {

using brindle::test::Canvas;

// 2 x 2 RGBA: red opaque, green alpha 128 / blue alpha 0, white opaque.
const unsigned char kRgbaPng[] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52,
    0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x08, 0x06, 0x00, 0x00, 0x00, 0x72, 0xB6, 0x0D,
    0x24, 0x00, 0x00, 0x00, 0x14, 0x49, 0x44, 0x41, 0x54, 0x78, 0xDA, 0x63, 0xF8, 0xCF, 0xC0, 0xF0,
    0x1F, 0x08, 0x1B, 0x18, 0xC0, 0x34, 0x10, 0x00, 0x00, 0x3F, 0xD7, 0x08, 0x79, 0x5F, 0xC7, 0x6D,
    0xB1, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

// 3 x 2 RGB: (255,0,0) (0,255,0) (0,0,255) / (10,20,30) (255,0,255) (200,100,50).
const unsigned char kRgbPng[] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48,
    0x44, 0x52, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x02, 0x08, 0x02, 0x00, 0x00,
    0x00, 0x12, 0x16, 0xF1, 0x4D, 0x00, 0x00, 0x00, 0x18, 0x49, 0x44, 0x41, 0x54, 0x78,
    0xDA, 0x63, 0xF8, 0xCF, 0xC0, 0xC0, 0x00, 0xC1, 0x5C, 0x22, 0x72, 0xFF, 0x19, 0xFE,
    0x9F, 0x48, 0x31, 0x02, 0x00, 0x3B, 0xFB, 0x06, 0x96, 0x5A, 0x93, 0xC4, 0x53, 0x00,
    0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

// Blue, green, red (, alpha) bytes of the pixel at (x, y) from the top-left.
const BYTE* PixelAt(const CHBitmap& bitmap, int x, int y) {
  return bitmap.bits() + (bitmap.height() - 1 - y) * bitmap.stride() +
         x * bitmap.bits_per_pixel() / 8;
}

void ExpectPixel(const CHBitmap& bitmap, int x, int y, std::vector<int> expected, int tolerance) {
  const BYTE* pixel = PixelAt(bitmap, x, y);
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_LE(std::abs(pixel[i] - expected[i]), tolerance)
        << "pixel (" << x << ", " << y << ") byte " << i << " is " << int{pixel[i]};
  }
}

void ExpectEmpty(const CHBitmap& bitmap) {
  EXPECT_EQ(nullptr, bitmap.bitmap());
  EXPECT_EQ(nullptr, bitmap.bits());
  EXPECT_EQ(0, bitmap.bits_per_pixel());
  EXPECT_EQ(0, bitmap.width());
  EXPECT_EQ(0, bitmap.height());
  EXPECT_EQ(0, bitmap.stride());
  EXPECT_EQ(0, bitmap.bytes());
}

BITMAPINFOHEADER Header(int width, int height, int bits_per_pixel) {
  BITMAPINFOHEADER header = {};
  header.biSize = sizeof(header);
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = static_cast<WORD>(bits_per_pixel);
  header.biCompression = BI_RGB;
  return header;
}

TEST(CHBitmapTest, CreateAcceptsOnly24And32BitsAndPositiveSizes) {
  struct Case {
    int width, height, depth;
    bool ok;
    int stride;
  };
  const Case cases[] = {
      {3, 2, 24, true, 12},  {3, 2, 32, true, 12},       {1, 1, 24, true, 4},
      {5, 7, 24, true, 16},  {3, 2, 8, false, 0},        {3, 2, 16, false, 0},
      {0, 2, 24, false, 0},  {3, 0, 32, false, 0},       {-3, 2, 32, false, 0},
      {3, -2, 24, false, 0}, {8193, 8192, 32, false, 0}, {32768, 16384, 32, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << "@" << c.depth);
    CHBitmap bitmap;
    ASSERT_TRUE(bitmap.Create(4, 4, 32));  // must be released by every outcome
    EXPECT_EQ(c.ok, bitmap.Create(c.width, c.height, c.depth));
    if (!c.ok) {
      ExpectEmpty(bitmap);
      continue;
    }
    EXPECT_EQ(c.depth, bitmap.bits_per_pixel());
    EXPECT_EQ(c.width, bitmap.width());
    EXPECT_EQ(c.height, bitmap.height());
    EXPECT_EQ(c.stride, bitmap.stride());
    EXPECT_EQ(c.stride * c.height, bitmap.bytes());
    EXPECT_EQ(c.height, bitmap.header().biHeight);  // bottom-up rows
    ASSERT_NE(nullptr, bitmap.bits());
    EXPECT_EQ(0, bitmap.bits()[bitmap.bytes() - 1]);
  }
}

TEST(CHBitmapTest, CopyFromCopiesExactlySizedBits) {
  const BITMAPINFOHEADER header = Header(3, 2, 24);
  std::vector<BYTE> bits(12 * 2);
  for (size_t i = 0; i < bits.size(); ++i) bits[i] = static_cast<BYTE>(i + 1);
  CHBitmap bitmap;
  ASSERT_TRUE(bitmap.CopyFrom(&header, bits.data(), bits.size()));
  EXPECT_EQ(24, bitmap.bits_per_pixel());
  EXPECT_EQ(12, bitmap.stride());
  EXPECT_EQ(std::vector<BYTE>(bitmap.bits(), bitmap.bits() + bitmap.bytes()), bits);
}

TEST(CHBitmapTest, CopyFromRefusesAndLeavesTheBitmapReleased) {
  std::vector<BYTE> bits(64 * 64 * 4, 0x5A);
  struct Case {
    const char* name;
    BITMAPINFOHEADER header;
    size_t length;
    bool null_bits;
  };
  BITMAPINFOHEADER bitfields = Header(4, 4, 32);
  bitfields.biCompression = BI_BITFIELDS;
  const Case cases[] = {
      {"8 bits per pixel", Header(4, 4, 8), 16, false},
      {"16 bits per pixel", Header(4, 4, 16), 32, false},
      {"one byte short", Header(3, 2, 24), 23, false},
      {"one byte long", Header(3, 2, 24), 25, false},
      {"bit fields", bitfields, 64, false},
      {"no bits", Header(4, 4, 32), 64, true},
      {"length 0", Header(4, 4, 32), 0, false},
      {"top-down rows", Header(4, -4, 32), 64, false},
      {"no width", Header(0, 4, 32), 64, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CHBitmap bitmap;
    ASSERT_TRUE(bitmap.Create(2, 2, 32));
    EXPECT_FALSE(bitmap.CopyFrom(&c.header, c.null_bits ? nullptr : bits.data(), c.length));
    ExpectEmpty(bitmap);
  }
  CHBitmap bitmap;
  EXPECT_FALSE(bitmap.CopyFrom(nullptr, bits.data(), 64));
}

TEST(CHBitmapTest, PngWithAlphaDecodesTo32BitsPremultiplied) {
  CHBitmap bitmap;
  ASSERT_TRUE(bitmap.LoadFromMemory(kRgbaPng, sizeof(kRgbaPng)));
  EXPECT_EQ(32, bitmap.bits_per_pixel());
  EXPECT_EQ(2, bitmap.width());
  EXPECT_EQ(2, bitmap.height());
  EXPECT_EQ(8, bitmap.stride());
  EXPECT_EQ(nullptr, bitmap.dc());  // not left selected after decoding
  ExpectPixel(bitmap, 0, 0, {0, 0, 255, 255}, 0);
  ExpectPixel(bitmap, 1, 0, {0, 128, 0, 128}, 1);
  ExpectPixel(bitmap, 0, 1, {0, 0, 0, 0}, 0);
  ExpectPixel(bitmap, 1, 1, {255, 255, 255, 255}, 0);
}

TEST(CHBitmapTest, PngWithoutAlphaDecodesTo24Bits) {
  CHBitmap bitmap;
  ASSERT_TRUE(bitmap.LoadFromMemory(kRgbPng, sizeof(kRgbPng)));
  EXPECT_EQ(24, bitmap.bits_per_pixel());
  EXPECT_EQ(3, bitmap.width());
  EXPECT_EQ(2, bitmap.height());
  EXPECT_EQ(12, bitmap.stride());
  ExpectPixel(bitmap, 0, 0, {0, 0, 255}, 0);
  ExpectPixel(bitmap, 1, 0, {0, 255, 0}, 0);
  ExpectPixel(bitmap, 2, 0, {255, 0, 0}, 0);
  ExpectPixel(bitmap, 0, 1, {30, 20, 10}, 0);
  ExpectPixel(bitmap, 1, 1, {255, 0, 255}, 0);
  ExpectPixel(bitmap, 2, 1, {50, 100, 200}, 0);
}

TEST(CHBitmapTest, UndecodableDataFailsAndLeavesTheBitmapReleased) {
  const unsigned char garbage[] = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};
  std::vector<unsigned char> truncated(kRgbPng, kRgbPng + 45);
  CHBitmap bitmap;
  ASSERT_TRUE(bitmap.Create(2, 2, 24));
  EXPECT_FALSE(bitmap.LoadFromMemory(garbage, sizeof(garbage)));
  ExpectEmpty(bitmap);
  EXPECT_FALSE(bitmap.LoadFromMemory(truncated.data(), truncated.size()));
  ExpectEmpty(bitmap);
  EXPECT_FALSE(bitmap.LoadFromMemory(kRgbPng, 0));
  EXPECT_FALSE(bitmap.LoadFromMemory(nullptr, 10));
  EXPECT_FALSE(bitmap.LoadFromStream(nullptr));
  ExpectEmpty(bitmap);
}

// kRgbaPng with the header's size, depth and colour type replaced (the header's CRC made right).
std::vector<unsigned char> PngStating(uint32_t width, uint32_t height, uint8_t depth) {
  std::vector<unsigned char> png(kRgbaPng, kRgbaPng + sizeof(kRgbaPng));
  for (int i = 0; i < 4; ++i) {
    png[16 + i] = static_cast<unsigned char>(width >> (24 - 8 * i));
    png[20 + i] = static_cast<unsigned char>(height >> (24 - 8 * i));
  }
  png[24] = depth;
  const uLong crc = crc32(0, png.data() + 12, 17);
  for (int i = 0; i < 4; ++i) png[29 + i] = static_cast<unsigned char>(crc >> (24 - 8 * i));
  return png;
}

// A header asking for a 2 GiB bitmap (or more) is a damaged image: refused before any decoder,
// GDI+ included, allocates for it; 16 bits per channel is a form only GDI+ would decode.
TEST(CHBitmapTest, OversizePngHeadersFailAsDamagedImages) {
  struct Case {
    uint32_t width, height;
    uint8_t depth;
  };
  const Case cases[] = {{16384, 32768, 8}, {1, 0x7FFFFFFF, 8}, {65536, 65536, 16}, {8193, 8192, 8}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << "@" << int{c.depth});
    const std::vector<unsigned char> png = PngStating(c.width, c.height, c.depth);
    CHBitmap bitmap;
    ASSERT_TRUE(bitmap.Create(2, 2, 24));
    EXPECT_FALSE(bitmap.LoadFromMemory(png.data(), png.size()));
    ExpectEmpty(bitmap);
  }
  const std::vector<unsigned char> intact = PngStating(2, 2, 8);
  CHBitmap bitmap;
  EXPECT_TRUE(bitmap.LoadFromMemory(intact.data(), intact.size()));
}

TEST(CHBitmapTest, LastBitmapDestroyedStopsGdiplusAndTheNextDecodeStartsIt) {
  ASSERT_EQ(0, LiveBitmapCount());
  {
    CHBitmap first;
    ASSERT_TRUE(first.LoadFromMemory(kRgbaPng, sizeof(kRgbaPng)));
    EXPECT_TRUE(GdiplusRunning());
    {
      CHBitmap second;
      EXPECT_EQ(2, LiveBitmapCount());
    }
    EXPECT_EQ(1, LiveBitmapCount());
    EXPECT_TRUE(GdiplusRunning());
  }
  EXPECT_EQ(0, LiveBitmapCount());
  EXPECT_FALSE(GdiplusRunning());

  CHBitmap again;
  EXPECT_FALSE(GdiplusRunning());  // a bitmap alone does not start GDI+
  ASSERT_TRUE(again.LoadFromMemory(kRgbPng, sizeof(kRgbPng)));
  EXPECT_TRUE(GdiplusRunning());
  ExpectPixel(again, 2, 1, {50, 100, 200}, 0);
}

TEST(CHBitmapTest, SelectDCMakesOneMemoryDCAtATime) {
  CHBitmap bitmap;
  EXPECT_FALSE(bitmap.SelectDC());  // no bitmap
  ASSERT_TRUE(bitmap.Create(2, 2, 32));
  EXPECT_TRUE(bitmap.SelectDC());
  EXPECT_NE(nullptr, bitmap.dc());
  EXPECT_EQ(bitmap.bitmap(), ::GetCurrentObject(bitmap.dc(), OBJ_BITMAP));
  EXPECT_FALSE(bitmap.SelectDC());
  {
    ScopedBitmapDC nested(&bitmap);
    EXPECT_EQ(bitmap.dc(), nested.get());
  }
  EXPECT_NE(nullptr, bitmap.dc());  // the nested scope did not unselect it
  EXPECT_EQ(bitmap.bitmap(), bitmap.UnselectDC());
  EXPECT_EQ(nullptr, bitmap.dc());
}

// Fills a 24-bit bitmap from rows of 0x00RRGGBB values, top row first.
void Fill24(CHBitmap* bitmap, const std::vector<std::vector<uint32_t>>& rows) {
  ASSERT_TRUE(bitmap->Create(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), 24));
  for (size_t y = 0; y < rows.size(); ++y) {
    for (size_t x = 0; x < rows[y].size(); ++x) {
      BYTE* pixel = const_cast<BYTE*>(PixelAt(*bitmap, static_cast<int>(x), static_cast<int>(y)));
      pixel[0] = rows[y][x] & 0xFF;
      pixel[1] = (rows[y][x] >> 8) & 0xFF;
      pixel[2] = (rows[y][x] >> 16) & 0xFF;
    }
  }
}

TEST(CHBitmapTest, DrawBitmapCopiesStretchesAndBlends) {
  CHBitmap plain;
  Fill24(&plain, {{0x102030, 0x405060}});
  Canvas canvas(8, 4, 0xFF000000);
  ASSERT_TRUE(canvas.valid());

  EXPECT_TRUE(plain.DrawBitmap(canvas.dc(), 0, 0, 2, 1, 0, 0, 2, 1));
  EXPECT_EQ(0x102030u, canvas.Rgb(0, 0));
  EXPECT_EQ(0x405060u, canvas.Rgb(1, 0));

  // Stretched: each source pixel becomes a 2 x 2 block.
  EXPECT_TRUE(plain.DrawBitmap(canvas.dc(), 4, 0, 4, 2, 0, 0, 2, 1));
  for (int y = 0; y < 2; ++y) {
    EXPECT_EQ(0x102030u, canvas.Rgb(4, y));
    EXPECT_EQ(0x102030u, canvas.Rgb(5, y));
    EXPECT_EQ(0x405060u, canvas.Rgb(6, y));
    EXPECT_EQ(0x405060u, canvas.Rgb(7, y));
  }
  EXPECT_EQ(nullptr, plain.dc());

  // 32 bits: blended over the target with the per-pixel alpha.
  CHBitmap alpha;
  ASSERT_TRUE(alpha.LoadFromMemory(kRgbaPng, sizeof(kRgbaPng)));
  Canvas white(2, 2, 0xFFFFFFFF);
  EXPECT_TRUE(alpha.DrawBitmap(white.dc(), 0, 0, 2, 2, 0, 0, 2, 2));
  EXPECT_EQ(0xFFFF0000u, white.At(0, 0));
  EXPECT_EQ(0xFFFFFFFFu, white.At(0, 1));  // alpha 0 leaves the target as it was
  const uint32_t half = white.At(1, 0);    // green at alpha 128 over white
  EXPECT_NEAR(127, static_cast<int>((half >> 16) & 0xFF), 2);
  EXPECT_EQ(255u, (half >> 8) & 0xFF);

  CHBitmap empty;
  EXPECT_FALSE(empty.DrawBitmap(canvas.dc(), 0, 0, 1, 1, 0, 0, 1, 1));
}

TEST(CHBitmapTest, KeyColorRegionCoversTheMagentaRuns) {
  constexpr uint32_t M = 0xFF00FF;
  constexpr uint32_t K = 0x000000;
  constexpr uint32_t N = 0xFE00FF;  // nearly magenta: not part of the region
  const std::vector<std::vector<uint32_t>> rows = {
      {M, M, K, M, K, N},
      {K, K, K, K, K, K},
      {K, M, M, M, M, M},
  };
  for (int depth : {24, 32}) {
    SCOPED_TRACE(depth);
    CHBitmap bitmap;
    Fill24(&bitmap, rows);
    if (depth == 32) {
      CHBitmap wide;
      ASSERT_TRUE(wide.Create(6, 3, 32));
      for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 6; ++x) {
          BYTE* pixel = const_cast<BYTE*>(PixelAt(wide, x, y));
          const BYTE* source = PixelAt(bitmap, x, y);
          pixel[0] = source[0];
          pixel[1] = source[1];
          pixel[2] = source[2];
          pixel[3] = 255;
        }
      }
      ASSERT_TRUE(bitmap.CopyFrom(&wide.header(), wide.bits(), wide.bytes()));
    }
    const brindle::gdi::Region region(bitmap.KeyColorRegion());
    ASSERT_TRUE(region);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(rows[y][x] == M, ::PtInRegion(region.get(), x, y) != FALSE)
            << "(" << x << ", " << y << ")";
      }
    }
    RECT box;
    EXPECT_EQ(COMPLEXREGION, ::GetRgnBox(region.get(), &box));
    EXPECT_EQ(0, box.left);
    EXPECT_EQ(0, box.top);
    EXPECT_EQ(6, box.right);
    EXPECT_EQ(3, box.bottom);
  }
}

TEST(CHBitmapTest, KeyColorRegionWithoutMagentaIsEmpty) {
  CHBitmap bitmap;
  Fill24(&bitmap, {{0x000000, 0xFFFFFF}, {0xFF0000, 0x0000FF}});
  const brindle::gdi::Region region(bitmap.KeyColorRegion());
  ASSERT_TRUE(region);
  RECT box;
  EXPECT_EQ(NULLREGION, ::GetRgnBox(region.get(), &box));

  CHBitmap empty;
  const brindle::gdi::Region none(empty.KeyColorRegion());
  ASSERT_TRUE(none);
  EXPECT_EQ(NULLREGION, ::GetRgnBox(none.get(), &box));
}

}  // namespace
