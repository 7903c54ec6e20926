// Run folders of the temporary uninstaller, in a scratch folder standing for
// the temporary folder: names, a new folder per run held against renaming,
// the protected access list read back, and the removal of earlier runs'
// leftovers.
#include "app/run_folder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "app/elevation.h"
#include "tests/app/access_list.h"
#include "tests/setup/scratch_folder.h"
#include "tests/setup/test_links.h"
#include "tests/setup/test_package.h"

namespace {

constexpr wchar_t kDigits32[] = L"0123456789abcdefABCDEF0123456789";

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring NameOf(const std::wstring& path) { return path.substr(path.find_last_of(L'\\') + 1); }

bool UnderWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

class RunFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch_.path().empty());
    temp_ = scratch_.path() + L"\\";
  }

  ScratchFolder scratch_;
  std::wstring temp_;
};

TEST(RunFolderNameTest, IsThePrefixAnd32HexadecimalDigits) {
  const struct {
    std::wstring name;
    bool run_folder;
  } cases[] = {
      {std::wstring(L"unins-") + kDigits32, true},
      {std::wstring(L"UNINS-") + kDigits32, true},
      {std::wstring(L"unins-") + std::wstring(kDigits32).substr(1), false},
      {std::wstring(L"unins-") + kDigits32 + L"0", false},
      {std::wstring(L"unins-") + std::wstring(31, L'0') + L"g", false},
      {std::wstring(L"unins_") + kDigits32, false},
      {std::wstring(L"xunins-") + std::wstring(kDigits32).substr(1), false},
      {L"unins000.exe", false},
      {L"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsRunFolderName(c.name), c.run_folder) << c.name;
}

TEST_F(RunFolderTest, EveryRunGetsANewFolderThatIsHeldAgainstRenaming) {
  UniqueHandle first_held;
  UniqueHandle second_held;
  const std::wstring first = CreateRunFolder(temp_, false, first_held);
  const std::wstring second = CreateRunFolder(temp_, false, second_held);
  ASSERT_FALSE(first.empty());
  ASSERT_FALSE(second.empty());
  EXPECT_NE(first, second);
  for (const std::wstring& folder : {first, second}) {
    EXPECT_TRUE(IsFolder(folder)) << folder;
    EXPECT_EQ(folder.substr(0, temp_.size()), temp_);
    EXPECT_TRUE(IsRunFolderName(NameOf(folder))) << folder;
  }
  EXPECT_TRUE(first_held);
  const std::wstring moved = temp_ + L"moved";
  EXPECT_FALSE(MoveFileW(first.c_str(), moved.c_str())) << "renamed while held";
  EXPECT_FALSE(RemoveDirectoryW(first.c_str())) << "removed while held";
  first_held.reset();
  EXPECT_TRUE(MoveFileW(first.c_str(), moved.c_str()));
}

TEST_F(RunFolderTest, NoFolderInAMissingTemporaryFolder) {
  UniqueHandle held;
  EXPECT_EQ(CreateRunFolder(temp_ + L"missing\\", false, held), L"");
  EXPECT_FALSE(held);
}

// Under Wine every process runs with a full administrator token, so the
// protected folder is what the uninstaller makes there; but Wine keeps no
// access lists (access_list.h), so there the test can only see that Everyone
// gets nothing, where an unprotected folder lets Everyone read.
TEST_F(RunFolderTest, AProtectedFolderLetsOnlyAdministratorsAndTheSystemWrite) {
  if (!RunsAsAdministrator()) GTEST_SKIP() << "needs administrator rights (an elevated run)";
  UniqueHandle held;
  const std::wstring folder = CreateRunFolder(temp_, true, held);
  ASSERT_FALSE(folder.empty());
  ASSERT_TRUE(held);
  const std::wstring file = folder + L"\\unins000.exe";
  ASSERT_TRUE(test_package::WriteFileBytes(file, "MZ"));
  const app_test::AccessList folder_list = app_test::ReadAccessList(folder);
  const app_test::AccessList file_list = app_test::ReadAccessList(file);
  ASSERT_FALSE(folder_list.entries.empty());
  if (app_test::RunsUnderWine()) {
    EXPECT_FALSE(app_test::GrantsEveryone(folder_list)) << folder_list.entries;
    UniqueHandle plain_held;
    const std::wstring plain = CreateRunFolder(temp_, false, plain_held);
    EXPECT_TRUE(app_test::GrantsEveryone(app_test::ReadAccessList(plain)));
    return;
  }
  EXPECT_NE(folder_list.flags.find(L'P'), std::wstring::npos) << "inherits the temporary folder's";
  EXPECT_EQ(folder_list.entries, L"(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)");
  EXPECT_EQ(file_list.entries, L"(A;ID;FA;;;BA)(A;ID;FA;;;SY)");
}

TEST_F(RunFolderTest, RemovesWhatEarlierRunsLeftAndNothingElse) {
  const std::wstring run = temp_ + L"unins-" + kDigits32;
  const std::wstring kept = temp_ + L"unins-" + std::wstring(32, L'7');
  const std::wstring not_ours = temp_ + L"unins-mine";
  const std::wstring file_named_so = temp_ + L"unins-" + std::wstring(32, L'8');
  for (const std::wstring& folder : {run, kept, not_ours}) {
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(test_package::WriteFileBytes(folder + L"\\unins000.exe", "MZ"));
    // A signed uninstaller's record, beside its copy.
    ASSERT_TRUE(test_package::WriteFileBytes(folder + L"\\unins000.dat", "{}"));
  }
  ASSERT_TRUE(test_package::WriteFileBytes(kept + L"\\notes.txt", "user data"));
  ASSERT_TRUE(test_package::WriteFileBytes(file_named_so, "a file"));

  RemoveEarlierRunFolders(temp_);

  EXPECT_FALSE(Exists(run));
  EXPECT_FALSE(Exists(kept + L"\\unins000.exe"));
  EXPECT_FALSE(Exists(kept + L"\\unins000.dat"));
  EXPECT_TRUE(Exists(kept + L"\\notes.txt"));
  EXPECT_TRUE(Exists(not_ours + L"\\unins000.exe"));
  EXPECT_TRUE(Exists(not_ours + L"\\unins000.dat"));
  EXPECT_TRUE(Exists(file_named_so));
}

// Earlier runs' folders are deleted through handles opened without following links: what a link
// points to always stays, and a run folder that is a link is never entered. Windows (NTFS
// symbolic links, which need the privilege to create, or developer mode; without it the test is
// skipped there) opens a copy that is a link as the link and deletes the link, and then the
// emptied folder. Wine (8) makes Unix links: one to a folder shows as a reparse point in the
// listing (attributes 0x410) and is skipped there; one to a file shows as a plain file (0x20),
// and Wine opens its target whatever the flags say (deleting through that handle deleted the
// target); its final path, the target's, gives it away, so the link stays, and its folder with it.
TEST_F(RunFolderTest, LinksInEarlierRunFoldersAreRemovedAsLinksNeverFollowed) {
  const std::wstring outside = temp_ + L"outside";
  ASSERT_TRUE(CreateDirectoryW(outside.c_str(), nullptr));
  ASSERT_TRUE(test_package::WriteFileBytes(outside + L"\\precious.txt", "user data"));
  ASSERT_TRUE(test_package::WriteFileBytes(outside + L"\\unins000.exe", "user program"));

  const std::wstring file_link_run = temp_ + L"unins-" + kDigits32;
  ASSERT_TRUE(CreateDirectoryW(file_link_run.c_str(), nullptr));
  if (!test_links::MakeLink(file_link_run + L"\\unins000.exe", outside + L"\\precious.txt",
                            false)) {
    GTEST_SKIP() << "this process can make no symbolic link";
  }
  const std::wstring folder_link_run = temp_ + L"unins-" + std::wstring(32, L'5');
  ASSERT_TRUE(test_links::MakeLink(folder_link_run, outside, true));

  RemoveEarlierRunFolders(temp_);

  std::string content;
  EXPECT_TRUE(test_package::ReadFileBytes(outside + L"\\precious.txt", content));
  EXPECT_EQ(content, "user data") << "the target of a link was deleted";
  EXPECT_TRUE(test_package::ReadFileBytes(outside + L"\\unins000.exe", content))
      << "a folder link was followed";
  EXPECT_EQ(content, "user program");
  EXPECT_EQ(Exists(file_link_run), UnderWine()) << "the link and then its emptied run folder go";
  EXPECT_TRUE(Exists(folder_link_run)) << "a run folder that is a link is left alone";
  RemoveDirectoryW(folder_link_run.c_str());
  DeleteFileW((file_link_run + L"\\unins000.exe").c_str());
}

// A run folder whose copy is held open by another program (a copy that still runs) keeps both;
// the next start removes them.
TEST_F(RunFolderTest, AHeldCopyStaysWithItsFolderUntilTheNextStart) {
  const std::wstring run = temp_ + L"unins-" + kDigits32;
  ASSERT_TRUE(CreateDirectoryW(run.c_str(), nullptr));
  const std::wstring copy = run + L"\\unins000.exe";
  ASSERT_TRUE(test_package::WriteFileBytes(copy, "MZ"));
  {
    const UniqueHandle held(CreateFileW(copy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    RemoveEarlierRunFolders(temp_);
    EXPECT_TRUE(Exists(copy));
  }
  RemoveEarlierRunFolders(temp_);
  EXPECT_FALSE(Exists(run));
}

}  // namespace
