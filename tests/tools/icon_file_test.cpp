#include "tools/icon_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "setup/package_format.h"

namespace {

const std::string kPng = std::string("\x89PNG\r\n\x1a\n", 8) + "rest of a PNG";

std::string Bitmap() {
  std::string bitmap(40 + 64, '\x22');
  StoreU32(40, reinterpret_cast<unsigned char*>(&bitmap[0]));
  return bitmap;
}

// An icon file of `images`, each entry stating `size_delta` more bytes than the image has.
std::string IconFile(const std::vector<std::string>& images, uint32_t size_delta = 0) {
  std::string file = std::string("\0\0\1\0", 4);
  file += static_cast<char>(images.size());
  file += '\0';
  uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
  for (const std::string& image : images) {
    file += std::string("\x20\x20\0\0\1\0\x20\0", 8);
    AppendU32(static_cast<uint32_t>(image.size()) + size_delta, file);
    AppendU32(offset, file);
    offset += static_cast<uint32_t>(image.size());
  }
  for (const std::string& image : images) file += image;
  return file;
}

TEST(IconFileTest, ReadsTheImagesOfAnIconFile) {
  std::vector<IconImage> images;
  std::string problem;
  ASSERT_TRUE(ParseIconFile(IconFile({Bitmap(), kPng}), images, problem)) << problem;
  ASSERT_EQ(images.size(), 2u);
  EXPECT_EQ(images[0].width, 32);
  EXPECT_EQ(images[0].bit_count, 32);
  EXPECT_EQ(images[0].data, Bitmap());
  EXPECT_EQ(images[1].data, kPng);
}

TEST(IconFileTest, RefusesWhatIsNoIconFile) {
  std::string cursor = IconFile({kPng});
  cursor[2] = 2;  // type 2: a cursor file
  const std::pair<const char*, std::string> cases[] = {
      {"is not an icon file: it is a GIF image; give a Windows icon file (.ico)", "GIF89a"},
      {"is not an icon file: it is a cursor (.cur)", cursor},
      {"is not an icon file: it is a PNG image", kPng},
      {"is not an icon file: it is a Windows program", "MZ\x90"},
      {"is not an icon file: it is empty", ""},
      {"is not an icon file: it is of a kind that is not known here", "text"},
      {"lists no image", IconFile({})},
      {"lies outside the file", IconFile({kPng}, 1)},
      {"neither a PNG nor a bitmap", IconFile({"JFIF image bytes"})},
  };
  for (const auto& [message, bytes] : cases) {
    std::vector<IconImage> images;
    std::string problem;
    EXPECT_FALSE(ParseIconFile(bytes, images, problem)) << message;
    EXPECT_NE(problem.find(message), std::string::npos) << problem;
  }
}

ResourceNode Leaf(uint32_t language, const std::string& data) {
  ResourceNode leaf;
  leaf.id = language;
  leaf.is_data = true;
  leaf.data = data;
  return leaf;
}

ResourceNode Entry(uint32_t id, std::vector<ResourceNode> children) {
  ResourceNode node;
  node.id = id;
  node.children = std::move(children);
  return node;
}

TEST(IconFileTest, ReplacesTheFirstGroupAndItsImagesOnly) {
  std::vector<IconImage> old_images;
  std::vector<IconImage> other;
  std::string problem;
  ASSERT_TRUE(ParseIconFile(IconFile({Bitmap(), Bitmap()}), old_images, problem));
  ASSERT_TRUE(ParseIconFile(IconFile({kPng}), other, problem));
  // Group 1 lists icons 1 and 2; group 7 (another icon of the program) lists icon 3.
  ResourceNode root;
  SetProgramIcon(root, old_images);
  ResourceNode& groups = root.children[1];
  ResourceNode second = groups.children[0];
  second.id = 7;
  ASSERT_EQ(root.children[0].id, kResourceTypeIcon);
  root.children[0].children.push_back(Entry(3, {Leaf(0, kPng)}));
  std::string group = second.children[0].data;
  group[4] = 1;
  group.resize(6 + 14);
  group[6 + 12] = 3;
  second.children[0].data = group;
  groups.children.push_back(second);
  groups.children[0].children[0].id = 0x804;

  std::vector<IconImage> images;
  ASSERT_TRUE(ParseIconFile(IconFile({kPng}), images, problem));
  SetProgramIcon(root, images);
  const std::vector<IconImage> now = ProgramIconImages(root);
  ASSERT_EQ(now.size(), 1u);
  EXPECT_EQ(now[0].data, kPng);
  const ResourceNode& icons = *FindResourceChild(root, kResourceTypeIcon);
  ASSERT_EQ(icons.children.size(), 2u) << "icons 1 and 2 replaced by one, icon 3 kept";
  EXPECT_EQ(icons.children[0].id, 1u);
  EXPECT_EQ(icons.children[0].children[0].id, 0x804u) << "the group's language";
  EXPECT_EQ(icons.children[1].id, 3u);
  EXPECT_EQ(FindResourceChild(root, kResourceTypeGroupIcon)->children.size(), 2u);
}

TEST(IconFileTest, AProgramWithoutAnIconGetsGroupOne) {
  std::vector<IconImage> images;
  std::string problem;
  ASSERT_TRUE(ParseIconFile(IconFile({Bitmap(), kPng}), images, problem));
  ResourceNode root;
  root.children.push_back(Entry(24, {Entry(1, {Leaf(0x409, "manifest")})}));
  SetProgramIcon(root, images);
  ASSERT_EQ(root.children.size(), 3u);
  EXPECT_EQ(root.children[0].id, kResourceTypeIcon) << "types stay in ascending order";
  EXPECT_EQ(root.children[1].id, kResourceTypeGroupIcon);
  EXPECT_EQ(root.children[2].id, 24u);
  EXPECT_EQ(root.children[1].children[0].id, 1u);
  EXPECT_EQ(root.children[1].children[0].children[0].id, 0u) << "language neutral";
  EXPECT_EQ(ProgramIconImages(root).size(), 2u);
}

}  // namespace
