#include "setup/pe_image.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/setup/pe_image_builder.h"

namespace {

using pe_test::MakePeImage;
using pe_test::PeShape;

TEST(PeImageTest, FindsTheFieldsOfBothImageKinds) {
  for (const bool plus : {false, true}) {
    SCOPED_TRACE(plus ? "PE32+" : "PE32");
    PeShape shape;
    shape.plus = plus;
    shape.security_offset = 0x400;
    shape.security_size = 0x58;
    const std::string image = MakePeImage(shape);
    MemoryByteSource source(image);
    PeImageFields fields;
    ASSERT_TRUE(ReadPeImageFields(source, fields));
    EXPECT_EQ(fields.checksum_offset, pe_test::ChecksumField());
    EXPECT_EQ(fields.security_entry_offset, pe_test::SecurityEntry(shape));
    EXPECT_EQ(fields.security.address, 0x400u);
    EXPECT_EQ(fields.security.size, 0x58u);
    ASSERT_EQ(fields.sections.size(), 1u);
    EXPECT_EQ(fields.sections[0].virtual_address, 0x1000u);
  }
}

TEST(PeImageTest, RefusesWhatIsNoPeImage) {
  const std::string image = MakePeImage(PeShape());
  struct Case {
    const char* label;
    size_t at;
    char byte;
  };
  for (const Case& broken : {Case{"no MZ", 0, 'X'}, Case{"no PE signature", 128, 'N'},
                             Case{"unknown optional header magic", pe_test::OptionalHeader(), 7}}) {
    SCOPED_TRACE(broken.label);
    std::string bytes = image;
    bytes[broken.at] = broken.byte;
    MemoryByteSource source(bytes);
    PeImageFields fields;
    EXPECT_FALSE(ReadPeImageFields(source, fields));
  }
  const std::string truncated = image.substr(0, 200);
  MemoryByteSource source(truncated);
  PeImageFields fields;
  EXPECT_FALSE(ReadPeImageFields(source, fields));
}

TEST(PeImageTest, MapsRvasInsideASectionsRawData) {
  const std::string image = MakePeImage(PeShape());
  MemoryByteSource source(image);
  PeImageFields fields;
  ASSERT_TRUE(ReadPeImageFields(source, fields));
  uint64_t offset = 0;
  ASSERT_TRUE(RvaToFileOffset(fields, 0x1010, 16, offset));
  EXPECT_EQ(offset, 0x210u);
  EXPECT_FALSE(RvaToFileOffset(fields, 0x1000, 0x201, offset)) << "reaches past the raw data";
  EXPECT_FALSE(RvaToFileOffset(fields, 0x0FFF, 1, offset)) << "before the section";
}

}  // namespace
