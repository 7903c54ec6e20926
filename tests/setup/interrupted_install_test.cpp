// Installs interrupted as a kill or a power cut would interrupt them, and
// the recovery at the next start: an upgrade (files replaced, one held open
// by another program, files and folders added and dropped, shortcuts,
// registration) stopped after each of its disk steps in turn must, after the
// recovery, leave exactly the earlier install, which then uninstalls without
// a trace; a journal whose last record is torn undoes the complete records
// only.
//
// The journal's folder allows writing to Administrators and SYSTEM only;
// Wine (8.0) keeps that access list but checks no access list at all, and
// every Wine process has an administrator token, so what a standard user
// could not do there is not tested here.
#include <gtest/gtest.h>
#include <windows.h>
// clang-format off
#include <aclapi.h>
#include <sddl.h>
// clang-format on

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "json/json_reader.h"
#include "json/json_value.h"
#include "json/json_writer.h"
#include "setup/install_engine.h"
#include "setup/install_journal.h"
#include "setup/journal_file.h"
#include "setup/journal_recovery.h"
#include "setup/package_layout.h"
#include "setup/process_rights.h"
#include "setup/uninstall_engine.h"
#include "tests/setup/child_process.h"
#include "tests/setup/engine_test_support.h"
#include "tests/setup/recording_sink.h"
#include "tests/setup/scratch_folder.h"
#include "tests/setup/test_links.h"
#include "tests/setup/test_package.h"

namespace {

using namespace engine_test;
using test_package::ZipEntry;

constexpr long kStopped = 77;  // the helper's exit code when it stopped itself
constexpr InstallScope kMachine = InstallScope::kMachine;

// Every value of the product's Uninstall entry: name -> type and bytes.
std::map<std::wstring, std::string> EntryValues() {
  std::map<std::wstring, std::string> values;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return values;
  }
  wchar_t name[256];
  BYTE data[4096];
  for (DWORD index = 0;; ++index) {
    DWORD name_size = 256;
    DWORD data_size = sizeof data;
    DWORD type = 0;
    if (RegEnumValueW(key, index, name, &name_size, nullptr, &type, data, &data_size) !=
        ERROR_SUCCESS) {
      break;
    }
    values[name] =
        std::to_string(type) + ":" + std::string(reinterpret_cast<const char*>(data), data_size);
  }
  RegCloseKey(key);
  return values;
}

bool UserKeyExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kProductKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

// What an install may touch: the test's area, the entry and the shortcuts.
struct Places {
  std::map<std::wstring, std::string> area;
  std::map<std::wstring, std::string> entry;
  std::map<std::wstring, std::string> start_menu;
  std::string desktop_link;
  std::string quick_launch_link;
};

void ExpectSamePlaces(const Places& expected, const Places& actual) {
  EXPECT_EQ(expected.area, actual.area);
  EXPECT_EQ(expected.entry, actual.entry);
  EXPECT_EQ(expected.start_menu, actual.start_menu);
  EXPECT_EQ(expected.desktop_link, actual.desktop_link);
  EXPECT_EQ(expected.quick_launch_link, actual.quick_launch_link);
}

std::string LinkBytes(const std::wstring& link) {
  return Exists(link) ? Content(link) : std::string("<none>");
}

class InterruptedInstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch_.path().empty());
    area_ = scratch_.Join(L"area");
    folder_ = area_ + L"\\Velto 安装";
    link_ = places_.LinkName(L"Velto");
    const JsonValue shortcuts =
        ShortcutLists({Shortcut(link_, L"Velto.exe")}, {Shortcut(link_, L"Velto.exe")});
    earlier_ = Package(
        L"v1",
        {File("aaa.dll", "old library"), File("Velto.exe", "old program"), File("data/", ""),
         File("data/old.txt", "old data"), File("gone.txt", "only in v1")},
        shortcuts);
    upgrade_ = Package(L"v2",
                       {File("aaa.dll", "new library"), File("Velto.exe", "new program"),
                        File("data/new.txt", "new data"), File("extra/deep/x.txt", "x")},
                       shortcuts);
  }

  // The entry of a per-user install (ProductPlaces removes the machine's).
  void TearDown() override { RegDeleteKeyW(HKEY_CURRENT_USER, kProductKey); }

  static ZipEntry File(const std::string& name, const std::string& data) { return {name, data}; }

  std::wstring Package(const std::wstring& name, const std::vector<ZipEntry>& entries,
                       const JsonValue& shortcuts) {
    const std::string archive = test_package::BuildZip(entries);
    const std::wstring path = scratch_.Join(name + L".exe");
    EXPECT_TRUE(test_package::WriteFileBytes(
        path, test_package::BuildPackage(SetupConfigText(L"Velto.exe", shortcuts), &archive)));
    return path;
  }

  Places Now() const {
    return {Tree(area_), EntryValues(), Tree(StartMenuFolder()), LinkBytes(DesktopLinkPath(link_)),
            LinkBytes(QuickLaunchLinkPath(link_))};
  }

  void InstallEarlier() {
    ASSERT_TRUE(EnsureDirectory(area_));
    RecordingSink sink(folder_, true, true, true);
    ASSERT_TRUE(RunInstallFromPackage(earlier_, sink));
  }

  // Runs the helper's `mode` (with its arguments before the step count),
  // stopped after `steps` disk steps (0: never); the helper's exit code,
  // kStopped whenever it says it stopped.
  static long StoppedAfter(const std::wstring& mode, long steps) {
    NamedEvent stopped;
    ChildProcess helper(test_package::SiblingProgram(L"setup_engine_helper.exe"),
                        mode + L" " + std::to_wstring(steps) + L" " + stopped.name());
    const long code = helper.WaitExit(60000);
    return WaitForSingleObject(stopped.get(), 0) == WAIT_OBJECT_0 ? kStopped : code;
  }
  // The upgrade (or a fresh install of it), `failing` once its journal is
  // there (see the helper's install-fail-stop).
  long UpgradeStoppedAfter(long steps, bool failing = false) {
    return StoppedAfter(std::wstring(failing ? L"install-fail-stop" : L"install-stop") + L" \"" +
                            upgrade_ + L"\" \"" + folder_ + L"\"",
                        steps);
  }

  // Uninstalls through a copy of the installed uninstaller; then nothing of
  // the product may be left: the area holds `left` (what was there before).
  void UninstallLeavesNothing(const std::map<std::wstring, std::string>& left = {}) {
    const std::wstring copy = scratch_.Join(L"uninstaller-copy.exe");
    ASSERT_TRUE(CopyFileW((folder_ + L"\\unins000.exe").c_str(), copy.c_str(), FALSE));
    RecordingSink sink(std::wstring(), false, false, false);
    EXPECT_TRUE(RunUninstallFromPackage(copy, sink));
    EXPECT_EQ(left, Tree(area_));
    EXPECT_FALSE(ProductKeyExists());
    EXPECT_FALSE(Exists(StartMenuFolder()));
    EXPECT_FALSE(Exists(DesktopLinkPath(link_)));
    EXPECT_FALSE(Exists(QuickLaunchLinkPath(link_)));
    EXPECT_FALSE(Exists(JournalFolderOf(L"Velto", kMachine) + L"\\run.journal"));
  }

  ScratchFolder scratch_;
  ProductPlaces places_;
  std::wstring area_;
  std::wstring folder_;
  std::wstring link_;
  std::wstring earlier_;
  std::wstring upgrade_;
};

TEST_F(InterruptedInstallTest, AnUpgradeStoppedAfterAnyDiskStepIsUndoneOrFinished) {
  // The upgrade run to its end, for the runs stopped after their commit.
  InstallEarlier();
  ASSERT_EQ(0, UpgradeStoppedAfter(0));
  const Places upgraded = Now();
  UninstallLeavesNothing();

  int undone = 0;
  int finished = 0;
  long steps = 1;
  for (;; ++steps) {
    SCOPED_TRACE("stopped after disk step " + std::to_string(steps));
    InstallEarlier();
    NamedEvent ready;
    NamedEvent quit;
    ChildProcess holder(test_package::SiblingProgram(L"setup_engine_helper.exe"),
                        L"hold \"" + folder_ + L"\\aaa.dll\" " + ready.name() + L" " + quit.name());
    ASSERT_TRUE(holder.WaitReady(ready.get()));
    const Places before = Now();

    const long code = UpgradeStoppedAfter(steps);
    const RecoveryResult recovery = RecoverInterruptedRun(L"Velto", kMachine);
    quit.Set();
    EXPECT_EQ(0, holder.WaitExit());
    if (code == 0) {
      EXPECT_FALSE(recovery.found);
      UninstallLeavesNothing();
      break;
    }
    ASSERT_EQ(kStopped, code);
    EXPECT_TRUE(recovery.found);
    EXPECT_FALSE(recovery.torn);
    EXPECT_TRUE(recovery.unrestored.empty());
    const Places after = Now();
    ++(recovery.committed ? finished : undone);
    if (recovery.committed) {
      // Link files name their target's times: only their presence compares.
      EXPECT_EQ(upgraded.area, after.area);
      EXPECT_EQ(upgraded.entry, after.entry);
      EXPECT_EQ(upgraded.start_menu.size(), after.start_menu.size());
    } else {
      ExpectSamePlaces(before, after);
    }
    UninstallLeavesNothing();
    if (HasFatalFailure() || HasFailure()) break;
  }
  // The upgrade has more steps than its files: folders, moves, links, entry;
  // the last ones (deleting the originals replaced) come after the commit.
  EXPECT_GT(undone, 15);
  EXPECT_GT(finished, 3);
}

// A fresh install, into a folder that is not there and into an empty one,
// stopped after each disk step: the recovery leaves the area as it was,
// without entry or shortcuts.
TEST_F(InterruptedInstallTest, AFreshInstallStoppedAfterAnyDiskStepLeavesNothing) {
  for (const bool folder_exists : {false, true}) {
    for (long steps = 1;; ++steps) {
      SCOPED_TRACE(std::string(folder_exists ? "empty folder" : "no folder") +
                   ", stopped after disk step " + std::to_string(steps));
      ASSERT_TRUE(EnsureDirectory(folder_exists ? folder_ : area_));
      const auto before = Tree(area_);
      const long code = UpgradeStoppedAfter(steps);
      const RecoveryResult recovery = RecoverInterruptedRun(L"Velto", kMachine);
      if (code == 0) {
        UninstallLeavesNothing(before);
        break;
      }
      ASSERT_EQ(kStopped, code);
      EXPECT_TRUE(recovery.unrestored.empty());
      if (!recovery.committed) {
        EXPECT_EQ(before, Tree(area_));
        EXPECT_FALSE(ProductKeyExists());
        EXPECT_FALSE(Exists(DesktopLinkPath(link_)));
        EXPECT_FALSE(Exists(QuickLaunchLinkPath(link_)));
        EXPECT_FALSE(Exists(StartMenuFolder()));
      } else {
        UninstallLeavesNothing(before);
      }
      ScratchFolder::RemoveTree(area_);
      if (HasFailure()) return;
    }
  }
}

// A fresh install that fails once its journal is there (the helper's machine
// registry turns unwritable), stopped after each disk step of the run and,
// once past its failure, of its rollback; then, stopped in the
// middle, a recovery that is itself stopped after each of its disk steps. The
// next start always leaves the area, the entry and the shortcuts as before.
TEST_F(InterruptedInstallTest, AStopDuringARollBackOrARecoveryIsUndoneAtTheNextStart) {
  ASSERT_TRUE(EnsureDirectory(area_));
  const Places before = Now();
  const auto expect_as_before = [&] {
    const RecoveryResult recovery = RecoverInterruptedRun(L"Velto", kMachine);
    EXPECT_TRUE(recovery.unrestored.empty());
    EXPECT_FALSE(recovery.committed);
    ExpectSamePlaces(before, Now());
  };
  long steps = 1;
  for (;; ++steps) {
    SCOPED_TRACE("install stopped after disk step " + std::to_string(steps));
    const long code = UpgradeStoppedAfter(steps, true);
    if (code != kStopped) {
      EXPECT_EQ(1, code);  // failed and rolled back, nothing to recover
      break;
    }
    expect_as_before();
    ASSERT_FALSE(HasFailure());
    ASSERT_LT(steps, 500);
  }
  ExpectSamePlaces(before, Now());
  for (long recovery_steps = 1;; ++recovery_steps) {
    SCOPED_TRACE("recovery stopped after disk step " + std::to_string(recovery_steps));
    ASSERT_EQ(kStopped, UpgradeStoppedAfter(steps / 2, true));
    const long code = StoppedAfter(L"recover-stop", recovery_steps);
    if (code != kStopped) {
      EXPECT_EQ(0, code);
      ExpectSamePlaces(before, Now());
      break;
    }
    expect_as_before();
    ASSERT_FALSE(HasFailure());
    ASSERT_LT(recovery_steps, 500);
  }
}

// A fresh install into a folder whose parent it makes too ("Games\\Velto 安装"), stopped after
// each disk step; then another program writes into the folders the run made. The recovery
// removes what the run wrote, and those folders only where they are empty: the other files and
// the folders that hold them stay, byte for byte.
TEST_F(InterruptedInstallTest, FilesWrittenAfterTheStopSurviveTheRecovery) {
  const std::wstring games = area_ + L"\\Games";
  folder_ = games + L"\\Velto 安装";
  ASSERT_TRUE(EnsureDirectory(area_));
  for (long steps = 1;; ++steps) {
    SCOPED_TRACE("stopped after disk step " + std::to_string(steps));
    const long code = UpgradeStoppedAfter(steps);
    if (code == 0) {
      UninstallLeavesNothing();
      break;
    }
    ASSERT_EQ(kStopped, code);
    // What others put there after the stop: beside the install folder, in it and in a folder
    // of the payload.
    std::vector<std::wstring> others = {games + L"\\OtherGame\\save.dat",
                                        games + L"\\readme-mine.txt"};
    if (Exists(folder_)) others.push_back(folder_ + L"\\mine.txt");
    if (Exists(folder_ + L"\\data")) others.push_back(folder_ + L"\\data\\mine.txt");
    for (const std::wstring& other : others) {
      std::wstring parent = other.substr(0, other.find_last_of(L'\\'));
      ASSERT_TRUE(EnsureDirectory(parent));
      ASSERT_TRUE(test_package::WriteFileBytes(other, "not the product's"));
    }
    const auto expected = Tree(area_);
    const RecoveryResult recovery = RecoverInterruptedRun(L"Velto", kMachine);
    EXPECT_TRUE(recovery.unrestored.empty());
    if (recovery.committed) {
      for (const std::wstring& other : others) ASSERT_TRUE(DeleteFileW(other.c_str()));
      ASSERT_TRUE(RemoveDirectoryW((games + L"\\OtherGame").c_str()));
      UninstallLeavesNothing();
      break;
    }
    std::map<std::wstring, std::string> left;
    for (const auto& entry : expected) {
      const bool others_file =
          entry.second != "<folder>" &&
          std::find(others.begin(), others.end(), area_ + entry.first) != others.end();
      bool holds_others = false;
      for (const std::wstring& other : others) {
        holds_others |= other.compare(0, area_.size() + entry.first.size() + 1,
                                      area_ + entry.first + L"\\") == 0;
      }
      if (others_file || holds_others) left.insert(entry);
    }
    EXPECT_EQ(left, Tree(area_));
    EXPECT_FALSE(ProductKeyExists());
    ScratchFolder::RemoveTree(games);
    if (HasFailure()) return;
  }
}

// The folder the run made above the install folder is a link to another folder by the time of
// the recovery: nothing is deleted through it, whatever names the other folder holds.
TEST_F(InterruptedInstallTest, ARecordedFolderThatIsNowALinkIsNeverEntered) {
  const std::wstring games = area_ + L"\\Games";
  folder_ = games + L"\\Velto 安装";
  ASSERT_TRUE(EnsureDirectory(area_));
  ASSERT_EQ(kStopped, UpgradeStoppedAfter(6));
  ASSERT_TRUE(ScratchFolder::RemoveTree(games));
  const std::wstring elsewhere = scratch_.Join(L"elsewhere");
  for (const wchar_t* name : {L"\\Velto 安装\\aaa.dll", L"\\Velto 安装\\Velto.exe",
                              L"\\Velto 安装\\unins000.exe", L"\\save.dat"}) {
    const std::wstring path = elsewhere + name;
    ASSERT_TRUE(EnsureDirectory(path.substr(0, path.find_last_of(L'\\'))));
    ASSERT_TRUE(test_package::WriteFileBytes(path, "another program's"));
  }
  if (!test_links::MakeLink(games, elsewhere, true)) GTEST_SKIP() << "no folder link here";
  const auto before = Tree(elsewhere);

  const RecoveryResult recovery = RecoverInterruptedRun(L"Velto", kMachine);
  EXPECT_TRUE(recovery.found);
  EXPECT_FALSE(recovery.committed);
  EXPECT_EQ(before, Tree(elsewhere));
  EXPECT_FALSE(ProductKeyExists());
  RemoveDirectoryW(games.c_str());
  DeleteFileW(games.c_str());
}

// An install for the current user keeps its journal in the user's own
// folder and its entry under HKEY_CURRENT_USER: stopped after each disk step,
// the recovery of that scope leaves the area as it was and no entry in
// either root, and the machine's journal is never written.
TEST_F(InterruptedInstallTest, APerUserInstallStoppedAfterAnyDiskStepLeavesNothing) {
  JsonValue config;
  ASSERT_TRUE(
      JsonReader().parse(SetupConfigText(L"Velto.exe", ShortcutLists({}, {})).c_str(), config));
  config["scope"] = JsonValue("user");
  const std::string archive = test_package::BuildZip(
      {File("Velto.exe", "program"), File("data/a.txt", "a"), File("data/b.txt", "b")});
  upgrade_ = scratch_.Join(L"per-user.exe");
  ASSERT_TRUE(test_package::WriteFileBytes(
      upgrade_, test_package::BuildPackage(JsonWriter().write(config), &archive)));
  const std::wstring user_journal =
      JournalFolderOf(L"Velto", InstallScope::kUser) + L"\\run.journal";
  const std::wstring machine_journal = JournalFolderOf(L"Velto", kMachine) + L"\\run.journal";
  ASSERT_TRUE(EnsureDirectory(area_));
  const auto before = Tree(area_);
  for (long steps = 1;; ++steps) {
    SCOPED_TRACE("stopped after disk step " + std::to_string(steps));
    const long code = UpgradeStoppedAfter(steps);
    EXPECT_FALSE(Exists(machine_journal));
    if (code == 0) break;
    ASSERT_EQ(kStopped, code);
    EXPECT_TRUE(Exists(user_journal));
    const RecoveryResult recovery = RecoverInterruptedRun(L"Velto", InstallScope::kUser);
    EXPECT_TRUE(recovery.found);
    EXPECT_TRUE(recovery.unrestored.empty());
    if (recovery.committed) {
      UninstallLeavesNothing(before);
    } else {
      EXPECT_EQ(before, Tree(area_));
    }
    EXPECT_FALSE(UserKeyExists());
    EXPECT_FALSE(ProductKeyExists());
    EXPECT_FALSE(Exists(user_journal));
    if (HasFailure()) return;
  }
  EXPECT_TRUE(UserKeyExists());
  UninstallLeavesNothing(before);
  EXPECT_FALSE(UserKeyExists());
  EXPECT_FALSE(Exists(user_journal));
}

// An uninstall stopped after it removed the shortcuts, some files and the
// uninstaller itself (so that nothing could start it again): the next start
// finishes it from the config that its journal keeps.
TEST_F(InterruptedInstallTest, AnInterruptedUninstallIsFinishedAtTheNextStart) {
  InstallEarlier();
  const std::wstring uninstaller = folder_ + L"\\unins000.exe";
  JsonValue config;
  ASSERT_TRUE(LoadPackageConfig(uninstaller, config));
  {
    JournalFile journal;
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), journal.Create(L"Velto", kMachine));
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS),
              journal.Append({JournalKind::kUninstallBegun, {JsonWriter().write(config)}}));
  }
  for (const wchar_t* gone : {L"\\aaa.dll", L"\\data\\old.txt", L"\\unins000.exe"}) {
    ASSERT_TRUE(DeleteFileW((folder_ + gone).c_str()));
  }
  ASSERT_TRUE(DeleteFileW(DesktopLinkPath(link_).c_str()));

  const RecoveryResult recovery = RecoverInterruptedRun(L"Velto", kMachine);
  EXPECT_TRUE(recovery.found);
  EXPECT_TRUE(recovery.uninstall);
  EXPECT_TRUE(recovery.unrestored.empty());
  EXPECT_TRUE(Tree(area_).empty());
  EXPECT_FALSE(ProductKeyExists());
  EXPECT_FALSE(Exists(StartMenuFolder()));
  EXPECT_FALSE(Exists(QuickLaunchLinkPath(link_)));
  EXPECT_FALSE(RecoverInterruptedRun(L"Velto", kMachine).found);
}

// Writes a journal of `records` for the product, then `tail` (a torn
// record) after them.
void WriteJournal(const std::vector<JournalRecord>& records, const std::string& tail) {
  {
    JournalFile file;
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), file.Create(L"Velto", kMachine));
  }
  std::string bytes = JournalHeader();
  for (const JournalRecord& record : records) bytes += EncodeJournalRecord(record);
  ASSERT_TRUE(test_package::WriteFileBytes(JournalFolderOf(L"Velto", kMachine) + L"\\run.journal",
                                           bytes + tail));
}

// A power cut in the middle of the record that would have named the user's
// file as the run's: the complete records are undone, the torn one is not.
TEST_F(InterruptedInstallTest, ATornLastRecordIsIgnoredAndTheCompleteOnesUndone) {
  ASSERT_TRUE(EnsureDirectory(folder_));
  const std::wstring replaced = folder_ + L"\\Velto.exe";
  const std::wstring created = folder_ + L"\\new.txt";
  const std::wstring users = folder_ + L"\\mine.txt";
  ASSERT_TRUE(test_package::WriteFileBytes(replaced, "original"));
  ASSERT_TRUE(test_package::WriteFileBytes(users, "the user's"));
  const auto before = Tree(area_);
  ASSERT_TRUE(MoveFileExW(replaced.c_str(), (replaced + L".old").c_str(), 0));
  ASSERT_TRUE(test_package::WriteFileBytes(replaced, "half a new progr"));
  ASSERT_TRUE(test_package::WriteFileBytes(created, "new"));
  const std::string torn = EncodeJournalRecord({JournalKind::kNewFile, {PathField(users)}});
  WriteJournal(
      {{JournalKind::kInstallBegun, {PathField(folder_)}},
       {JournalKind::kNewPaths, {PathField(created)}},
       {JournalKind::kMovedAside, {PathField(replaced), PathField(replaced + L".old"), "0"}}},
      torn.substr(0, torn.size() - 3));

  const RecoveryResult recovery = RecoverInterruptedRun(L"Velto", kMachine);
  EXPECT_TRUE(recovery.found);
  EXPECT_TRUE(recovery.torn);
  EXPECT_FALSE(recovery.committed);
  EXPECT_TRUE(recovery.unrestored.empty());
  EXPECT_EQ(before, Tree(area_));
  EXPECT_FALSE(RecoverInterruptedRun(L"Velto", kMachine).found)
      << "the journal stays after its recovery";
}

// A recovery that cannot put an original back (another program holds the run's file in its
// place) says so and keeps the journal; the next start, with the file free, finishes it.
TEST_F(InterruptedInstallTest, ARecoveryThatCannotPutEverythingBackKeepsTheJournal) {
  ASSERT_TRUE(EnsureDirectory(folder_));
  const std::wstring replaced = folder_ + L"\\Velto.exe";
  ASSERT_TRUE(test_package::WriteFileBytes(replaced, "original"));
  const auto before = Tree(area_);
  ASSERT_TRUE(MoveFileExW(replaced.c_str(), (replaced + L".old").c_str(), 0));
  ASSERT_TRUE(test_package::WriteFileBytes(replaced, "the run's"));
  WriteJournal(
      {{JournalKind::kInstallBegun, {PathField(folder_)}},
       {JournalKind::kMovedAside, {PathField(replaced), PathField(replaced + L".old"), "0"}}},
      "");
  HANDLE held = CreateFileW(replaced.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);

  const RecoveryResult first = RecoverInterruptedRun(L"Velto", kMachine);
  CloseHandle(held);
  EXPECT_EQ(first.unrestored,
            std::vector<std::wstring>{replaced + L" \u2190 " + replaced + L".old"});
  EXPECT_TRUE(Exists(JournalFolderOf(L"Velto", kMachine) + L"\\run.journal"));

  const RecoveryResult second = RecoverInterruptedRun(L"Velto", kMachine);
  EXPECT_TRUE(second.found);
  EXPECT_TRUE(second.unrestored.empty());
  EXPECT_EQ(before, Tree(area_));
  EXPECT_FALSE(RecoverInterruptedRun(L"Velto", kMachine).found);
}

// A journal that is not one (another program's bytes) changes nothing and goes.
TEST_F(InterruptedInstallTest, BytesThatAreNoJournalChangeNothing) {
  ASSERT_TRUE(EnsureDirectory(folder_));
  ASSERT_TRUE(test_package::WriteFileBytes(folder_ + L"\\Velto.exe", "program"));
  const auto before = Tree(area_);
  WriteJournal({}, "");
  ASSERT_TRUE(test_package::WriteFileBytes(JournalFolderOf(L"Velto", kMachine) + L"\\run.journal",
                                           "MZ not a journal"));
  const RecoveryResult recovery = RecoverInterruptedRun(L"Velto", kMachine);
  EXPECT_TRUE(recovery.found);
  EXPECT_TRUE(recovery.torn);
  EXPECT_EQ(before, Tree(area_));
}

// A journal folder owned by Administrators whose access list lets others
// change it (what a folder made under the drive's root inherits, moved under
// ProgramData by a standard user) is neither read nor deleted, and says why:
// its "new path" record would have emptied the user's folder.
TEST_F(InterruptedInstallTest, AJournalFolderOthersMayChangeIsNeitherReadNorDeleted) {
  ASSERT_TRUE(EnsureDirectory(folder_));
  const std::wstring users = folder_ + L"\\mine.txt";
  ASSERT_TRUE(test_package::WriteFileBytes(users, "the user's"));
  WriteJournal({{JournalKind::kInstallBegun, {PathField(folder_)}},
                {JournalKind::kNewPaths, {PathField(folder_)}}},
               "");
  const std::wstring journal_folder = JournalFolderOf(L"Velto", kMachine);
  ASSERT_EQ(JournalTrustProblem(L"Velto", kMachine), L"");
  const auto set_list = [&journal_folder](const wchar_t* sddl, SECURITY_INFORMATION protection) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1,
                                                                     &descriptor, nullptr));
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = nullptr;
    GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS),
              SetNamedSecurityInfoW(const_cast<wchar_t*>(journal_folder.c_str()), SE_FILE_OBJECT,
                                    DACL_SECURITY_INFORMATION | protection, nullptr, nullptr, dacl,
                                    nullptr));
    LocalFree(descriptor);
  };
  set_list(L"D:(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1301bf;;;WD)",
           UNPROTECTED_DACL_SECURITY_INFORMATION);
  const std::wstring problem = JournalTrustProblem(L"Velto", kMachine);
  const bool shown = !problem.empty();
  if (shown) {
    EXPECT_EQ(problem, journal_folder + L": an untrusted user may change it");
    EXPECT_FALSE(RecoverInterruptedRun(L"Velto", kMachine).found);
    EXPECT_TRUE(Exists(users));
    EXPECT_TRUE(Exists(journal_folder + L"\\run.journal"));
  }
  set_list(L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", PROTECTED_DACL_SECURITY_INFORMATION);
  DeleteJournal(L"Velto", kMachine);
  if (!shown) GTEST_SKIP() << "this system keeps no such access list on the folder";
}

// A run with administrator rights never writes the user's own area, which
// the user's later runs without them must keep writing: the journal of a
// per-user package goes to the admin area, one folder per user, apart from
// the install for every user.
TEST_F(InterruptedInstallTest, AnElevatedPerUserRunKeepsItsJournalInTheAdminArea) {
  if (!RunsAsAdministrator()) GTEST_SKIP() << "needs administrator rights";
  const std::wstring machine = JournalFolderOf(L"Velto", kMachine);
  const std::wstring user = JournalFolderOf(L"Velto", InstallScope::kUser);
  EXPECT_EQ(user.rfind(machine + L"\\S-1-", 0), 0u) << user;
  {
    JournalFile journal;
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), journal.Create(L"Velto", InstallScope::kUser));
  }
  std::string bytes;
  EXPECT_TRUE(ReadTrustedJournal(L"Velto", InstallScope::kUser, bytes));
  EXPECT_EQ(bytes, JournalHeader());
  EXPECT_FALSE(ReadTrustedJournal(L"Velto", kMachine, bytes));
  DeleteJournal(L"Velto", InstallScope::kUser);
  EXPECT_FALSE(Exists(user + L"\\run.journal"));
}

}  // namespace
