// PNG files written through the GDI+ encoder keep every pixel, alpha included.
#include "tools/skin_preview/png_file.h"

#include <gtest/gtest.h>

#include "tests/setup/scratch_folder.h"
#include "tests/tools/skin_preview/png_reader.h"

namespace {

using skin_preview_test::ReadPicture;

TEST(WritePng, KeepsEveryPixelAndItsAlpha) {
  ScratchFolder scratch;
  ASSERT_FALSE(scratch.path().empty());
  Picture picture;
  picture.width = 3;
  picture.height = 2;
  // Opaque, half and barely visible colours, a transparent pixel, and two
  // values that a premultiplied round trip would change.
  picture.pixels = {0xFF102030u, 0x80FF0000u, 0x0100FF00u, 0x00000000u, 0x7F123456u, 0xFEFFFFFFu};
  const std::wstring path = scratch.Join(L"picture.png");
  ASSERT_TRUE(WritePng(picture, path));

  Picture read;
  ASSERT_TRUE(ReadPicture(path, read));
  EXPECT_EQ(read.width, 3);
  EXPECT_EQ(read.height, 2);
  EXPECT_EQ(read.pixels, picture.pixels);
}

TEST(WritePng, ReplacesAnExistingFile) {
  ScratchFolder scratch;
  const std::wstring path = scratch.Join(L"picture.png");
  Picture picture;
  picture.width = 1;
  picture.height = 1;
  picture.pixels = {0xFF0000FFu};
  ASSERT_TRUE(WritePng(picture, path));
  picture.pixels = {0xFFFF0000u};
  ASSERT_TRUE(WritePng(picture, path));
  Picture read;
  ASSERT_TRUE(ReadPicture(path, read));
  EXPECT_EQ(read.pixels, picture.pixels);
}

TEST(WritePng, FailsForAnEmptyPictureOrAMissingFolder) {
  ScratchFolder scratch;
  EXPECT_FALSE(WritePng(Picture(), scratch.Join(L"empty.png")));
  EXPECT_EQ(GetFileAttributesW(scratch.Join(L"empty.png").c_str()), INVALID_FILE_ATTRIBUTES);

  Picture picture;
  picture.width = 1;
  picture.height = 1;
  picture.pixels = {0xFFFFFFFFu};
  EXPECT_FALSE(WritePng(picture, scratch.Join(L"missing\\picture.png")));
}

}  // namespace
