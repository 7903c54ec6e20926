#include "setup/text_width.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A memory device context with a font of `height` pixels selected, restored
// and freed on destruction.
class FontDc {
 public:
  explicit FontDc(int height)
      : dc_(CreateCompatibleDC(nullptr)),
        font_(CreateFontW(-height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                          L"Tahoma")),
        previous_(dc_ && font_ ? SelectObject(dc_, font_) : nullptr) {}
  ~FontDc() {
    if (previous_) SelectObject(dc_, previous_);
    if (font_) DeleteObject(font_);
    if (dc_) DeleteDC(dc_);
  }
  FontDc(const FontDc&) = delete;
  FontDc& operator=(const FontDc&) = delete;
  HDC get() const { return previous_ ? dc_ : nullptr; }

 private:
  HDC dc_;
  HFONT font_;
  HGDIOBJ previous_;
};

TEST(TextWidthTest, EmptyTextHasNoWidth) {
  EXPECT_EQ(TextWidth(nullptr, L""), 0);
  FontDc dc(20);
  ASSERT_NE(dc.get(), nullptr);
  EXPECT_EQ(TextWidth(dc.get(), L""), 0);
}

TEST(TextWidthTest, ScreenContextMeasuresWithoutCallerContext) {
  EXPECT_GT(TextWidth(nullptr, L"Velto"), 0);
  EXPECT_GT(TextWidth(nullptr, L"中文"), 0);
}

TEST(TextWidthTest, MeasuresWholeTextInSelectedFont) {
  FontDc small(12);
  FontDc large(36);
  ASSERT_NE(small.get(), nullptr);
  ASSERT_NE(large.get(), nullptr);
  const int one = TextWidth(small.get(), L"W");
  ASSERT_GT(one, 0);
  EXPECT_EQ(TextWidth(small.get(), L"WWWW"), 4 * one);
  EXPECT_GT(TextWidth(large.get(), L"WWWW"), TextWidth(small.get(), L"WWWW"));
  EXPECT_GT(TextWidth(small.get(), L"WWWW"), TextWidth(small.get(), L"iiii"));
}

}  // namespace
