// UIResource away from 96 DPI with a sheet rendered at further DPIs: which
// sheet a cell is cut from, an exact cut at a sheet's own DPI, smoothing from
// the nearest sheet in between, renderings that cannot serve, a skin without
// renderings as before, and recolouring of cells from any sheet.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/framework/ch_bitmap.h"
#include "ui/framework/dpi_scale.h"
#include "ui/framework/recolor.h"
#include "ui/framework/ui_resource.h"

namespace {

void AppendBe32(std::string& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(value >> shift));
}

void AppendChunk(std::string& out, const char* type, const std::string& data) {
  AppendBe32(out, static_cast<uint32_t>(data.size()));
  const std::string typed = type + data;
  out += typed;
  AppendBe32(out, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(typed.data()),
                                              static_cast<uInt>(typed.size()))));
}

// An 8-bit RGBA PNG of `width` x `height` whose pixel (x, y) is `pixel(x, y)`
// as 0xAARRGGBB.
template <typename Pixel>
std::string RgbaPng(int width, int height, Pixel pixel) {
  std::string rows;
  for (int y = 0; y < height; ++y) {
    rows.push_back('\0');  // filter: none
    for (int x = 0; x < width; ++x) {
      const uint32_t argb = pixel(x, y);
      for (int shift : {16, 8, 0, 24}) rows.push_back(static_cast<char>(argb >> shift));
    }
  }
  std::string compressed(compressBound(static_cast<uLong>(rows.size())), '\0');
  uLongf length = static_cast<uLongf>(compressed.size());
  compress(reinterpret_cast<Bytef*>(&compressed[0]), &length,
           reinterpret_cast<const Bytef*>(rows.data()), static_cast<uLong>(rows.size()));
  compressed.resize(length);
  std::string header;
  AppendBe32(header, static_cast<uint32_t>(width));
  AppendBe32(header, static_cast<uint32_t>(height));
  header += std::string("\x08\x06\x00\x00\x00", 5);
  std::string png("\x89PNG\r\n\x1a\n", 8);
  AppendChunk(png, "IHDR", header);
  AppendChunk(png, "IDAT", compressed);
  AppendChunk(png, "IEND", "");
  return png;
}

// Every pixel of a sheet differs from its neighbours, and each sheet has its
// own colours (the red byte tells the sheets apart); alpha varies too.
std::string Sheet(int width, int height, uint32_t red) {
  return RgbaPng(width, height, [red](int x, int y) {
    const uint32_t alpha = (x + y) % 3 == 0 ? 0x80 : 0xFF;
    return alpha << 24 | red << 16 | static_cast<uint32_t>(40 * x) << 8 |
           static_cast<uint32_t>(60 * y);
  });
}

std::string Le32(uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(value >> (8 * i));
  return bytes;
}

struct Record {
  uint32_t id;
  std::string bytes;
};

std::string Container(const std::string& images, const std::vector<Record>& records) {
  const std::string text = R"({"cfg": {"W": {"part": {"bi": 100, "bg": [1, 0, 2, 2]},)"
                           R"( "all": {"bi": 100, "bg": [0, 0, 4, 2]}}},)"
                           R"( "res": {"images": [)" +
                           images + "]}}\n" + std::string(1, '\0');
  std::string bytes = ".uir" + Le32(static_cast<uint32_t>(text.size())) + text +
                      Le32(static_cast<uint32_t>(records.size()));
  for (const Record& record : records) {
    bytes += Le32(record.id) + Le32(static_cast<uint32_t>(record.bytes.size())) + record.bytes;
  }
  return bytes;
}

// The 4 x 2 sheet at 96 DPI and its renderings at 144 (6 x 3) and 192 (8 x 4).
const std::string kBase = Sheet(4, 2, 0x10);
const std::string k144 = Sheet(6, 3, 0x90);
const std::string k192 = Sheet(8, 4, 0xF0);
const std::string kRenderings = R"({"id": 100, "name": "sheet.png"},)"
                                R"( {"id": 110, "name": "sheet-144.png", "base": 100, "dpi": 144},)"
                                R"( {"id": 111, "name": "sheet-192.png", "base": 100, "dpi": 192})";

std::string ThreeSheets() {
  return Container(kRenderings, {{100, kBase}, {110, k144}, {111, k192}});
}

// `png` decoded as the resource decodes its images (premultiplied, bottom-up rows).
std::unique_ptr<CHBitmap> Decoded(const std::string& png) {
  auto bitmap = std::make_unique<CHBitmap>();
  EXPECT_TRUE(bitmap->LoadFromMemory(png.data(), png.size()));
  return bitmap;
}

// The pixels of `rect` (top-down coordinates) of `bitmap`, top row first.
std::vector<uint8_t> PixelsOf(const CHBitmap& bitmap, int x, int y, int width, int height) {
  GdiFlush();
  std::vector<uint8_t> pixels;
  for (int row = y; row < y + height; ++row) {
    const BYTE* line = bitmap.bits() + (bitmap.height() - 1 - row) * bitmap.stride() + 4 * x;
    pixels.insert(pixels.end(), line, line + 4 * width);
  }
  return pixels;
}

std::vector<uint8_t> PixelsOf(const CHBitmap& bitmap) {
  return PixelsOf(bitmap, 0, 0, bitmap.width(), bitmap.height());
}

std::vector<uint8_t> PixelsOf(const std::unique_ptr<CHBitmap>& bitmap, int x, int y, int width,
                              int height) {
  return PixelsOf(*bitmap, x, y, width, height);
}

std::vector<uint8_t> PixelsOf(const std::unique_ptr<CHBitmap>& bitmap) { return PixelsOf(*bitmap); }

// `rect` of `sheet` smoothed to `width` x `height`, as a cell is smoothed, top row first.
std::vector<uint8_t> Smoothed(const std::unique_ptr<CHBitmap>& sheet, int x, int y, int w, int h,
                              int width, int height) {
  const std::vector<uint8_t> source = PixelsOf(*sheet, x, y, w, h);
  std::vector<uint8_t> target(static_cast<size_t>(4 * width * height));
  ScalePixels(source.data(), w, h, 4 * w, target.data(), width, height, 4 * width, 4);
  return target;
}

TEST(UIResourceSheets, AtASheetsOwnDpiTheCellIsCutPixelExact) {
  UIResource skin;
  ASSERT_TRUE(skin.Parse(ThreeSheets()));
  skin.SetDpi(192);
  const StateEntry entry = skin.GetStyle("W/part");
  ASSERT_NE(entry.image, nullptr);
  // [1, 0, 2, 2] at 192 DPI is [2, 0, 4, 4] of the 200 % sheet.
  EXPECT_EQ(entry.x, 0);
  EXPECT_EQ(entry.width, 4);
  EXPECT_EQ(entry.height, 4);
  ASSERT_EQ(entry.image->width(), 4);
  ASSERT_EQ(entry.image->height(), 4);
  EXPECT_EQ(PixelsOf(*entry.image), PixelsOf(Decoded(k192), 2, 0, 4, 4));

  skin.SetDpi(144);
  const StateEntry at144 = skin.GetStyle("W/all");
  ASSERT_NE(at144.image, nullptr);
  EXPECT_EQ(PixelsOf(*at144.image), PixelsOf(Decoded(k144))) << "the whole 150 % sheet";
}

TEST(UIResourceSheets, BetweenSheetsTheCellIsSmoothedFromTheNearest) {
  UIResource skin;
  ASSERT_TRUE(skin.Parse(ThreeSheets()));
  // 120 DPI is as near 96 as 144: the larger sheet. [0, 0, 4, 2] is 6 x 3 there and 5 x 3 at 120.
  skin.SetDpi(120);
  const StateEntry entry = skin.GetStyle("W/all");
  ASSERT_NE(entry.image, nullptr);
  ASSERT_EQ(entry.image->width(), 5);
  ASSERT_EQ(entry.image->height(), 3);
  EXPECT_EQ(PixelsOf(*entry.image), Smoothed(Decoded(k144), 0, 0, 6, 3, 5, 3));
  // 168 DPI: from the 200 % sheet, 8 x 4 to 7 x 4.
  skin.SetDpi(168);
  const StateEntry at168 = skin.GetStyle("W/all");
  ASSERT_NE(at168.image, nullptr);
  EXPECT_EQ(PixelsOf(*at168.image), Smoothed(Decoded(k192), 0, 0, 8, 4, 7, 4));
  // 96 DPI: the stored sheet itself, with the stored rectangle.
  skin.SetDpi(96);
  const StateEntry at96 = skin.GetStyle("W/part");
  EXPECT_EQ(at96.image, skin.GetImage(100, true));
  EXPECT_EQ(at96.x, 1);
}

TEST(UIResourceSheets, WithoutRenderingsEveryDpiSmoothsFromTheStoredSheet) {
  // The renderings' records are there but listed as plain images: no entry names a base.
  const std::string plain = R"({"id": 100, "name": "sheet.png"}, {"id": 111, "name": "b.png"})";
  UIResource skin;
  ASSERT_TRUE(skin.Parse(Container(plain, {{100, kBase}, {111, k192}})));
  const std::unique_ptr<CHBitmap> base = Decoded(kBase);
  for (int dpi : {120, 144, 192}) {
    skin.SetDpi(dpi);
    const StateEntry entry = skin.GetStyle("W/all");
    ASSERT_NE(entry.image, nullptr) << dpi;
    const ScaledBox size = ScaleBox({0, 0, 4, 2}, dpi);
    EXPECT_EQ(PixelsOf(*entry.image), Smoothed(base, 0, 0, 4, 2, size.width, size.height)) << dpi;
  }
}

TEST(UIResourceSheets, RenderingsThatCannotServeArePassedOver) {
  // [1, 0, 2, 2] at 192 DPI from the next nearest sheet: [2, 0, 3, 3] of the 150 % one, or the
  // stored [1, 0, 2, 2] when there is none.
  const std::vector<uint8_t> from_144 = Smoothed(Decoded(k144), 2, 0, 3, 3, 4, 4);
  const std::vector<uint8_t> from_base = Smoothed(Decoded(kBase), 1, 0, 2, 2, 4, 4);
  const struct {
    const char* name;
    std::string images;
    std::vector<Record> records;
    const std::vector<uint8_t>* expected;
  } cases[] = {
      {"two pixels narrow",
       kRenderings,
       {{100, kBase}, {110, k144}, {111, Sheet(6, 4, 0xF0)}},
       &from_144},
      {"not a PNG", kRenderings, {{100, kBase}, {110, k144}, {111, "GIF89a"}}, &from_144},
      {"record missing", kRenderings, {{100, kBase}, {110, k144}}, &from_144},
      {"neither serves",
       kRenderings,
       {{100, kBase}, {110, "GIF89a"}, {111, Sheet(8, 2, 0xF0)}},
       &from_base},
      {"renders itself",
       R"({"id": 100, "name": "a", "base": 100, "dpi": 192}, {"id": 111, "base": 9, "dpi": 192})",
       {{100, kBase}, {111, k192}},
       &from_base},
      {"dpi as text",
       R"({"id": 100}, {"id": 111, "base": 100, "dpi": "192"})",
       {{100, kBase}, {111, k192}},
       &from_base},
  };
  for (const auto& c : cases) {
    UIResource skin;
    ASSERT_TRUE(skin.Parse(Container(c.images, c.records))) << c.name;
    skin.SetDpi(192);
    const StateEntry entry = skin.GetStyle("W/part");
    ASSERT_NE(entry.image, nullptr) << c.name;
    EXPECT_EQ(PixelsOf(*entry.image), *c.expected) << c.name;
  }
  // One pixel off is a rendering's rounding: it serves.
  UIResource skin;
  ASSERT_TRUE(skin.Parse(Container(kRenderings, {{100, kBase}, {111, Sheet(7, 4, 0xF0)}})));
  skin.SetDpi(192);
  const StateEntry entry = skin.GetStyle("W/part");
  ASSERT_NE(entry.image, nullptr);
  EXPECT_EQ(PixelsOf(*entry.image), PixelsOf(Decoded(Sheet(7, 4, 0xF0)), 2, 0, 4, 4));
}

TEST(UIResourceSheets, CellsOfEverySheetAreRecoloured) {
  UIResource skin;
  ASSERT_TRUE(skin.Parse(ThreeSheets()));
  skin.SetDpi(192);
  CHBitmap* cell = skin.GetStyle("W/part").image;
  ASSERT_NE(cell, nullptr);
  const std::vector<uint8_t> exact = PixelsOf(Decoded(k192), 2, 0, 4, 4);
  ASSERT_EQ(PixelsOf(*cell), exact);

  skin.SetRecolor(120, 0, 0);
  std::vector<uint8_t> turned = exact;
  RecolorPixels(turned.data(), 4, 4, 16, 32, {120, 0, 0});
  ASSERT_NE(turned, exact);
  EXPECT_EQ(PixelsOf(*cell), turned);
  skin.SetDpi(144);
  CHBitmap* later = skin.GetStyle("W/all").image;
  ASSERT_NE(later, nullptr);
  std::vector<uint8_t> later_turned = PixelsOf(Decoded(k144));
  RecolorPixels(later_turned.data(), 6, 3, 24, 32, {120, 0, 0});
  EXPECT_EQ(PixelsOf(*later), later_turned) << "cut while recolouring is on";

  skin.SetRecolor(0, 0, 0);
  EXPECT_EQ(PixelsOf(*cell), exact);
  EXPECT_EQ(PixelsOf(*later), PixelsOf(Decoded(k144)));
}

}  // namespace
