// The resource tree reader and writer on crafted images whose directories are laid out by hand;
// the version resource reader (tools/version_resource.cpp, a walker of its own) checks that a
// rewritten tree still reads as Windows would read it.
#include "tools/pe_resources.h"

#include <gtest/gtest.h>

#include <string>

#include "setup/package_format.h"
#include "setup/pe_image.h"
#include "tests/tools/tool_test_support.h"
#include "tools/pe_stub.h"
#include "tools/version_resource.h"

namespace {

constexpr size_t kOptional = 128 + 24;
constexpr size_t kSectionTable = kOptional + 224;

uint32_t U32At(const std::string& bytes, size_t at) {
  return LoadU32(reinterpret_cast<const unsigned char*>(&bytes[at]));
}

uint16_t U16At(const std::string& bytes, size_t at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                               static_cast<unsigned char>(bytes[at + 1]) << 8);
}

void Put32At(std::string& bytes, size_t at, uint32_t value) {
  StoreU32(value, reinterpret_cast<unsigned char*>(&bytes[at]));
}

std::string VersionOf(const std::string& image) {
  MemoryByteSource source(image);
  return ReadProductVersion(source);
}

// `image` with a second section (".reloc", 0x200 raw bytes at RVA 0x2000) behind its first, so
// that the resources are no longer in the last section.
std::string WithTrailingSection(std::string image) {
  const size_t header = kSectionTable + 40;
  image.replace(header, 6, ".reloc");
  Put32At(image, header + 8, 0x10);
  Put32At(image, header + 12, 0x2000);
  Put32At(image, header + 16, 0x200);
  Put32At(image, header + 20, static_cast<uint32_t>(image.size()));
  image[128 + 6] = 2;
  Put32At(image, kOptional + 56, 0x3000);
  return image + std::string(0x200, 'r');
}

ResourceNode Leaf(uint32_t language, const std::string& data) {
  ResourceNode leaf;
  leaf.id = language;
  leaf.is_data = true;
  leaf.data = data;
  return leaf;
}

ResourceNode Directory(uint32_t id, std::vector<ResourceNode> children) {
  ResourceNode node;
  node.id = id;
  node.children = std::move(children);
  return node;
}

TEST(PeResourcesTest, ReadsAHandMadeTree) {
  const std::string image = MakeProgramWithResource(10, u"BRINDLE_SETUP", 0, "tag");
  ResourceNode root;
  std::string problem;
  ASSERT_TRUE(ReadResourceTree(image, root, problem)) << problem;
  ASSERT_EQ(root.children.size(), 1u);
  const ResourceNode* type = FindResourceChild(root, kResourceTypeRcData);
  ASSERT_NE(type, nullptr);
  const ResourceNode* named = FindResourceChild(*type, u"brindle_setup");
  ASSERT_NE(named, nullptr) << "names compare ignoring ASCII case";
  EXPECT_EQ(named->name, u"BRINDLE_SETUP");
  ASSERT_EQ(named->children.size(), 1u);
  EXPECT_EQ(named->children[0].id, 0x409u);
  EXPECT_TRUE(named->children[0].is_data);
  EXPECT_EQ(named->children[0].data, "tag");
  EXPECT_EQ(FindResourceChild(*type, 1), nullptr);

  ResourceNode empty;
  ASSERT_TRUE(ReadResourceTree(MakeStub(), empty, problem));
  EXPECT_TRUE(empty.children.empty()) << "no resource directory: an empty tree";
}

TEST(PeResourcesTest, RewritesTheLastSectionInPlace) {
  const std::string original = MakeVersionedProgram("1.2.0", {1, 2, 0, 0});
  ResourceNode root;
  std::string problem;
  ASSERT_TRUE(ReadResourceTree(original, root, problem)) << problem;
  ResourceNode added = Directory(kResourceTypeRcData, {});
  added.children.push_back(Directory(0, {Leaf(0, std::string(3000, 'x'))}));
  added.children[0].name = u"BRINDLE_SETUP";
  root.children.insert(root.children.begin(), added);

  std::string image = original;
  ASSERT_TRUE(ReplaceResourceTree(image, root, problem)) << problem;
  StubImage stub;
  EXPECT_EQ(CheckStub(image, stub), "") << "the file must end where its last section ends";
  EXPECT_EQ(U16At(image, 128 + 6), 1) << "no section added";
  const uint32_t raw_size = U32At(image, kSectionTable + 16);
  EXPECT_EQ(raw_size % 0x200, 0u);
  EXPECT_EQ(image.size(), 0x200u + raw_size);
  EXPECT_EQ(U32At(image, kOptional + 56),
            0x1000 + ((U32At(image, kSectionTable + 8) + 0xFFF) & ~0xFFFu))
      << "SizeOfImage";
  EXPECT_EQ(U32At(image, kOptional + 64), 0u) << "CheckSum";
  EXPECT_EQ(VersionOf(image), "1.2.0");

  ResourceNode reread;
  ASSERT_TRUE(ReadResourceTree(image, reread, problem)) << problem;
  const ResourceNode* type = FindResourceChild(reread, kResourceTypeRcData);
  ASSERT_NE(type, nullptr);
  ASSERT_NE(FindResourceChild(*type, u"BRINDLE_SETUP"), nullptr);
  EXPECT_EQ(FindResourceChild(*type, u"BRINDLE_SETUP")->children[0].data, std::string(3000, 'x'));
  EXPECT_EQ(reread.children.size(), 2u);
}

TEST(PeResourcesTest, AppendsASectionWhenTheResourcesAreNotLast) {
  const std::string original = WithTrailingSection(MakeVersionedProgram("3.1", {3, 1, 0, 0}));
  ResourceNode root;
  std::string problem;
  ASSERT_TRUE(ReadResourceTree(original, root, problem)) << problem;
  std::string image = original;
  ASSERT_TRUE(ReplaceResourceTree(image, root, problem)) << problem;

  EXPECT_EQ(U16At(image, 128 + 6), 3);
  const size_t header = kSectionTable + 80;
  EXPECT_EQ(image.substr(header, 8), std::string(".rsrc\0\0\0", 8));
  EXPECT_EQ(U32At(image, header + 12), 0x3000u) << "behind the image in memory";
  EXPECT_EQ(U32At(image, header + 20), original.size()) << "behind the file's last byte";
  EXPECT_EQ(image.size(), original.size() + U32At(image, header + 16));
  EXPECT_EQ(U32At(image, kOptional + 96 + 16), 0x3000u) << "the resource directory entry";
  EXPECT_EQ(U32At(image, kOptional + 56), 0x4000u) << "SizeOfImage";
  EXPECT_EQ(image.substr(0, 0x200 + 0x200).substr(0x200), original.substr(0x200, 0x200))
      << "the old section stays where it was";
  StubImage stub;
  EXPECT_EQ(CheckStub(image, stub), "");
  EXPECT_EQ(VersionOf(image), "3.1");
}

// The linker's layout: .reloc behind .rsrc. The new tree takes the resource section's place and
// the relocations move behind it, byte for byte, so the old tree leaves no copy behind.
TEST(PeResourcesTest, ReplacesInPlaceAndMovesTheRelocationsBehind) {
  std::string original = WithTrailingSection(MakeVersionedProgram("3.1", {3, 1, 0, 0}));
  ASSERT_GT(U32At(original, kOptional + 92), 5u) << "NumberOfRvaAndSizes";
  Put32At(original, kOptional + 96 + 8 * 5, 0x2000);  // base relocation directory
  Put32At(original, kOptional + 96 + 8 * 5 + 4, 0x10);
  ResourceNode root;
  std::string problem;
  ASSERT_TRUE(ReadResourceTree(original, root, problem)) << problem;
  ResourceNode added = Directory(kResourceTypeRcData, {});
  added.children.push_back(Directory(7, {Leaf(0, std::string(0x1800, 'x'))}));
  root.children.push_back(added);
  std::string image = original;
  ASSERT_TRUE(ReplaceResourceTree(image, root, problem)) << problem;

  EXPECT_EQ(U16At(image, 128 + 6), 2) << "no section added";
  const uint32_t tree_size = U32At(image, kSectionTable + 8);
  const uint32_t tree_raw = U32At(image, kSectionTable + 16);
  EXPECT_GT(tree_size, 0x1800u);
  const size_t relocations = kSectionTable + 40;
  const uint32_t moved_rva = 0x1000 + ((tree_size + 0xFFF) & ~0xFFFu);
  EXPECT_EQ(U32At(image, relocations + 12), moved_rva) << "right behind the tree in memory";
  EXPECT_EQ(U32At(image, relocations + 20), 0x200 + tree_raw) << "and in the file";
  EXPECT_EQ(U32At(image, kOptional + 96 + 8 * 5), moved_rva) << "the relocation directory";
  EXPECT_EQ(U32At(image, kOptional + 96 + 8 * 5 + 4), 0x10u);
  EXPECT_EQ(U32At(image, kOptional + 56), moved_rva + 0x1000) << "SizeOfImage";
  EXPECT_EQ(image.size(), 0x200u + tree_raw + 0x200) << "the old tree is gone";
  EXPECT_EQ(image.substr(0x200 + tree_raw), std::string(0x200, 'r'));
  StubImage stub;
  EXPECT_EQ(CheckStub(image, stub), "");
  EXPECT_EQ(VersionOf(image), "3.1");
  ResourceNode reread;
  ASSERT_TRUE(ReadResourceTree(image, reread, problem)) << problem;
  const ResourceNode* type = FindResourceChild(reread, kResourceTypeRcData);
  ASSERT_NE(type, nullptr);
  ASSERT_NE(FindResourceChild(*type, 7), nullptr);
  EXPECT_EQ(FindResourceChild(*type, 7)->children[0].data, std::string(0x1800, 'x'));
}

// A section's raw data may reach past its virtual size, and readers map RVAs through it: the new
// section goes behind that too, or the tree's first bytes would be read from the other section
// (the PE resources fuzzer found such an image).
TEST(PeResourcesTest, AnAppendedSectionGoesBehindEverySectionsRawData) {
  std::string original = WithTrailingSection(MakeVersionedProgram("3.1", {3, 1, 0, 0}));
  Put32At(original, kSectionTable + 40 + 16, 0x1010);  // .reloc's raw data up to RVA 0x3010
  original += std::string(0x1010 - 0x200, 'r');
  ResourceNode root;
  std::string problem;
  ASSERT_TRUE(ReadResourceTree(original, root, problem)) << problem;
  std::string image = original;
  ASSERT_TRUE(ReplaceResourceTree(image, root, problem)) << problem;
  EXPECT_EQ(U32At(image, kSectionTable + 80 + 12), 0x4000u);
  EXPECT_EQ(VersionOf(image), "3.1");
}

TEST(PeResourcesTest, RefusesWhenTheHeadersHaveNoRoom) {
  std::string image = WithTrailingSection(MakeVersionedProgram("3.1", {3, 1, 0, 0}));
  image.replace(kSectionTable + 80, 40, std::string(40, 'h'));
  const std::string before = image;
  ResourceNode root;
  std::string problem;
  ASSERT_TRUE(ReadResourceTree(image, root, problem)) << problem;
  EXPECT_FALSE(ReplaceResourceTree(image, root, problem));
  EXPECT_NE(problem.find("has no room in its headers for another section"), std::string::npos);
  EXPECT_EQ(image, before);
}

// A file alignment no PE image may have (over 64 KiB) would be padding to allocate for a new
// section: refused before anything is allocated (a fuzzer found 2 GiB asked for).
TEST(PeResourcesTest, AHugeFileAlignmentIsRefused) {
  std::string image = MakeProgramWithResource(10, u"", 5, "data");
  const std::string before = image;
  const size_t file_alignment = 128 + 4 + 20 + 36;  // e_lfanew, signature, COFF header
  Put32At(image, file_alignment, 0x80000000u);
  ResourceNode root;
  std::string problem;
  ASSERT_TRUE(ReadResourceTree(before, root, problem)) << problem;
  EXPECT_FALSE(ReplaceResourceTree(image, root, problem));
  EXPECT_NE(problem.find("alignments"), std::string::npos) << problem;
}

TEST(PeResourcesTest, DamagedTreesAreRefused) {
  struct Case {
    const char* name;
    size_t at;  // offset into the resource section (file offset 0x200)
    uint32_t value;
    const char* problem;
  };
  const Case cases[] = {
      {"a directory that holds itself", 0x14, 0x80000000u, "deeper than 8 levels"},
      {"a subdirectory outside", 0x14, 0x80010000u, "outside the image's sections"},
      {"data outside", 0x48, 0x9000, "a resource's data lies outside"},
      {"too many entries", 0x0E, 0xFFFF, "entries lie outside"},
  };
  for (const Case& c : cases) {
    std::string image = MakeProgramWithResource(10, u"", 5, "data");
    Put32At(image, 0x200 + c.at, c.value);
    ResourceNode root;
    std::string problem;
    EXPECT_FALSE(ReadResourceTree(image, root, problem)) << c.name;
    EXPECT_NE(problem.find(c.problem), std::string::npos) << c.name << ": " << problem;
  }
}

}  // namespace
