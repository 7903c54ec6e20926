// The temporary uninstaller: which running file is the copy in a run folder
// of the temporary folder, and a copy (or a signed uninstaller's record) that
// cannot be made. (The copy made, checked, scheduled for removal and started
// is tested through the main window, main_window_test.cpp, and the record
// going along by app_unattended_deploy.)
#include "app/temporary_uninstaller.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/run_folder.h"
#include "setup/file_utils.h"
#include "tests/setup/scratch_folder.h"
#include "tests/setup/test_package.h"

namespace {

constexpr wchar_t kRunName[] = L"unins-0123456789abcdef0123456789ABCDEF";

std::wstring ShortForm(const std::wstring& path) {
  wchar_t buffer[MAX_PATH] = {};
  const DWORD length = GetShortPathNameW(path.c_str(), buffer, MAX_PATH);
  return length && length < MAX_PATH ? std::wstring(buffer, length) : std::wstring();
}

class TemporaryUninstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch_.path().empty());
    temp_ = scratch_.Join(L"Temporary Folder") + L"\\";
    ASSERT_TRUE(CreateDirectoryW(temp_.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((temp_ + kRunName).c_str(), nullptr));
    copy_ = temp_ + kRunName + L"\\unins000.exe";
    ASSERT_TRUE(test_package::WriteFileBytes(copy_, "MZ"));
  }

  // The names of the entries in the temporary folder.
  std::wstring Entries() const {
    std::wstring names;
    WIN32_FIND_DATAW entry;
    const HANDLE find = FindFirstFileW((temp_ + L"*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
      const std::wstring name = entry.cFileName;
      if (name != L"." && name != L"..") names += name + L";";
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return names;
  }

  ScratchFolder scratch_;
  std::wstring temp_;
  std::wstring copy_;
};

TEST_F(TemporaryUninstallerTest, OnlyTheCopyInARunFolderOfTheTemporaryFolderIsIt) {
  const std::wstring short_temp = ShortForm(temp_);
  ASSERT_FALSE(short_temp.empty());
  std::wstring upper = copy_;
  CharUpperBuffW(&upper[0], static_cast<DWORD>(upper.size()));
  std::wstring slashes = copy_;
  for (wchar_t& c : slashes) c = c == L'\\' ? L'/' : c;
  const std::wstring nested = temp_ + L"sub\\" + kRunName + L"\\unins000.exe";
  const struct {
    std::wstring self;
    std::wstring temp;
    bool copy;
  } cases[] = {
      {copy_, temp_, true},
      {upper, temp_, true},
      {slashes, temp_, true},
      {copy_, short_temp, true},
      {ShortForm(copy_), temp_, true},
      {temp_ + L"unins000.exe", temp_, false},
      {temp_ + kRunName + L"\\unins001.exe", temp_, false},
      {temp_ + L"unins-0123\\unins000.exe", temp_, false},
      {nested, temp_, false},
      {copy_, temp_ + L"sub\\", false},
      {copy_, L"", false},
      {scratch_.Join(L"unins000.exe"), temp_, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsTemporaryUninstaller(c.self, c.temp), c.copy) << c.self << " in " << c.temp;
  }
}

// The run folder of SetUp stands for an earlier run's leftovers: they go
// first, then the new run folder goes with the failed copy.
TEST_F(TemporaryUninstallerTest, ACopyThatFailsStartsNothingAndLeavesNothing) {
  UniqueHandle started;
  EXPECT_FALSE(StartTemporaryUninstaller(scratch_.Join(L"missing.exe"), temp_, L"/S", started));
  EXPECT_EQ(Entries(), L"");
  const std::wstring self = scratch_.Join(L"unins000.exe");
  ASSERT_TRUE(test_package::WriteFileBytes(self, "MZ"));
  EXPECT_FALSE(StartTemporaryUninstaller(self, L"", L"/S", started));
  EXPECT_FALSE(StartTemporaryUninstaller(self, temp_ + L"missing\\", L"/S", started));
  EXPECT_EQ(Entries(), L"");
  // A signed uninstaller whose record file cannot be copied along.
  EXPECT_FALSE(
      StartTemporaryUninstaller(self, temp_, L"/S", started, scratch_.Join(L"missing.dat")));
  EXPECT_EQ(Entries(), L"");
  EXPECT_FALSE(started);
}

// An elevated uninstall's installed uninstaller waits in a new protected run
// folder, never directly in the user's temporary folder; a per-user one may.
TEST_F(TemporaryUninstallerTest, AnElevatedUninstallerWaitsInAProtectedRunFolder) {
  UniqueHandle held;
  EXPECT_EQ(WaitingUninstallerPath(temp_, false, 42, held), temp_ + L"waiting-uninstaller-42.exe");
  EXPECT_FALSE(held);
  const std::wstring waiting = WaitingUninstallerPath(temp_, true, 42, held);
  ASSERT_TRUE(held);
  const size_t slash = waiting.find_last_of(L'\\');
  ASSERT_NE(slash, std::wstring::npos);
  EXPECT_EQ(waiting.substr(slash + 1), L"waiting-uninstaller-42.exe");
  const std::wstring folder = waiting.substr(0, slash);
  EXPECT_EQ(folder.rfind(temp_, 0), 0u);
  EXPECT_TRUE(IsRunFolderName(folder.substr(temp_.size())));
  // Its access list: run_folder_test.cpp (Wine keeps none).
  held.reset();
  RemoveDirectoryW(folder.c_str());
  EXPECT_EQ(WaitingUninstallerPath(temp_ + L"missing\\", true, 42, held), L"");
}

// The waiting uninstaller goes back only while it holds the bytes moved out:
// one swapped meanwhile stays where it is, and nothing replaces a file at home.
TEST_F(TemporaryUninstallerTest, OnlyTheBytesMovedOutAreMovedBack) {
  const std::wstring home = scratch_.Join(L"unins000.exe");
  const std::wstring waiting = temp_ + L"waiting-uninstaller-7.exe";
  const std::string moved = "MZ the installed uninstaller";
  const struct {
    std::string waiting;
    bool home_taken;
    bool returned;
  } cases[] = {
      {moved, false, true},
      {"MZ a swapped program", false, false},
      {moved + "!", false, false},
      {moved, true, false},
  };
  for (const auto& row : cases) {
    ASSERT_TRUE(test_package::WriteFileBytes(waiting, row.waiting));
    if (row.home_taken) {
      ASSERT_TRUE(test_package::WriteFileBytes(home, "left by the uninstall"));
    }
    EXPECT_EQ(ReturnWaitingUninstaller(waiting, home, moved), row.returned) << row.waiting;
    std::string at_home;
    const bool home_exists = ReadWholeFile(home, at_home);
    EXPECT_EQ(home_exists, row.returned || row.home_taken);
    EXPECT_EQ(at_home, row.returned     ? moved
                       : row.home_taken ? "left by the uninstall"
                                        : std::string());
    EXPECT_EQ(GetFileAttributesW(waiting.c_str()) != INVALID_FILE_ATTRIBUTES, !row.returned);
    DeleteFileW(waiting.c_str());
    DeleteFileW(home.c_str());
  }
  EXPECT_FALSE(ReturnWaitingUninstaller(waiting, home, moved));
}

}  // namespace
