// Splitting skin containers: the layout, later records replacing earlier ones,
// and refusal of every container whose lengths run past its end.
#include "ui/framework/skin_container.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string Le32(uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(value >> (8 * i));
  return bytes;
}

std::string Container(const std::string& text,
                      const std::vector<std::pair<uint32_t, std::string>>& records) {
  std::string bytes = ".uir" + Le32(static_cast<uint32_t>(text.size())) + text +
                      Le32(static_cast<uint32_t>(records.size()));
  for (const auto& [id, data] : records) {
    bytes += Le32(id) + Le32(static_cast<uint32_t>(data.size())) + data;
  }
  return bytes;
}

TEST(SkinContainerSplit, TextAndRecords) {
  const std::string text("{\"cfg\":{}}\n\0", 12);
  SkinContainerParts parts;
  ASSERT_TRUE(SplitSkinContainer(Container(text, {{100, "png"}, {101, "font\n"}}), parts));
  EXPECT_EQ(parts.json_text, text);
  ASSERT_EQ(parts.records.size(), 2u);
  EXPECT_EQ(parts.records.at(100), "png");
  EXPECT_EQ(parts.records.at(101), "font\n");
}

TEST(SkinContainerSplit, NoRecordsEmptyTextAndEmptyRecord) {
  SkinContainerParts parts;
  ASSERT_TRUE(SplitSkinContainer(Container("", {}), parts));
  EXPECT_TRUE(parts.json_text.empty());
  EXPECT_TRUE(parts.records.empty());

  ASSERT_TRUE(SplitSkinContainer(Container("{}", {{7, ""}}), parts));
  ASSERT_EQ(parts.records.count(7), 1u);
  EXPECT_EQ(parts.records.at(7), "");
}

TEST(SkinContainerSplit, LaterRecordWithTheSameIdReplacesTheEarlierOne) {
  SkinContainerParts parts;
  ASSERT_TRUE(SplitSkinContainer(Container("", {{5, "old"}, {6, "x"}, {5, "new"}}), parts));
  ASSERT_EQ(parts.records.size(), 2u);
  EXPECT_EQ(parts.records.at(5), "new");
}

TEST(SkinContainerSplit, IgnoresBytesAfterTheLastRecord) {
  SkinContainerParts parts;
  ASSERT_TRUE(SplitSkinContainer(Container("{}", {{1, "a"}}) + "trailing", parts));
  EXPECT_EQ(parts.records.size(), 1u);
}

TEST(SkinContainerSplit, RefusesBrokenContainersAndLeavesTheOutputAlone) {
  const std::string sound = Container("{}", {{100, "abc"}});
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"empty", ""},
      {"magic only partly there", ".ui"},
      {"wrong magic", "uir." + sound.substr(4)},
      {"magic in upper case", ".UIR" + sound.substr(4)},
      {"text length cut off", ".uir\x02"},
      {"text past the end", ".uir" + Le32(3) + "{}"},
      {"huge text length", ".uir" + Le32(0xFFFFFFFF) + "{}"},
      {"count missing", ".uir" + Le32(2) + "{}"},
      {"count cut off", ".uir" + Le32(2) + "{}" + std::string("\x01\x00", 2)},
      {"fewer records than counted", ".uir" + Le32(2) + "{}" + Le32(2) + Le32(1) + Le32(1) + "a"},
      {"huge count", ".uir" + Le32(0) + Le32(0xFFFFFFFF)},
      {"record id cut off", ".uir" + Le32(0) + Le32(1) + "\x01"},
      {"record size missing", ".uir" + Le32(0) + Le32(1) + Le32(100)},
      {"record data past the end", sound.substr(0, sound.size() - 1)},
      {"huge record size", ".uir" + Le32(0) + Le32(1) + Le32(100) + Le32(0xFFFFFFFF) + "abc"},
      {"record size one past the end", ".uir" + Le32(0) + Le32(1) + Le32(100) + Le32(4) + "abc"},
  };
  for (const Case& c : cases) {
    SkinContainerParts parts;
    parts.json_text = "before";
    parts.records[1] = "kept";
    EXPECT_FALSE(SplitSkinContainer(c.bytes, parts)) << c.name;
    EXPECT_EQ(parts.json_text, "before") << c.name;
    ASSERT_EQ(parts.records.size(), 1u) << c.name;
    EXPECT_EQ(parts.records.at(1), "kept") << c.name;
  }
}

TEST(SkinContainerSplit, RefusalDoesNotReadBeyondTheGivenBytes) {
  // The record's size claims the bytes that follow the view; they must not be
  // taken even though they are readable memory.
  const std::string whole = Container("", {{9, "abcdef"}});
  const std::string_view cut(whole.data(), whole.size() - 3);
  SkinContainerParts parts;
  EXPECT_FALSE(SplitSkinContainer(cut, parts));
  EXPECT_TRUE(parts.records.empty());
}

}  // namespace
