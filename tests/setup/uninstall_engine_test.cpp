#include "setup/uninstall_engine.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "json/json_value.h"
#include "json/json_writer.h"
#include "setup/install_engine.h"
#include "tests/setup/child_process.h"
#include "tests/setup/engine_test_support.h"
#include "tests/setup/recording_sink.h"
#include "tests/setup/scratch_folder.h"
#include "tests/setup/test_package.h"

namespace {

using namespace engine_test;

const std::wstring kDeleting90 = L"text 正在删除快捷方式: 90%";

// Names of the entries of `folder`, sorted; empty for a missing folder.
std::vector<std::wstring> Listing(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = entry.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

bool Touch(const std::wstring& path, const std::string& content = "x") {
  return test_package::WriteFileBytes(path, content);
}

// The product's settings file in the application data folder, made for a
// test; its folder is removed again if the test made it.
class SettingsFile {
 public:
  SettingsFile() : folder_(GetSpecialFolder(CSIDL_APPDATA) + L"\\Velto") {
    made_folder_ = !Exists(folder_);
    EnsureDirectory(folder_);
    Touch(path());
  }
  ~SettingsFile() {
    DeleteFileW(path().c_str());
    if (made_folder_) RemoveDirectoryW(folder_.c_str());
  }
  std::wstring folder() const { return folder_; }
  std::wstring path() const { return folder_ + L"\\Velto.cfg"; }

 private:
  std::wstring folder_;
  bool made_folder_ = false;
};

class UninstallEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch_.path().empty());
    folder_ = scratch_.Join(L"安装 Velto");
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
    package_ = scratch_.Join(L"unins000.exe");
  }

  std::wstring InFolder(const std::wstring& relative) const { return folder_ + L"\\" + relative; }

  // Runs a copy of the install folder's uninstaller from another folder, as
  // the start-up would, in a process of its own; its exit code, or -1 when it
  // cannot be copied or started.
  int RunUninstallerCopy() {
    const std::wstring temp_copy = scratch_.Join(L"temp\\unins000.exe");
    if (!EnsureDirectory(scratch_.Join(L"temp")) ||
        !CopyFileW(InFolder(L"unins000.exe").c_str(), temp_copy.c_str(), FALSE)) {
      return -1;
    }
    ChildProcess uninstaller(temp_copy, L"");
    return uninstaller.Started() ? static_cast<int>(uninstaller.WaitExit()) : -1;
  }

  // Writes an uninstaller copy with this config as the package to run.
  void WriteUninstaller(const JsonValue& config) {
    ASSERT_TRUE(test_package::WriteFileBytes(
        package_, test_package::BuildPackage(JsonWriter().write(config), nullptr)));
  }

  JsonValue Config(const std::vector<std::wstring>& files, const std::vector<std::wstring>& folders,
                   const JsonValue& shortcuts) {
    JsonValue config(JsonKind::Object);
    config["files"] = PathList(files);
    config["folders"] = PathList(folders);
    config["mode"] = 0;
    config["setup"]["root"] = JsonValue(EncodePath(folder_));
    config["setup"]["shortcut"] = shortcuts;
    return config;
  }

  // Creates the files and folders of a small installation in the install
  // folder: a.txt, data\b.txt, data\sub\c.txt and unins000.exe.
  void MakeInstallation() {
    ASSERT_TRUE(EnsureDirectory(InFolder(L"data\\sub")));
    for (const wchar_t* file : {L"a.txt", L"data\\b.txt", L"data\\sub\\c.txt", L"unins000.exe"}) {
      ASSERT_TRUE(Touch(InFolder(file)));
    }
  }

  std::vector<std::wstring> InstalledFiles() const {
    return {InFolder(L"a.txt"), InFolder(L"data\\b.txt"), InFolder(L"data\\sub\\c.txt")};
  }

  bool Uninstall(RecordingSink& sink) {
    return static_cast<bool>(RunUninstallFromPackage(package_, sink));
  }

  bool Uninstall() {
    RecordingSink sink(std::wstring(), false, false, false);
    return Uninstall(sink);
  }

  ScratchFolder scratch_;
  ProductPlaces places_;
  std::wstring folder_;
  std::wstring package_;
};

TEST_F(UninstallEngineTest, RemovesShortcutsFilesFoldersSettingsAndRegistration) {
  MakeInstallation();
  const std::wstring desktop = places_.LinkName(L"桌面");
  const std::wstring taskbar = places_.LinkName(L"Taskbar");
  const std::wstring target = InFolder(L"a.txt");
  ASSERT_TRUE(CreateDesktopShortcut(desktop, target));
  ASSERT_TRUE(CreateQuickLaunchShortcut(taskbar, target));
  ASSERT_TRUE(EnsureDirectory(StartMenuFolder()));
  ASSERT_TRUE(Touch(StartMenuFolder() + L"\\Velto.lnk"));
  ASSERT_TRUE(Touch(StartMenuFolder() + L"\\Other file.txt"));
  SettingsFile settings;
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, nullptr, 0,
                                           KEY_WRITE, nullptr, &key, nullptr));
  RegCloseKey(key);
  WriteUninstaller(Config(InstalledFiles(), {InFolder(L"data\\sub"), InFolder(L"data"), folder_},
                          ShortcutLists({Shortcut(desktop, L"a.txt"), Shortcut(L"", L"a.txt")},
                                        {Shortcut(taskbar, L"a.txt")})));

  RecordingSink sink(std::wstring(), false, false, false);
  ASSERT_TRUE(Uninstall(sink));

  EXPECT_EQ((std::vector<std::wstring>{kDeleting90, L"finish work"}), sink.events);
  EXPECT_FALSE(Exists(DesktopLinkPath(desktop)));
  EXPECT_FALSE(Exists(QuickLaunchLinkPath(taskbar)));
  // The product's start-menu link goes; the folder, which holds another file, stays with it.
  EXPECT_FALSE(Exists(StartMenuFolder() + L"\\Velto.lnk"));
  EXPECT_TRUE(Exists(StartMenuFolder() + L"\\Other file.txt"));
  EXPECT_FALSE(Exists(settings.path()));
  EXPECT_TRUE(Exists(settings.folder()));
  EXPECT_FALSE(Exists(folder_));
  EXPECT_FALSE(ProductKeyExists());
}

TEST_F(UninstallEngineTest, FoldersGoDeepestFirstSoAnOuterOneRecordedFirstGoesToo) {
  MakeInstallation();
  ASSERT_TRUE(EnsureDirectory(InFolder(L"kept\\empty")));
  WriteUninstaller(Config(InstalledFiles(), {folder_, InFolder(L"data"), InFolder(L"data\\sub")},
                          ShortcutLists({}, {})));
  ASSERT_TRUE(Uninstall());
  // Unrecorded folders stay, empty or not, and with them the install folder.
  EXPECT_EQ(std::vector<std::wstring>{L"kept"}, Listing(folder_));
  EXPECT_EQ(std::vector<std::wstring>{L"empty"}, Listing(InFolder(L"kept")));
}

TEST_F(UninstallEngineTest, FilesTheProductMadeKeepTheInstallFolder) {
  MakeInstallation();
  ASSERT_TRUE(Touch(InFolder(L"user settings.dat")));
  WriteUninstaller(Config(InstalledFiles(), {InFolder(L"data\\sub"), InFolder(L"data"), folder_},
                          ShortcutLists({}, {})));
  ASSERT_TRUE(Uninstall());
  EXPECT_EQ(std::vector<std::wstring>{L"user settings.dat"}, Listing(folder_));
}

TEST_F(UninstallEngineTest, RunningProductIsEndedWithoutAQuestionAndDeleted) {
  const std::wstring program =
      InFolder(L"VeltoRun" + std::to_wstring(GetCurrentProcessId()) + L".exe");
  ASSERT_TRUE(CopyFileW(test_package::SiblingProgram(L"setup_engine_helper.exe").c_str(),
                        program.c_str(), FALSE));
  NamedEvent ready;
  ChildProcess product(program, L"wait " + ready.name());
  ASSERT_TRUE(product.WaitReady(ready.get()));
  WriteUninstaller(Config({program}, {folder_}, ShortcutLists({}, {})));

  MessageBoxAnswerer answerer(IDNO);
  ASSERT_TRUE(Uninstall());
  EXPECT_EQ(0, answerer.boxes_seen);
  EXPECT_EQ(0, product.WaitExit());
  EXPECT_FALSE(Exists(program));
  EXPECT_FALSE(Exists(folder_));
}

TEST_F(UninstallEngineTest, RecordedFileThatIsGoneIsSkipped) {
  ASSERT_TRUE(Touch(InFolder(L"present.txt")));
  WriteUninstaller(
      Config({InFolder(L"gone.txt"), InFolder(L"present.txt")}, {folder_}, ShortcutLists({}, {})));
  ASSERT_TRUE(Uninstall());
  EXPECT_FALSE(Exists(folder_));
}

TEST_F(UninstallEngineTest, ConfigWithoutInstallFolderFailsAndRemovesNothing) {
  MakeInstallation();
  ASSERT_TRUE(EnsureDirectory(StartMenuFolder()));
  for (const char* missing : {"setup", "root"}) {
    SCOPED_TRACE(missing);
    JsonValue config = Config(InstalledFiles(), {folder_}, ShortcutLists({}, {}));
    if (std::string(missing) == "setup") {
      config["setup"] = JsonValue();
    } else {
      config["setup"]["root"] = JsonValue("");
    }
    WriteUninstaller(config);
    RecordingSink sink(std::wstring(), false, false, false);
    EXPECT_FALSE(Uninstall(sink));
    EXPECT_TRUE(sink.events.empty());
    EXPECT_TRUE(Exists(InFolder(L"a.txt")));
    EXPECT_TRUE(Exists(InFolder(L"unins000.exe")));
    EXPECT_TRUE(Exists(StartMenuFolder()));
  }
}

TEST_F(UninstallEngineTest, WithoutAccessToTheMachineKeyTheEntryStaysAndTheRunSucceeds) {
  MakeInstallation();
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, nullptr, 0,
                                           KEY_WRITE, nullptr, &key, nullptr));
  RegCloseKey(key);
  WriteUninstaller(Config(InstalledFiles(), {InFolder(L"data\\sub"), InFolder(L"data"), folder_},
                          ShortcutLists({}, {})));
  {
    UnwritableMachineKey unwritable;
    ASSERT_TRUE(unwritable.Active());
    RecordingSink sink(std::wstring(), false, false, false);
    EXPECT_TRUE(Uninstall(sink));
    EXPECT_EQ(L"finish work", sink.events.back());
  }
  EXPECT_TRUE(ProductKeyExists());
  EXPECT_FALSE(Exists(folder_));
}

TEST_F(UninstallEngineTest, FileWithoutPackageFails) {
  ASSERT_TRUE(Touch(package_, "MZ not a package"));
  EXPECT_FALSE(Uninstall());
}

// Install a package, then run the uninstaller copy it left, from a copy in
// another folder as the start-up would: the desktop, Quick Launch, start menu
// and registry are as they were before, and the install folder is gone.
TEST_F(UninstallEngineTest, InstallThenUninstallerCopyLeavesNothingBehind) {
  const std::wstring name = places_.LinkName(L"Velto");
  const std::wstring desktop = GetSpecialFolder(CSIDL_DESKTOPDIRECTORY);
  const std::wstring quick_launch = GetQuickLaunchFolder();
  const std::wstring programs = GetStartMenuProgramsFolder();
  const auto desktop_before = Listing(desktop);
  const auto quick_launch_before = Listing(quick_launch);
  const auto programs_before = Listing(programs);
  ASSERT_FALSE(ProductKeyExists());

  test_package::ZipEntry program = {"Velto.exe", "program"};
  test_package::ZipEntry folder = {"data/", ""};
  test_package::ZipEntry data = {"data/veltodata.bin", std::string(100000, 'v')};
  const std::string archive = test_package::BuildZip({program, folder, data});
  const std::string setup = test_package::BuildPackage(
      SetupConfigText(L"Velto.exe", ShortcutLists({Shortcut(name, L"Velto.exe")},
                                                  {Shortcut(name, L"Velto.exe")})),
      &archive);
  const std::wstring setup_path = scratch_.Join(L"setup.exe");
  ASSERT_TRUE(test_package::WriteFileBytes(setup_path, setup));
  {
    RecordingSink sink(folder_, true, true, true);
    ASSERT_TRUE(RunInstallFromPackage(setup_path, sink));
  }
  ASSERT_TRUE(Exists(DesktopLinkPath(name)));
  ASSERT_TRUE(Exists(StartMenuFolder() + L"\\Velto.lnk"));
  ASSERT_TRUE(ProductKeyExists());

  EXPECT_EQ(0, RunUninstallerCopy());

  // The install folder was there before the install: it stays, empty.
  EXPECT_TRUE(Exists(folder_));
  EXPECT_TRUE(Listing(folder_).empty());
  EXPECT_EQ(desktop_before, Listing(desktop));
  EXPECT_EQ(quick_launch_before, Listing(quick_launch));
  EXPECT_EQ(programs_before, Listing(programs));
  EXPECT_FALSE(ProductKeyExists());
}

// A machine install that uses the all-users folders (as one run by LocalSystem,
// or of a package packed with --shortcuts all-users, does) puts its desktop and
// start-menu links in the public desktop and the all-users start menu, leaving
// the account's own folders alone; the uninstaller copy, a process of its own
// that knows the place only from its config, removes them there.
TEST_F(UninstallEngineTest, AllUsersShortcutsAreMadeAndRemovedInTheAllUsersFolders) {
  const std::wstring name = places_.LinkName(L"Velto");
  const std::wstring own_desktop = GetDesktopFolder();
  const std::wstring own_programs = GetStartMenuProgramsFolder();
  const auto own_desktop_before = Listing(own_desktop);
  const auto own_programs_before = Listing(own_programs);
  UseShortcutPlace(ShortcutPlace::kAllUsers);
  const std::wstring public_desktop = GetDesktopFolder();
  const std::wstring public_programs = GetStartMenuProgramsFolder();
  struct Reset {
    std::wstring link, folder;
    ~Reset() {
      ShellDeletePath(link);
      ShellDeletePath(folder);
      UseShortcutPlace(ShortcutPlace::kCurrentUser);
    }
  } reset{public_desktop + L"\\" + name + L".lnk", public_programs + L"\\Velto"};
  ASSERT_EQ(GetSpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY), public_desktop);
  ASSERT_EQ(GetSpecialFolder(CSIDL_COMMON_PROGRAMS), public_programs);
  ASSERT_NE(own_desktop, public_desktop);
  ASSERT_NE(own_programs, public_programs);

  test_package::ZipEntry program = {"Velto.exe", "program"};
  const std::string archive = test_package::BuildZip({program});
  const std::string setup = test_package::BuildPackage(
      SetupConfigText(L"Velto.exe", ShortcutLists({Shortcut(name, L"Velto.exe")}, {})), &archive);
  const std::wstring setup_path = scratch_.Join(L"setup.exe");
  ASSERT_TRUE(test_package::WriteFileBytes(setup_path, setup));
  {
    RecordingSink sink(folder_, true, false, true);
    ASSERT_TRUE(RunInstallFromPackage(setup_path, sink));
  }
  EXPECT_TRUE(Exists(reset.link));
  EXPECT_TRUE(Exists(reset.folder + L"\\Velto.lnk"));
  EXPECT_EQ(own_desktop_before, Listing(own_desktop));
  EXPECT_EQ(own_programs_before, Listing(own_programs));

  UseShortcutPlace(ShortcutPlace::kCurrentUser);
  EXPECT_EQ(0, RunUninstallerCopy());
  EXPECT_FALSE(Exists(reset.link));
  EXPECT_FALSE(Exists(reset.folder));
}

// Entries for every folder and file below `folder`, folders before their
// content, with "/" separators.
void AddFolderEntries(const std::wstring& folder, const std::string& prefix,
                      std::vector<test_package::ZipEntry>& entries) {
  for (const std::wstring& name : Listing(folder)) {
    const std::wstring path = folder + L"\\" + name;
    const std::string entry_name = prefix + Utf8(name);
    if (PathIsDirectoryW(path.c_str())) {
      entries.push_back({entry_name + "/", ""});
      AddFolderEntries(path, entry_name + "/", entries);
    } else {
      entries.push_back({entry_name, Content(path)});
    }
  }
}

// The sample product (its payload folder is copied beside this test by the
// build) with its shipped shortcut lists, installed with every option and
// removed by its uninstaller copy.
TEST_F(UninstallEngineTest, SampleProductRoundTripLeavesOnlyWhatTheProductKeeps) {
  const std::wstring payload = test_package::SiblingProgram(L"velto-payload");
  ASSERT_TRUE(Exists(payload + L"\\Velto.exe"));
  std::vector<test_package::ZipEntry> entries;
  AddFolderEntries(payload, "", entries);
  const std::string archive = test_package::BuildZip(entries);
  const std::string setup = test_package::BuildPackage(
      SetupConfigText(L"Velto.exe", ShortcutLists({Shortcut(L"Velto", L"Velto.exe")},
                                                  {Shortcut(L"Velto", L"Velto.exe")})),
      &archive);
  const std::wstring setup_path = scratch_.Join(L"setup.exe");
  ASSERT_TRUE(test_package::WriteFileBytes(setup_path, setup));
  places_.AddLinkName(L"Velto");
  const std::wstring desktop = GetSpecialFolder(CSIDL_DESKTOPDIRECTORY);
  const auto desktop_before = Listing(desktop);
  const auto quick_launch_before = Listing(GetQuickLaunchFolder());
  const auto programs_before = Listing(GetStartMenuProgramsFolder());

  RecordingSink sink(folder_, true, true, true);
  ASSERT_TRUE(RunInstallFromPackage(setup_path, sink));
  EXPECT_EQ(InFolder(L"Velto.exe"), sink.launch_path);
  EXPECT_EQ(Content(payload + L"\\docs\\使用说明.txt"), Content(InFolder(L"docs\\使用说明.txt")));
  EXPECT_TRUE(Exists(DesktopLinkPath(L"Velto")));
  EXPECT_TRUE(Exists(QuickLaunchLinkPath(L"Velto")));
  EXPECT_TRUE(Exists(StartMenuFolder() + L"\\Velto.lnk"));

  const std::wstring temp_copy = scratch_.Join(L"temp\\unins000.exe");
  ASSERT_TRUE(EnsureDirectory(scratch_.Join(L"temp")));
  ASSERT_TRUE(CopyFileW(InFolder(L"unins000.exe").c_str(), temp_copy.c_str(), FALSE));
  ChildProcess uninstaller(temp_copy, L"");
  EXPECT_EQ(0, uninstaller.WaitExit());

  // The archive lists "data/" before "data/samples/"; the folders go deepest
  // first all the same. The install folder was there before: it stays, empty.
  EXPECT_TRUE(Listing(folder_).empty());
  EXPECT_EQ(desktop_before, Listing(desktop));
  EXPECT_EQ(quick_launch_before, Listing(GetQuickLaunchFolder()));
  EXPECT_EQ(programs_before, Listing(GetStartMenuProgramsFolder()));
  EXPECT_FALSE(ProductKeyExists());
}

}  // namespace
