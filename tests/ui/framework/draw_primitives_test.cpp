#include "ui/framework/draw_primitives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/ui/framework/framework_test_support.h"
#include "ui/framework/ch_bitmap.h"

namespace {

using brindle::test::Canvas;

// Writes 0x00RRGGBB (alpha 255 for 32 bits) at (x, y) from the top-left.
void SetPixel(CHBitmap* bitmap, int x, int y, uint32_t rgb) {
  BYTE* pixel = bitmap->bits() + (bitmap->height() - 1 - y) * bitmap->stride() +
                x * bitmap->bits_per_pixel() / 8;
  pixel[0] = rgb & 0xFF;
  pixel[1] = (rgb >> 8) & 0xFF;
  pixel[2] = (rgb >> 16) & 0xFF;
  if (bitmap->bits_per_pixel() == 32) pixel[3] = 255;
}

void Paint(CHBitmap* bitmap, const std::function<uint32_t(int, int)>& color) {
  for (int y = 0; y < bitmap->height(); ++y) {
    for (int x = 0; x < bitmap->width(); ++x) SetPixel(bitmap, x, y, color(x, y));
  }
}

// The nine-grid sheet: the picture at (10, 7, 102, 35) with margins 8 on
// every side, surrounded by a colour that must never be drawn. Corners and
// the left and right edges have a distinct colour per pixel, so an unscaled
// copy can be checked pixel by pixel; the stretched cells are uniform.
constexpr int kSheetWidth = 120;
constexpr int kSheetHeight = 50;
constexpr RECT kPicture = {10, 7, 112, 42};
constexpr int kMargin = 8;
constexpr uint32_t kOutside = 0xEE0000;
constexpr uint32_t kTop = 0x200000;
constexpr uint32_t kBottom = 0x300000;
constexpr uint32_t kCentre = 0x400000;
constexpr uint32_t kBackground = 0x333333;

enum Region { kTopLeft = 1, kTopRight, kLeft, kRight, kBottomLeft, kBottomRight };

// Colour of a pixel of an unscaled cell; (i, j) from the cell's top-left.
uint32_t Patterned(Region region, int i, int j) { return (0x50 + region) << 16 | (i << 8) | j; }

// Colour of the picture's pixel (u, v), from the picture's top-left.
uint32_t PictureColor(int u, int v) {
  const int w = kPicture.right - kPicture.left;
  const int h = kPicture.bottom - kPicture.top;
  const bool left = u < kMargin;
  const bool right = u >= w - kMargin;
  const int ri = u - (w - kMargin);
  if (v < kMargin)
    return left ? Patterned(kTopLeft, u, v) : right ? Patterned(kTopRight, ri, v) : kTop;
  if (v >= h - kMargin) {
    const int bj = v - (h - kMargin);
    return left ? Patterned(kBottomLeft, u, bj) : right ? Patterned(kBottomRight, ri, bj) : kBottom;
  }
  const int mj = v - kMargin;
  return left ? Patterned(kLeft, u, mj) : right ? Patterned(kRight, ri, mj) : kCentre;
}

void PaintSheet(CHBitmap* sheet, int depth) {
  ASSERT_TRUE(sheet->Create(kSheetWidth, kSheetHeight, depth));
  Paint(sheet, [](int x, int y) {
    const POINT point = {x, y};
    return ::PtInRect(&kPicture, point) ? PictureColor(x - kPicture.left, y - kPicture.top)
                                        : kOutside;
  });
}

StateEntry SheetEntry(CHBitmap* sheet) {
  StateEntry entry;
  entry.image = sheet;
  entry.x = kPicture.left;
  entry.y = kPicture.top;
  entry.width = kPicture.right - kPicture.left;
  entry.height = kPicture.bottom - kPicture.top;
  entry.margin_left = entry.margin_top = entry.margin_right = entry.margin_bottom = kMargin;
  return entry;
}

// What the 102 x 35 picture becomes in a 100 x 35 target: corners 8 x 8 and
// the left and right edges 8 x 19 unchanged, the top and bottom edges 84 x 8
// and the centre 84 x 19 squeezed.
uint32_t ExpectedNineGrid(int u, int v) {
  constexpr int kTargetWidth = 100;
  if (u < kMargin) return PictureColor(u, v);
  if (u >= kTargetWidth - kMargin) return PictureColor(u + 2, v);
  return PictureColor(kMargin, v);  // any column of the stretched cells
}

class NineGridTest : public ::testing::TestWithParam<int> {};

TEST_P(NineGridTest, SqueezesEdgesAndCentreAndKeepsCornersAndSides) {
  CHBitmap sheet;
  PaintSheet(&sheet, GetParam());
  const StateEntry entry = SheetEntry(&sheet);
  Canvas canvas(120, 50, 0xFF000000 | kBackground);
  ASSERT_TRUE(canvas.valid());
  const RECT target = {10, 5, 110, 40};

  DrawStateEntry(target, entry, canvas.dc());

  int wrong = 0;
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      const POINT point = {x, y};
      const bool inside = ::PtInRect(&target, point);
      const uint32_t expected =
          inside ? ExpectedNineGrid(x - target.left, y - target.top) : kBackground;
      if (canvas.Rgb(x, y) != expected && ++wrong <= 10) {
        ADD_FAILURE() << "(" << x << ", " << y << ") is " << std::hex << canvas.Rgb(x, y)
                      << ", expected " << expected;
      }
      // 32-bit pictures blend with their own alpha (opaque here). A 24-bit
      // picture carries no alpha: BitBlt and DrawDibDraw leave 0 there on
      // Windows and Wine alike, so it is not checked.
      if (GetParam() == 32 && inside) {
        EXPECT_EQ(0xFFu, canvas.At(x, y) >> 24);
      }
    }
  }
  EXPECT_EQ(0, wrong);
  EXPECT_EQ(nullptr, sheet.dc());
}

INSTANTIATE_TEST_SUITE_P(Depths, NineGridTest, ::testing::Values(24, 32));

TEST(DrawStateEntryTest, KeyColourLeavesItsPixelsOutEvenWhenStretched) {
  CHBitmap sheet;
  PaintSheet(&sheet, 24);
  StateEntry entry = SheetEntry(&sheet);
  entry.key_color = RGB(0x40, 0, 0);  // kCentre
  Canvas canvas(120, 50, 0xFF000000 | kBackground);
  const RECT target = {10, 5, 110, 40};
  DrawStateEntry(target, entry, canvas.dc());
  EXPECT_EQ(kBackground, canvas.Rgb(60, 20));  // centre: key colour, not drawn
  EXPECT_EQ(kTop, canvas.Rgb(60, 6));          // top edge, stretched
  EXPECT_EQ(Patterned(kTopLeft, 3, 4), canvas.Rgb(13, 9));
  EXPECT_EQ(Patterned(kRight, 7, 18), canvas.Rgb(109, 31));
}

TEST(DrawStateEntryTest, CellsOfNegativeSizeAreSkipped) {
  CHBitmap sheet;
  PaintSheet(&sheet, 32);
  const StateEntry entry = SheetEntry(&sheet);
  Canvas canvas(40, 40, 0xFF000000 | kBackground);
  const RECT target = {10, 10, 20, 20};  // 10 x 10, less than the margins' 16
  DrawStateEntry(target, entry, canvas.dc());
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      const uint32_t color = canvas.Rgb(x, y);
      EXPECT_NE(kTop, color);
      EXPECT_NE(kBottom, color);
      EXPECT_NE(kCentre, color);
      EXPECT_NE(0x53u, color >> 16);  // left edge
      EXPECT_NE(0x54u, color >> 16);  // right edge
    }
  }
  // The corners are drawn, overlapping: the bottom-right one last.
  EXPECT_EQ(Patterned(kTopLeft, 0, 0), canvas.Rgb(10, 10));
  EXPECT_EQ(Patterned(kBottomRight, 7, 7), canvas.Rgb(19, 19));
}

TEST(DrawStateEntryTest, NothingWithoutTargetAreaImageOrSource) {
  CHBitmap sheet;
  PaintSheet(&sheet, 32);
  StateEntry no_image = SheetEntry(&sheet);
  no_image.image = nullptr;
  StateEntry no_width = SheetEntry(&sheet);
  no_width.width = 0;
  struct Case {
    const char* name;
    StateEntry entry;
    RECT target;
  };
  const Case cases[] = {
      {"empty target", SheetEntry(&sheet), {10, 10, 10, 30}},
      {"inverted target", SheetEntry(&sheet), {10, 30, 30, 10}},
      {"no image", no_image, {0, 0, 40, 40}},
      {"no source width", no_width, {0, 0, 40, 40}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Canvas canvas(40, 40, 0xFF000000 | kBackground);
    DrawStateEntry(c.target, c.entry, canvas.dc());
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 40; ++x) ASSERT_EQ(kBackground, canvas.Rgb(x, y)) << x << "," << y;
    }
  }
}

// A skin rectangle that is not wholly inside its image draws nothing on any
// path (the 24-bit ones read the bits through DrawDib, which would read past
// them); one inside draws.
TEST(DrawCellTest, SourceCellsOutsideTheImageDrawNothingOnEveryPath) {
  constexpr uint32_t kPixel = 0x123456;
  using Draw = std::function<void(CHBitmap*, HDC, const RECT&)>;
  const struct {
    const char* name;
    int depth;
    Draw draw;
  } paths[] = {
      {"copy", 24,
       [](CHBitmap* b, HDC dc, const RECT& s) {
         const ScopedBitmapDC source(b);
         DrawCell(source.get(), dc, 0, 0, s.right, s.bottom, s.left, s.top, s.right, s.bottom, 0,
                  b);
       }},
      {"stretch", 24,
       [](CHBitmap* b, HDC dc, const RECT& s) {
         const ScopedBitmapDC source(b);
         DrawCell(source.get(), dc, 0, 0, 12, 12, s.left, s.top, s.right, s.bottom, 0, b);
       }},
      {"key colour stretch", 24,
       [](CHBitmap* b, HDC dc, const RECT& s) {
         const ScopedBitmapDC source(b);
         KeyColorCopy(source.get(), dc, 0, 0, 12, 12, s.left, s.top, s.right, s.bottom, 0xFF00FF,
                      b);
       }},
      {"bitmap stretch", 24,
       [](CHBitmap* b, HDC dc, const RECT& s) {
         b->DrawBitmap(dc, 0, 0, 12, 12, s.left, s.top, s.right, s.bottom);
       }},
      {"alpha stretch", 32,
       [](CHBitmap* b, HDC dc, const RECT& s) {
         const ScopedBitmapDC source(b);
         DrawCell(source.get(), dc, 0, 0, 12, 12, s.left, s.top, s.right, s.bottom, 0, b);
       }},
  };
  // Source cells as (x, y, width, height) of a 4 x 4 image.
  const struct {
    RECT source;
    bool drawn;
  } cells[] = {
      {{0, 0, 4, 4}, true},   {{1, 1, 3, 3}, true},  {{2, 2, 4, 4}, false},
      {{0, 0, 5, 4}, false},  {{0, 1, 4, 4}, false}, {{-1, 0, 2, 2}, false},
      {{0, -1, 2, 2}, false}, {{4, 0, 1, 1}, false}, {{0, 0x7FFFFFFF, 1, 1}, false},
  };
  for (const auto& path : paths) {
    CHBitmap image;
    ASSERT_TRUE(image.Create(4, 4, path.depth));
    Paint(&image, [](int, int) { return kPixel; });
    for (const auto& cell : cells) {
      SCOPED_TRACE(std::string(path.name) + " " + std::to_string(cell.source.left) + "," +
                   std::to_string(cell.source.top) + " " + std::to_string(cell.source.right) + "x" +
                   std::to_string(cell.source.bottom));
      Canvas canvas(12, 12, 0xFF000000 | kBackground);
      path.draw(&image, canvas.dc(), cell.source);
      EXPECT_EQ(canvas.Rgb(0, 0), cell.drawn ? kPixel : kBackground);
      if (!cell.drawn) {
        EXPECT_EQ(canvas.Rgb(11, 11), kBackground);
      }
    }
  }
}

constexpr uint32_t kForeground = 0x00AA00;

// Bounding box of the pixels of `color`; empty when there is none.
RECT Find(const Canvas& canvas, uint32_t color) {
  RECT box = {canvas.width(), canvas.height(), 0, 0};
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      if (canvas.Rgb(x, y) != color) continue;
      box.left = std::min<LONG>(box.left, x);
      box.top = std::min<LONG>(box.top, y);
      box.right = std::max<LONG>(box.right, x + 1);
      box.bottom = std::max<LONG>(box.bottom, y + 1);
    }
  }
  return box;
}

TEST(DrawStateEntryTest, ForegroundIsPlacedByItsAlignmentAndOffset) {
  // A 4 x 4 foreground at (2, 1) of a 32-bit sheet.
  CHBitmap sheet;
  ASSERT_TRUE(sheet.Create(8, 6, 32));
  Paint(&sheet,
        [](int x, int y) { return x >= 2 && x < 6 && y >= 1 && y < 5 ? kForeground : kOutside; });
  const RECT target = {20, 10, 60, 40};  // centre (38, 23) for a 4 x 4 picture
  struct Case {
    int align;
    POINT offset;
    POINT expected;
  };
  const Case cases[] = {
      {1, {0, 0}, {20, 10}},  {2, {0, 0}, {38, 10}},   {4, {0, 0}, {56, 10}},
      {8, {0, 0}, {20, 23}},  {16, {0, 0}, {56, 23}},  {32, {0, 0}, {20, 36}},
      {64, {0, 0}, {38, 36}}, {128, {0, 0}, {56, 36}}, {0, {0, 0}, {38, 23}},
      {36, {0, 0}, {38, 23}}, {37, {0, 0}, {38, 23}},  {3, {0, 0}, {38, 23}},
      {1, {3, -2}, {23, 8}},  {37, {-5, 4}, {33, 27}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << "al " << c.align << " of " << c.offset.x << "," << c.offset.y);
    StateEntry entry;
    entry.foreground_image = &sheet;
    entry.foreground_x = 2;
    entry.foreground_y = 1;
    entry.foreground_width = 4;
    entry.foreground_height = 4;
    entry.foreground_align = c.align;
    entry.foreground_offset_x = c.offset.x;
    entry.foreground_offset_y = c.offset.y;
    Canvas canvas(80, 50, 0xFF000000 | kBackground);
    DrawStateEntry(target, entry, canvas.dc());
    const RECT box = Find(canvas, kForeground);
    EXPECT_EQ(c.expected.x, box.left);
    EXPECT_EQ(c.expected.y, box.top);
    EXPECT_EQ(c.expected.x + 4, box.right);
    EXPECT_EQ(c.expected.y + 4, box.bottom);
    EXPECT_EQ(0, Find(canvas, kOutside).right);  // nothing around the picture
  }
}

TEST(DrawStateEntryTest, Foreground24BitLeavesItsKeyColourOut) {
  // 4 x 4: a black frame around a red 2 x 2 centre.
  CHBitmap sheet;
  ASSERT_TRUE(sheet.Create(4, 4, 24));
  Paint(&sheet,
        [](int x, int y) { return x >= 1 && x < 3 && y >= 1 && y < 3 ? 0xFF0000u : 0x000000u; });
  StateEntry entry;
  entry.foreground_image = &sheet;
  entry.foreground_width = 4;
  entry.foreground_height = 4;
  entry.foreground_align = 1;
  const RECT target = {0, 0, 10, 10};

  Canvas black_key(10, 10, 0xFF000000 | kBackground);
  DrawStateEntry(target, entry, black_key.dc());  // key colour 0: black is transparent
  EXPECT_EQ(kBackground, black_key.Rgb(0, 0));
  EXPECT_EQ(kBackground, black_key.Rgb(3, 3));
  EXPECT_EQ(0xFF0000u, black_key.Rgb(1, 1));
  EXPECT_EQ(0xFF0000u, black_key.Rgb(2, 2));

  entry.foreground_key_color = RGB(255, 0, 0);
  Canvas red_key(10, 10, 0xFF000000 | kBackground);
  DrawStateEntry(target, entry, red_key.dc());
  EXPECT_EQ(0x000000u, red_key.Rgb(0, 0));
  EXPECT_EQ(kBackground, red_key.Rgb(1, 1));
}

// Text is drawn with the icon-title font, as the back buffers do.
class SkinTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LOGFONTW logfont = {};
    ASSERT_TRUE(::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(logfont), &logfont, 0));
    logfont.lfHeight = -16;
    logfont.lfWeight = FW_BOLD;
    font_.reset(::CreateFontIndirectW(&logfont));
    ASSERT_TRUE(font_);
    // Keeps GDI+ up for the whole test, like the skin's images do.
    keep_alive_ = std::make_unique<CHBitmap>();
  }

  // Bounding box of the pixels the text touched (alpha above 0).
  static RECT Drawn(const Canvas& canvas) {
    RECT box = {canvas.width(), canvas.height(), 0, 0};
    for (int y = 0; y < canvas.height(); ++y) {
      for (int x = 0; x < canvas.width(); ++x) {
        if ((canvas.At(x, y) >> 24) == 0) continue;
        box.left = std::min<LONG>(box.left, x);
        box.top = std::min<LONG>(box.top, y);
        box.right = std::max<LONG>(box.right, x + 1);
        box.bottom = std::max<LONG>(box.bottom, y + 1);
      }
    }
    return box;
  }

  TextStyle Style(UINT align, COLORREF color) const {
    TextStyle style;
    style.font = font_.get();
    style.align = align;
    style.color = color;
    return style;
  }

  brindle::gdi::Font font_;
  std::unique_ptr<CHBitmap> keep_alive_;
};

TEST_F(SkinTextTest, WhiteIsDrawnWithAlpha254) {
  Canvas canvas(200, 40, 0);
  const RECT layout = {0, 0, 200, 40};
  DrawSkinText(canvas.dc(), Style(36, 16777215), layout, L"HHHH", nullptr);
  uint32_t strongest = 0;
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) strongest = std::max(strongest, canvas.At(x, y));
  }
  // The most covered pixel: premultiplied white at alpha 254.
  EXPECT_EQ(0xFEu, strongest >> 24);
  EXPECT_NEAR(0xFE, static_cast<int>((strongest >> 16) & 0xFF), 1);
  EXPECT_NEAR(0xFE, static_cast<int>(strongest & 0xFF), 1);
}

TEST_F(SkinTextTest, ColourChannelsComeFromTheStyleColour) {
  Canvas canvas(200, 40, 0);
  const RECT layout = {0, 0, 200, 40};
  DrawSkinText(canvas.dc(), Style(36, 14853431), layout, L"HHHH", nullptr);  // 0xE2A637
  uint32_t strongest = 0;
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      if ((canvas.At(x, y) >> 24) > (strongest >> 24)) strongest = canvas.At(x, y);
    }
  }
  ASSERT_EQ(0xFEu, strongest >> 24);
  EXPECT_NEAR(0x37, static_cast<int>((strongest >> 16) & 0xFF), 2);  // red
  EXPECT_NEAR(0xA6, static_cast<int>((strongest >> 8) & 0xFF), 2);   // green
  EXPECT_NEAR(0xE2, static_cast<int>(strongest & 0xFF), 2);          // blue
}

TEST_F(SkinTextTest, AlignmentFlagsPlaceTheText) {
  const RECT layout = {10, 10, 310, 70};  // 300 x 60
  struct Case {
    UINT align;
    bool centred_x, right_x, centred_y;
  };
  const Case cases[] = {
      {37, true, false, true},   // DT_CENTER | DT_VCENTER | DT_SINGLELINE
      {36, false, false, true},  // DT_VCENTER | DT_SINGLELINE
      {2 | 36, false, true, true}, {0, false, false, false},  // top-left
      {4, false, false, false},                               // DT_VCENTER alone does not centre
      {8, false, false, false},                               // DT_BOTTOM has no effect
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.align);
    Canvas canvas(320, 80, 0);
    DrawSkinText(canvas.dc(), Style(c.align, 0xFFFFFF), layout, L"Hello", nullptr);
    const RECT box = Drawn(canvas);
    ASSERT_LT(box.left, box.right) << "nothing drawn";
    const int left_gap = box.left - layout.left;
    const int right_gap = layout.right - box.right;
    const int top_gap = box.top - layout.top;
    const int bottom_gap = layout.bottom - box.bottom;
    EXPECT_GE(left_gap, 0);
    EXPECT_GE(right_gap, 0);
    EXPECT_GE(top_gap, 0);
    EXPECT_GE(bottom_gap, 0);
    if (c.centred_x) {
      EXPECT_NEAR(left_gap, right_gap, 3);
    } else if (c.right_x) {
      EXPECT_LT(right_gap, 10);
    } else {
      EXPECT_LT(left_gap, 10);
    }
    if (c.centred_y) {
      EXPECT_NEAR(top_gap, bottom_gap, 4);
    } else {
      EXPECT_LT(top_gap, bottom_gap - 20);
    }
  }
}

TEST_F(SkinTextTest, ClipRectangleBoundsTheText) {
  Canvas canvas(200, 40, 0);
  const RECT layout = {0, 0, 200, 40};
  const RECT clip = {20, 0, 40, 40};
  DrawSkinText(canvas.dc(), Style(36, 0xFFFFFF), layout, L"HHHHHHHHHH", &clip);
  const RECT box = Drawn(canvas);
  ASSERT_LT(box.left, box.right);
  EXPECT_GE(box.left, clip.left);
  EXPECT_LE(box.right, clip.right);
}

TEST_F(SkinTextTest, StyleTextIsDrawnWhenNoTextIsGiven) {
  TextStyle style = Style(36, 0xFFFFFF);
  const RECT layout = {0, 0, 200, 40};
  Canvas empty(200, 40, 0);
  DrawSkinText(empty.dc(), style, layout, nullptr, nullptr);
  EXPECT_GE(Drawn(empty).left, Drawn(empty).right);  // nothing at all

  style.text = L"HH";
  Canvas from_style(200, 40, 0);
  DrawSkinText(from_style.dc(), style, layout, nullptr, nullptr);
  Canvas given(200, 40, 0);
  DrawSkinText(given.dc(), style, layout, L"HHHHHH", nullptr);
  const RECT short_box = Drawn(from_style);
  const RECT long_box = Drawn(given);
  ASSERT_LT(short_box.left, short_box.right);
  EXPECT_GT(long_box.right - long_box.left, 2 * (short_box.right - short_box.left));
}

TEST_F(SkinTextTest, GdiplusFontFromTheHandleOrTheDC) {
  Canvas canvas(10, 10, 0);
  EXPECT_TRUE(MakeGdiplusFont(canvas.dc(), font_.get()));
  const brindle::gdi::ScopedSelectObject select(canvas.dc(), font_.get());
  EXPECT_TRUE(MakeGdiplusFont(canvas.dc(), nullptr));
  // Not a font: the DC's font is used.
  const brindle::gdi::Brush brush(::CreateSolidBrush(0));
  EXPECT_TRUE(MakeGdiplusFont(canvas.dc(), reinterpret_cast<HFONT>(brush.get())));
}

// A face the system does not have, in a Latin and a Chinese character set,
// and bitmap faces: the text is drawn all the same, in a fallback face.
// Windows' GDI+ refuses such fonts; Wine's GDI+ takes the face that Wine's
// font mapper chose, so under Wine the first try already succeeds and the
// fallback faces are checked on their own below.
TEST_F(SkinTextTest, AMissingFaceStillDrawsText) {
  const struct {
    const wchar_t* face;
    BYTE charset;
    const wchar_t* text;
  } cases[] = {
      {L"Brindle No Such Face", ANSI_CHARSET, L"Hello"},
      {L"Brindle No Such Face", DEFAULT_CHARSET, L"Hello"},
      {L"Brindle No Such Face", GB2312_CHARSET, L"Hello"},
      {L"Brindle No Such Face", GB2312_CHARSET, L"\x5B89\x88C5"},
      // Bitmap faces, which GDI+ cannot use.
      {L"System", ANSI_CHARSET, L"Hello"},
      {L"MS Sans Serif", ANSI_CHARSET, L"Hello"},
  };
  for (const auto& c : cases) {
    LOGFONTW logfont = {};
    logfont.lfHeight = -16;
    logfont.lfWeight = FW_NORMAL;
    logfont.lfCharSet = c.charset;
    ::wcscpy(logfont.lfFaceName, c.face);
    const brindle::gdi::Font missing(::CreateFontIndirectW(&logfont));
    ASSERT_TRUE(missing);
    Canvas canvas(200, 40, 0);
    EXPECT_TRUE(MakeGdiplusFont(canvas.dc(), missing.get()));
    TextStyle style = Style(36, 0xFFFFFF);
    style.font = missing.get();
    DrawSkinText(canvas.dc(), style, {0, 0, 200, 40}, c.text, nullptr);
    const RECT box = Drawn(canvas);
    EXPECT_LT(box.left, box.right) << "charset " << int{c.charset} << " face "
                                   << ::testing::PrintToString(std::wstring(c.face));
  }
}

// Font enumeration callback: sets the bool at `found` and stops.
int CALLBACK NoteFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

TEST_F(SkinTextTest, FallbackFacesCoverLatinAndTheCharsetsScript) {
  for (const BYTE charset : {BYTE{ANSI_CHARSET}, BYTE{GB2312_CHARSET}, BYTE{THAI_CHARSET}}) {
    const std::vector<std::wstring>& faces = FallbackFontFaces(charset);
    ASSERT_FALSE(faces.empty()) << int{charset};
    Canvas canvas(10, 10, 0);
    for (const std::wstring& face : faces) {
      EXPECT_FALSE(face.empty());
      // Each one is a face GDI+ takes as it is.
      LOGFONTW logfont = {};
      logfont.lfHeight = -16;
      logfont.lfCharSet = charset;
      ::wcsncpy(logfont.lfFaceName, face.c_str(), LF_FACESIZE - 1);
      brindle::gdi::GdipFont font;
      EXPECT_EQ(
          brindle::GdiplusApi().GdipCreateFontFromLogfontW(canvas.dc(), &logfont, font.receive()),
          Gdiplus::Ok)
          << ::testing::PrintToString(face);
    }
  }
  // For a Chinese font the first choice has the script: the test prefix
  // has a Chinese face, so it comes before the Latin message font.
  const std::wstring chinese = FallbackFontFaces(GB2312_CHARSET).front();
  LOGFONTW wanted = {};
  wanted.lfCharSet = GB2312_CHARSET;
  ::wcsncpy(wanted.lfFaceName, chinese.c_str(), LF_FACESIZE - 1);
  bool has_charset = false;
  const brindle::gdi::WindowDC screen(nullptr);
  ::EnumFontFamiliesExW(screen.get(), &wanted, NoteFound, reinterpret_cast<LPARAM>(&has_charset),
                        0);
  EXPECT_TRUE(has_charset) << ::testing::PrintToString(chinese);
}

TEST(FocusFrameTest, OnePixelAlongTheInsideOfTheFrame) {
  Canvas canvas(20, 10, 0);
  const std::unique_ptr<CHBitmap> keep_alive = std::make_unique<CHBitmap>();
  DrawFocusFrame(canvas.dc(), {2, 2, 18, 8}, RGB(0x20, 0x40, 0x80));
  const struct {
    int x, y;
    bool drawn;
  } probes[] = {
      {2, 5, true},  {17, 5, true},  {10, 2, true}, {10, 7, true},  {2, 2, true},   {17, 7, true},
      {3, 5, false}, {10, 5, false}, {1, 5, false}, {18, 5, false}, {10, 1, false}, {10, 8, false},
  };
  for (const auto& p : probes) {
    EXPECT_EQ(canvas.At(p.x, p.y) != 0, p.drawn) << p.x << "," << p.y;
  }
  const uint32_t edge = canvas.At(2, 5);
  EXPECT_EQ(edge >> 24, 0xFEu);  // Drawn with alpha 254, like text.
  EXPECT_NEAR(0x20, static_cast<int>((edge >> 16) & 0xFF), 2);
  EXPECT_NEAR(0x80, static_cast<int>(edge & 0xFF), 2);
  Canvas tiny(10, 10, 0);
  DrawFocusFrame(tiny.dc(), {2, 2, 3, 8}, 0xFFFFFF);
  for (int y = 0; y < 10; ++y) EXPECT_EQ(tiny.At(2, y), 0u) << y;
}

}  // namespace
