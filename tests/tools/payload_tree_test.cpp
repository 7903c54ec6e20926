#include "tools/payload_tree.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/tools/tool_test_support.h"

namespace {

std::vector<std::string> Names(const PayloadTree& tree) {
  std::vector<std::string> names;
  for (const PayloadEntry& entry : tree.entries) names.push_back(entry.name);
  return names;
}

std::string Problems(const std::vector<std::string>& problems) {
  std::string all;
  for (const std::string& problem : problems) all += problem + "\n";
  return all;
}

TEST(PayloadTreeTest, ListsFoldersAndFilesInByteOrder) {
  TempFolder folder;
  WriteFile(folder.Join("payload/Velto.exe"), "MZ");
  WriteFile(folder.Join("payload/docs/使用说明.txt"), "说明");
  WriteFile(folder.Join("payload/data/themes/dark.ini"), "[theme]\n");
  WriteFile(folder.Join("payload/data-old.txt"), "");
  ASSERT_EQ(mkdir(folder.Join("payload/empty").c_str(), 0755), 0);

  std::vector<std::string> problems;
  const PayloadTree tree = ScanPayload(folder.Join("payload"), problems);
  EXPECT_EQ(Problems(problems), "");
  const std::vector<std::string> expected = {
      "Velto.exe", "data-old.txt",      "data/", "data/themes/", "data/themes/dark.ini",
      "docs/",     "docs/使用说明.txt", "empty/"};
  EXPECT_EQ(Names(tree), expected);
  EXPECT_EQ(tree.file_count, 4u);
  EXPECT_EQ(tree.total_bytes, 2u + 6u + 8u);
  EXPECT_TRUE(tree.entries[2].is_folder);
  EXPECT_EQ(tree.entries[4].source, folder.Join("payload/data/themes/dark.ini"));

  EXPECT_TRUE(PayloadHasFile(tree, "Velto.exe"));
  EXPECT_TRUE(PayloadHasFile(tree, "docs\\使用说明.txt"));
  EXPECT_TRUE(PayloadHasFile(tree, "data/themes/dark.ini"));
  EXPECT_FALSE(PayloadHasFile(tree, "docs"));
  EXPECT_FALSE(PayloadHasFile(tree, "velto.exe"));
}

TEST(PayloadTreeTest, ReportsEveryProblemWithItsPath) {
  TempFolder folder;
  const std::string root = folder.Join("payload");
  WriteFile(root + "/ok.txt", "ok");
  WriteFile(root + "/bad\xFF.txt", "x");
  WriteFile(root + "/sub/a:b.txt", "x");
  WriteFile(root + "/sub/CON.txt", "x");
  WriteFile(root + "/Readme.txt", "x");
  WriteFile(root + "/README.txt", "x");
  WriteFile(root + "/locked.txt", "x");
  ASSERT_EQ(chmod((root + "/locked.txt").c_str(), 0), 0);
  ASSERT_EQ(symlink("ok.txt", (root + "/link.txt").c_str()), 0);

  std::vector<std::string> problems;
  ScanPayload(root, problems);
  const std::string all = Problems(problems);
  EXPECT_NE(all.find("'" + root + "/bad\xFF.txt' is not valid UTF-8"), std::string::npos) << all;
  EXPECT_NE(all.find("'" + root + "/sub/a:b.txt' holds the character ':'"), std::string::npos)
      << all;
  EXPECT_NE(all.find("'" + root + "/sub/CON.txt' is a reserved device name"), std::string::npos)
      << all;
  EXPECT_NE(all.find("differ only in case"), std::string::npos) << all;
  EXPECT_NE(all.find("'" + root + "/link.txt' is a symbolic link"), std::string::npos) << all;
  if (geteuid() != 0) {  // root reads files regardless of their permissions
    EXPECT_NE(all.find("'" + root + "/locked.txt' cannot be read"), std::string::npos) << all;
  }
}

TEST(PayloadTreeTest, RootProblems) {
  TempFolder folder;
  WriteFile(folder.Join("file"), "x");
  ASSERT_EQ(mkdir(folder.Join("empty").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(folder.Join("only-folders").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(folder.Join("only-folders/sub").c_str(), 0755), 0);
  struct Case {
    std::string root;
    std::string problem;
  };
  const Case cases[] = {
      {folder.Join("missing"), "payload folder '" + folder.Join("missing") + "': No such file"},
      {folder.Join("file"), "payload folder '" + folder.Join("file") + "' is not a folder"},
      {folder.Join("empty"), "holds no files"},
      {folder.Join("only-folders"), "holds no files"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> problems;
    ScanPayload(c.root, problems);
    ASSERT_EQ(problems.size(), 1u) << c.root;
    EXPECT_NE(problems[0].find(c.problem), std::string::npos) << problems[0];
  }
}

}  // namespace
