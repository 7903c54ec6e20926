// The shipped skin as the setup program loads it: resource "UIR" 129 of this
// executable (the container the build makes from resources/skin).
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ui/framework/ch_bitmap.h"
#include "ui/framework/dpi_scale.h"
#include "ui/framework/ui_resource.h"

namespace {

class ShippedSkinTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(skin_.LoadFromResource(GetModuleHandleW(nullptr), L"UIR", 129));
  }

  UIResource skin_;
};

// Big-endian 32-bit value at `offset` (PNG header fields).
int BigEndian32(const std::string& bytes, size_t offset) {
  int value = 0;
  for (size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<unsigned char>(bytes[offset + i]);
  return value;
}

// The sheet is stored at 200 % ("scale": 2): the 96-DPI image is half its size, each pixel the
// mean of a 2 x 2 block of the decoded sheet.
TEST_F(ShippedSkinTest, SheetDecodesWithAlphaAtHalfItsStoredSize) {
  std::string png;
  ASSERT_TRUE(skin_.GetData("images", 100, png));
  ASSERT_GT(png.size(), 24u);
  CHBitmap* sheet = skin_.GetImage(100, true);
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->bits_per_pixel(), 32);
  EXPECT_EQ(sheet->width() * 2, BigEndian32(png, 16));
  EXPECT_EQ(sheet->height() * 2, BigEndian32(png, 20));
  CHBitmap whole;
  ASSERT_TRUE(whole.LoadFromMemory(png.data(), png.size()));
  std::vector<BYTE> averaged(static_cast<size_t>(sheet->bytes()));
  ScalePixels(whole.bits(), whole.width(), whole.height(), whole.stride(), averaged.data(),
              sheet->width(), sheet->height(), sheet->stride(), 4);
  GdiFlush();
  EXPECT_TRUE(std::equal(averaged.begin(), averaged.end(), sheet->bits()));
}

// The sheet is decoded without GDI+ (ui/framework/png_rows.h); GDI+ decoding the same bytes
// gives the same premultiplied pixels, give or take the rounding of one step.
TEST_F(ShippedSkinTest, SheetDecodesAsGdiplusDecodesIt) {
  std::string png;
  ASSERT_TRUE(skin_.GetData("images", 100, png));
  CHBitmap direct;
  ASSERT_TRUE(direct.LoadFromMemory(png.data(), png.size()));
  IStream* stream =
      SHCreateMemStream(reinterpret_cast<const BYTE*>(png.data()), static_cast<UINT>(png.size()));
  ASSERT_NE(stream, nullptr);
  CHBitmap through_gdiplus;
  const bool decoded = through_gdiplus.LoadFromStream(stream);
  stream->Release();
  ASSERT_TRUE(decoded);
  ASSERT_EQ(direct.bits_per_pixel(), through_gdiplus.bits_per_pixel());
  ASSERT_EQ(direct.width(), through_gdiplus.width());
  ASSERT_EQ(direct.height(), through_gdiplus.height());
  const BYTE* a = direct.bits();
  const BYTE* b = through_gdiplus.bits();
  int differing = 0;
  for (int i = 0; i < direct.bytes(); ++i) {
    const int difference = a[i] > b[i] ? a[i] - b[i] : b[i] - a[i];
    if (difference > 1) ++differing;
  }
  EXPECT_EQ(differing, 0) << "bytes more than one step apart";
}

TEST_F(ShippedSkinTest, ElementsResolveToEntriesStylesAndFonts) {
  EXPECT_EQ(skin_.GetInt("MainWindow/InstallButton2/id"), 1001);
  const StateEntry normal = skin_.GetStyle("MainWindow/InstallButton2/normal");
  EXPECT_EQ(normal.image, skin_.GetImage(100, true));
  EXPECT_GT(normal.width, 0);
  EXPECT_GT(normal.height, 0);

  const TextStyle text = skin_.GetTextStyle("MainWindow/InstallButton2/Text/normal");
  EXPECT_EQ(text.font, skin_.GetFont(105));
  EXPECT_NE(text.font, nullptr);

  LOGFONTW bold = {};
  ASSERT_NE(skin_.GetFont(101), nullptr);
  GetObjectW(skin_.GetFont(101), sizeof(bold), &bold);
  EXPECT_EQ(bold.lfWeight, 700);
  LOGFONTW underlined = {};
  ASSERT_NE(skin_.GetFont(103), nullptr);
  GetObjectW(skin_.GetFont(103), sizeof(underlined), &underlined);
  EXPECT_EQ(underlined.lfUnderline, 1);
}

// The lowest alpha in a state entry's picture.
int LowestAlpha(const StateEntry& entry) {
  GdiFlush();
  int lowest = 255;
  const CHBitmap& image = *entry.image;
  for (int y = entry.y; y < entry.y + entry.height; ++y) {
    const BYTE* row = image.bits() + (image.height() - 1 - y) * image.stride();
    for (int x = entry.x; x < entry.x + entry.width; ++x)
      lowest = std::min<int>(lowest, row[4 * x + 3]);
  }
  return lowest;
}

// Away from 96 DPI each picture is smoothed on its own: the opaque client
// background, which is stretched over the whole card, keeps opaque edges
// (smoothing the whole sheet would blend in its transparent neighbours, and
// the stretch would spread that over a wide band).
TEST_F(ShippedSkinTest, PicturesAtOtherDpisKeepTheirEdges) {
  const struct {
    int dpi;
    int size;
  } steps[] = {{96, 8}, {120, 10}, {144, 12}, {168, 14}, {192, 16}};
  for (const auto& step : steps) {
    skin_.SetDpi(step.dpi);
    const StateEntry entry = skin_.GetStyle("MainWindow/Client/bkgnd");
    ASSERT_NE(entry.image, nullptr) << step.dpi;
    EXPECT_EQ(entry.width, step.size) << step.dpi;
    EXPECT_EQ(entry.height, step.size) << step.dpi;
    EXPECT_EQ(LowestAlpha(entry), 255) << step.dpi;
  }
  // The close button's cell at 150 %: 15 pixels become 22 or 23 by its edges.
  skin_.SetDpi(144);
  const StateEntry close = skin_.GetStyle("MainWindow/SysBtns/Close/normal");
  ASSERT_NE(close.image, nullptr);
  EXPECT_EQ(close.width, 23);  // 752 -> 1128, 767 -> 1150.5 -> 1151
  EXPECT_EQ(close.image->width(), 23);
}

// The pixels of [x, y, width, height] (top-down) of `bitmap`, top row first.
std::vector<BYTE> PixelsOf(const CHBitmap& bitmap, int x, int y, int width, int height) {
  GdiFlush();
  std::vector<BYTE> pixels;
  for (int row = y; row < y + height; ++row) {
    const BYTE* line = bitmap.bits() + (bitmap.height() - 1 - row) * bitmap.stride() + 4 * x;
    pixels.insert(pixels.end(), line, line + 4 * width);
  }
  return pixels;
}

// At 200 % a picture is the carried sheet's own pixels at the rectangle scaled by its edges; at
// 150 % it is that cell of the sheet averaged down by area, not a smoothed 96-DPI picture.
TEST_F(ShippedSkinTest, PicturesAboveNinetySixDpiComeFromTheCarriedSheet) {
  std::string png;
  ASSERT_TRUE(skin_.GetData("images", 100, png));
  CHBitmap sheet;
  ASSERT_TRUE(sheet.LoadFromMemory(png.data(), png.size()));
  ASSERT_EQ(sheet.width(), 1884);
  ASSERT_EQ(sheet.height(), 1776);
  const std::vector<BYTE> cell = PixelsOf(sheet, 1504, 632, 30, 30);  // [752, 316, 15, 15]
  const struct {
    int dpi;
    int size;
  } steps[] = {{144, 23}, {192, 30}};
  for (const auto& step : steps) {
    skin_.SetDpi(step.dpi);
    const StateEntry close = skin_.GetStyle("MainWindow/SysBtns/Close/normal");
    ASSERT_NE(close.image, nullptr) << step.dpi;
    ASSERT_EQ(close.image->width(), step.size) << step.dpi;
    ASSERT_EQ(close.image->height(), step.size) << step.dpi;
    std::vector<BYTE> expected(static_cast<size_t>(4 * step.size * step.size));
    ScalePixels(cell.data(), 30, 30, 4 * 30, expected.data(), step.size, step.size, 4 * step.size,
                4);
    EXPECT_EQ(PixelsOf(*close.image, 0, 0, step.size, step.size), expected) << step.dpi;
  }
}

}  // namespace
