#include "setup/shell_links.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <windows.h>

#include <string>

#include "setup/file_utils.h"
#include "setup/paths.h"
#include "tests/setup/scratch_folder.h"
#include "tests/setup/shell_link_reader.h"
#include "tests/setup/test_package.h"

namespace {

bool Exists(const std::wstring& path) { return PathFileExistsW(path.c_str()) != 0; }

// A shortcut name that no other test (or program) uses, with Chinese text.
std::wstring UniqueName(const wchar_t* stem) {
  return std::wstring(stem) + L"链接" + std::to_wstring(GetCurrentProcessId());
}

class ShellLinksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch_.path().empty());
    program_ = scratch_.Join(L"program.exe");
    ASSERT_TRUE(test_package::WriteFileBytes(program_, "MZ"));
  }
  ScratchFolder scratch_;
  std::wstring program_;
};

TEST_F(ShellLinksTest, LinkToProgramStartsInItsFolder) {
  const std::wstring link = scratch_.Join(L"a.lnk");
  ASSERT_TRUE(CreateShortcut(program_, link));
  LinkContents contents = ReadLink(link);
  ASSERT_TRUE(contents.loaded);
  EXPECT_EQ(program_, contents.target);
  EXPECT_EQ(scratch_.path(), contents.working_folder);
  EXPECT_EQ(L"", contents.description);
}

TEST_F(ShellLinksTest, LinkToFolderStartsInThatFolder) {
  const std::wstring folder = scratch_.Join(L"data");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring link = scratch_.Join(L"folder.lnk");
  ASSERT_TRUE(CreateShortcut(folder, link));
  LinkContents contents = ReadLink(link);
  EXPECT_EQ(folder, contents.target);
  EXPECT_EQ(folder, contents.working_folder);
}

TEST_F(ShellLinksTest, TargetWithChineseCharactersReadsBackUnchanged) {
  const std::wstring folder = scratch_.Join(L"数据");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring target = folder + L"\\程序.exe";
  ASSERT_TRUE(test_package::WriteFileBytes(target, "MZ"));
  const std::wstring link = scratch_.Join(L"中文.lnk");
  ASSERT_TRUE(CreateShortcut(target, link));
  LinkContents contents = ReadLink(link);
  ASSERT_TRUE(contents.loaded);
  EXPECT_EQ(folder, contents.working_folder);
  if (RunsOnWine()) GTEST_SKIP() << "Wine keeps link targets in the ANSI code page only";
  EXPECT_EQ(target, contents.target);
}

TEST_F(ShellLinksTest, MissingTargetWritesNoLink) {
  const std::wstring link = scratch_.Join(L"missing.lnk");
  EXPECT_FALSE(CreateShortcut(scratch_.Join(L"absent.exe"), link));
  EXPECT_FALSE(Exists(link));
}

TEST_F(ShellLinksTest, ExistingLinkIsOverwritten) {
  const std::wstring other = scratch_.Join(L"other.exe");
  ASSERT_TRUE(test_package::WriteFileBytes(other, "MZ"));
  const std::wstring link = scratch_.Join(L"same.lnk");
  ASSERT_TRUE(CreateShortcut(program_, link));
  ASSERT_TRUE(CreateShortcut(other, link));
  EXPECT_EQ(other, ReadLink(link).target);
}

TEST_F(ShellLinksTest, NameThatNoFileCanHaveFailsToSave) {
  EXPECT_FALSE(CreateShortcut(program_, scratch_.Join(L"a<b>|c.lnk")));
}

TEST_F(ShellLinksTest, DescribedLinkHasDescriptionAndNoWorkingFolder) {
  ScopedComInit com;
  const std::wstring link = scratch_.Join(L"start.lnk");
  ASSERT_TRUE(CreateDescribedShortcut(program_, L"Velto", link));
  LinkContents contents = ReadLink(link);
  EXPECT_EQ(program_, contents.target);
  EXPECT_EQ(L"Velto", contents.description);
  EXPECT_EQ(L"", contents.working_folder);
}

TEST_F(ShellLinksTest, DesktopShortcutLiesOnTheDesktopAndIsDeletedByName) {
  const std::wstring name = UniqueName(L"桌面");
  const std::wstring link = DesktopLinkPath(name);
  ASSERT_EQ(GetSpecialFolder(CSIDL_DESKTOPDIRECTORY) + L"\\" + name + L".lnk", link);
  ASSERT_TRUE(CreateDesktopShortcut(name, program_));
  EXPECT_EQ(program_, ReadLink(link).target);
  EXPECT_TRUE(DeleteDesktopShortcut(name));
  EXPECT_FALSE(Exists(link));
  EXPECT_FALSE(DeleteDesktopShortcut(name));
}

TEST_F(ShellLinksTest, QuickLaunchShortcutLiesInQuickLaunchAndIsDeletedByName) {
  // A fresh profile may lack the Quick Launch folder, which the shell
  // normally provides; make it for this test and remove it again if made.
  const std::wstring quick_launch = GetQuickLaunchFolder();
  ASSERT_FALSE(quick_launch.empty());
  const bool made = !Exists(quick_launch);
  ASSERT_TRUE(EnsureDirectory(quick_launch));
  const std::wstring name = UniqueName(L"任务栏");
  const std::wstring link = QuickLaunchLinkPath(name);
  EXPECT_EQ(quick_launch + L"\\" + name + L".lnk", link);
  EXPECT_TRUE(CreateQuickLaunchShortcut(name, program_));
  EXPECT_EQ(program_, ReadLink(link).target);
  EXPECT_EQ(scratch_.path(), ReadLink(link).working_folder);
  EXPECT_TRUE(DeleteQuickLaunchShortcut(name));
  EXPECT_FALSE(Exists(link));
  EXPECT_FALSE(DeleteQuickLaunchShortcut(name));
  if (made) RemoveDirectoryW(quick_launch.c_str());
}

}  // namespace
