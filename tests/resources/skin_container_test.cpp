// Byte layout of skin containers and PNG headers, on crafted bytes.
#include "tools/skin/skin_container.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/resources/skin_bytes.h"
#include "tools/skin/png_header.h"

namespace {

using skin_bytes::Container;
using skin_bytes::LittleEndian32;

TEST(SkinContainer, ReadsTextAndRecords) {
  const std::string text("{\"cfg\":{}}\n\0", 12);
  SkinContainer skin;
  std::string error;
  ASSERT_TRUE(ParseSkinContainer(Container(text, {{100, "png"}, {101, "font\n"}}), skin, error))
      << error;
  EXPECT_EQ(skin.text, text);
  ASSERT_EQ(skin.records.size(), 2u);
  EXPECT_EQ(skin.records.at(100), "png");
  EXPECT_EQ(skin.records.at(101), "font\n");
  EXPECT_TRUE(skin.repeated_ids.empty());
}

TEST(SkinContainer, NoRecordsAndEmptyRecords) {
  SkinContainer skin;
  std::string error;
  ASSERT_TRUE(ParseSkinContainer(Container("", {}), skin, error)) << error;
  EXPECT_TRUE(skin.text.empty());
  EXPECT_TRUE(skin.records.empty());
  ASSERT_TRUE(ParseSkinContainer(Container("x", {{7, ""}}), skin, error)) << error;
  EXPECT_EQ(skin.records.at(7), "");
}

TEST(SkinContainer, LaterRecordWithTheSameIdReplacesTheEarlierOne) {
  SkinContainer skin;
  std::string error;
  ASSERT_TRUE(ParseSkinContainer(Container("", {{5, "old"}, {6, "x"}, {5, "new"}}), skin, error));
  EXPECT_EQ(skin.records.at(5), "new");
  EXPECT_EQ(skin.repeated_ids, std::vector<uint32_t>{5});
}

TEST(SkinContainer, RefusesBrokenLayouts) {
  const std::string sound = Container("{}", {{100, "abc"}});
  struct Case {
    const char* name;
    std::string bytes;
    const char* error;
  };
  const Case cases[] = {
      {"empty", "", "magic"},
      {"wrong magic", "uir." + sound.substr(4), "magic"},
      {"magic in upper case", ".UIR" + sound.substr(4), "magic"},
      {"length cut off", ".uir\x02", "length L is cut off"},
      {"text past the end", ".uir" + LittleEndian32(3) + "{}", "runs past the end"},
      {"huge length", ".uir" + LittleEndian32(0xFFFFFFFF) + "{}", "runs past the end"},
      {"count cut off", ".uir" + LittleEndian32(2) + "{}" + "\x01", "count N is cut off"},
      {"count beyond the records", Container("{}", {}).substr(0, 10) + LittleEndian32(1),
       "no complete id and size"},
      {"record size cut off", sound.substr(0, sound.size() - 5), "no complete id and size"},
      {"record past the end", sound.substr(0, sound.size() - 1), "runs past the end"},
      {"bytes after the last record", sound + "!", "1 bytes follow the last record"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SkinContainer skin;
    std::string error;
    EXPECT_FALSE(ParseSkinContainer(c.bytes, skin, error));
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
  }
}

TEST(PngHeader, ReadsSizeDepthAndColourType) {
  PngHeader header;
  ASSERT_TRUE(ReadPngHeader(skin_bytes::PngHeaderBytes(942, 888, 8, 6), header));
  EXPECT_EQ(header.width, 942u);
  EXPECT_EQ(header.height, 888u);
  EXPECT_EQ(header.bit_depth, 8);
  EXPECT_EQ(header.colour_type, kPngColourTypeRgba);
  ASSERT_TRUE(ReadPngHeader(skin_bytes::PngHeaderBytes(1, 1, 8, 3), header));
  EXPECT_EQ(header.colour_type, 3);
}

TEST(PngHeader, RefusesWhatIsNoPng) {
  const std::string png = skin_bytes::PngHeaderBytes(4, 4, 8, 6);
  std::string other_chunk = png;
  other_chunk.replace(12, 4, "IDAT");
  std::string bad_signature = png;
  bad_signature[1] = 'p';
  PngHeader header;
  EXPECT_FALSE(ReadPngHeader("", header));
  EXPECT_FALSE(ReadPngHeader(png.substr(0, 25), header));
  EXPECT_FALSE(ReadPngHeader(other_chunk, header));
  EXPECT_FALSE(ReadPngHeader(bad_signature, header));
  EXPECT_FALSE(ReadPngHeader("GIF89a" + png, header));
}

}  // namespace
