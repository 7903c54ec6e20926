#include "tools/zip_writer.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "tests/tools/tool_test_support.h"
#include "tools/zip_listing.h"

namespace {

constexpr uint32_t kDosDate1980 = 0x00210000;  // 1980-01-01 00:00:00

uint32_t Crc(const std::string& bytes) {
  return static_cast<uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

std::string RandomBytes(size_t size) {
  std::mt19937 generator(42);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(generator());
  return bytes;
}

PayloadEntry File(const TempFolder& folder, const std::string& name, const std::string& bytes) {
  WriteFile(folder.Join("src/" + name), bytes);
  return {name, folder.Join("src/" + name), false, bytes.size()};
}

PayloadEntry Folder(const std::string& name) { return {name, "", true, 0}; }

std::vector<ZipEntryInfo> List(const std::string& path) {
  std::vector<ZipEntryInfo> entries;
  std::string problem;
  EXPECT_TRUE(ListZipArchive(path, 0, ReadFile(path).size(), true, entries, problem)) << problem;
  return entries;
}

TEST(ZipWriterTest, WritesEntriesWithFixedMetadata) {
  TempFolder folder;
  const std::string text(20000, 'a');
  const std::string noise = RandomBytes(5000);
  PayloadTree tree;
  tree.entries = {File(folder, "Velto.exe", text), Folder("docs/"),
                  File(folder, "docs/使用说明.txt", "说明"), File(folder, "empty.txt", ""),
                  File(folder, "noise.bin", noise)};
  std::string error;
  uint64_t last_files = 0;
  uint64_t last_bytes = 0;
  ASSERT_TRUE(WriteZipArchive(
      tree, folder.Join("a.zip"),
      [&](uint64_t files, uint64_t bytes) {
        EXPECT_GE(bytes, last_bytes);
        last_files = files;
        last_bytes = bytes;
      },
      error))
      << error;
  EXPECT_EQ(last_files, 4u);
  EXPECT_EQ(last_bytes, text.size() + 6 + noise.size());

  const std::vector<ZipEntryInfo> entries = List(folder.Join("a.zip"));
  ASSERT_EQ(entries.size(), 5u);
  struct Expected {
    const char* name;
    int method;
    uint64_t size;
    uint32_t crc;
    uint32_t attributes;
  };
  const Expected expected[] = {
      {"Velto.exe", 8, text.size(), Crc(text), 0x20},
      {"docs/", 0, 0, 0, 0x10},
      {"docs/使用说明.txt", 0, 6, Crc("说明"), 0x20},  // too short to shrink: stored
      {"empty.txt", 0, 0, 0, 0x20},
      {"noise.bin", 0, noise.size(), Crc(noise), 0x20},  // incompressible: stored
  };
  for (size_t i = 0; i < entries.size(); ++i) {
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(entries[i].name, expected[i].name);
    EXPECT_EQ(entries[i].method, expected[i].method);
    EXPECT_EQ(entries[i].size, expected[i].size);
    EXPECT_EQ(entries[i].crc, expected[i].crc);
    EXPECT_EQ(entries[i].external_attributes, expected[i].attributes);
    EXPECT_EQ(entries[i].dos_date, kDosDate1980);
    EXPECT_TRUE(entries[i].flag & (1u << 11)) << "name not flagged as UTF-8";
  }
  EXPECT_LT(entries[0].compressed_size, 200u);
  EXPECT_EQ(entries[4].compressed_size, noise.size());
}

TEST(ZipWriterTest, SameInputSameBytes) {
  TempFolder folder;
  PayloadTree tree;
  tree.entries = {Folder("a/"), File(folder, "a/b.txt", std::string(5000, 'b'))};
  std::string error;
  ASSERT_TRUE(WriteZipArchive(tree, folder.Join("1.zip"), nullptr, error)) << error;
  ASSERT_TRUE(WriteZipArchive(tree, folder.Join("2.zip"), nullptr, error)) << error;
  EXPECT_EQ(ReadFile(folder.Join("1.zip")), ReadFile(folder.Join("2.zip")));
}

TEST(ZipWriterTest, MoreThan65535EntriesGetAZip64EndRecord) {
  TempFolder folder;
  PayloadTree tree;
  for (int i = 0; i < 70000; ++i) tree.entries.push_back(Folder("d" + std::to_string(i) + "/"));
  tree.entries.push_back(File(folder, "last.txt", "last"));
  std::string error;
  ASSERT_TRUE(WriteZipArchive(tree, folder.Join("many.zip"), nullptr, error)) << error;
  const std::string bytes = ReadFile(folder.Join("many.zip"));
  EXPECT_NE(bytes.find(std::string("PK\x06\x06", 4)), std::string::npos);
  std::vector<ZipEntryInfo> entries;
  std::string problem;
  ASSERT_TRUE(ListZipArchive(folder.Join("many.zip"), 0, bytes.size(), false, entries, problem))
      << problem;
  ASSERT_EQ(entries.size(), 70001u);
  EXPECT_EQ(entries.back().name, "last.txt");
}

TEST(ZipWriterTest, FileThatChangedOrVanishedFails) {
  TempFolder folder;
  PayloadTree grown;
  grown.entries = {File(folder, "grown.txt", "now longer than announced")};
  grown.entries[0].size = 3;
  std::string error;
  EXPECT_FALSE(WriteZipArchive(grown, folder.Join("a.zip"), nullptr, error));
  EXPECT_NE(error.find("grown.txt': changed while it was packed"), std::string::npos) << error;

  PayloadTree vanished;
  vanished.entries = {{"gone.txt", folder.Join("gone.txt"), false, 1}};
  EXPECT_FALSE(WriteZipArchive(vanished, folder.Join("b.zip"), nullptr, error));
  EXPECT_NE(error.find("gone.txt': No such file"), std::string::npos) << error;
}

TEST(ZipListingTest, ReadsAnArchiveInsideALargerFileAndFindsDamage) {
  TempFolder folder;
  PayloadTree tree;
  tree.entries = {File(folder, "a.txt", std::string(3000, 'a'))};
  std::string error;
  ASSERT_TRUE(WriteZipArchive(tree, folder.Join("a.zip"), nullptr, error)) << error;
  const std::string zip = ReadFile(folder.Join("a.zip"));
  WriteFile(folder.Join("wrapped"), std::string(1000, 'P') + zip + std::string(7, 'T'));

  std::vector<ZipEntryInfo> entries;
  std::string problem;
  ASSERT_TRUE(ListZipArchive(folder.Join("wrapped"), 1000, zip.size(), true, entries, problem))
      << problem;
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "a.txt");

  // A range that misses the end of central directory record holds no archive.
  EXPECT_FALSE(
      ListZipArchive(folder.Join("wrapped"), 1000, zip.size() - 22, true, entries, problem));
  EXPECT_NE(problem.find("no ZIP archive"), std::string::npos) << problem;

  std::string damaged = zip;
  damaged[30 + 5 + 3] ^= 0x55;  // inside the deflated data of the only entry
  WriteFile(folder.Join("damaged.zip"), damaged);
  EXPECT_FALSE(
      ListZipArchive(folder.Join("damaged.zip"), 0, damaged.size(), true, entries, problem));
  EXPECT_NE(problem.find("'a.txt' is damaged"), std::string::npos) << problem;
}

}  // namespace
