// What the engines do with what they did not write: files already in the chosen folder, another
// product's uninstaller, links, files held or read-only at uninstall, upgrades that drop a file,
// and a record that would not read back. Each case compares every byte of its scratch area.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "json/json_value.h"
#include "json/json_writer.h"
#include "setup/install_engine.h"
#include "setup/install_journal.h"
#include "setup/install_record.h"
#include "setup/package_layout.h"
#include "setup/shell_links.h"
#include "setup/uninstall_engine.h"
#include "tests/setup/engine_test_support.h"
#include "tests/setup/recording_sink.h"
#include "tests/setup/scratch_folder.h"
#include "tests/setup/test_links.h"
#include "tests/setup/test_package.h"

namespace {

using namespace engine_test;
using test_package::ZipEntry;

using Tree = std::map<std::wstring, std::string>;

Tree TreeOf(const std::wstring& root) { return engine_test::Tree(root); }

bool Write(const std::wstring& path, const std::string& content) {
  return test_package::WriteFileBytes(path, content);
}

class ForeignFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch_.path().empty());
    folder_ = scratch_.Join(L"Shared");
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
  }

  // A package of `entries`; `scope` (when not null) its "scope" member.
  std::wstring Package(const std::vector<ZipEntry>& entries, const JsonValue* shortcut = nullptr,
                       const char* scope = nullptr) {
    const std::string archive = test_package::BuildZip(entries);
    JsonValue config;
    config["lastrun"] = JsonValue("app.exe");
    config["mode"] = 1;
    config["shortcut"] = shortcut ? *shortcut : ShortcutLists({}, {});
    if (scope) config["scope"] = JsonValue(scope);
    const std::wstring path = scratch_.Join(L"setup" + std::to_wstring(++packages_) + L".exe");
    EXPECT_TRUE(test_package::WriteFileBytes(
        path, test_package::BuildPackage(JsonWriter().write(config), &archive)));
    return path;
  }

  InstallResult Install(const std::wstring& package) {
    RecordingSink sink(folder_, false, false, false);
    return RunInstallFromPackage(package, sink);
  }

  // Uninstalls with a copy of the uninstaller `name`, as the temporary uninstaller does.
  UninstallResult Uninstall(const std::wstring& name = L"unins000.exe") {
    const std::wstring copy = scratch_.Join(L"running-uninstaller.exe");
    DeleteFileW(copy.c_str());
    EXPECT_TRUE(CopyFileW((folder_ + L"\\" + name).c_str(), copy.c_str(), FALSE));
    RecordingSink sink(std::wstring(), false, false, false);
    return RunUninstallFromPackage(copy, sink);
  }

  InstallRecord RecordOf(const std::wstring& uninstaller) {
    JsonValue config;
    EXPECT_TRUE(LoadPackageConfig(uninstaller, config));
    return ReadInstallRecord(config);
  }

  ScratchFolder scratch_;
  ProductPlaces places_;
  std::wstring folder_;
  int packages_ = 0;
};

TEST_F(ForeignFilesTest, FilesTheProductNeverWroteAreKeptAndComeBackAtUninstall) {
  ASSERT_TRUE(Write(folder_ + L"\\readme.txt", "the user's readme"));
  ASSERT_TRUE(CreateDirectoryW((folder_ + L"\\docs").c_str(), nullptr));
  ASSERT_TRUE(Write(folder_ + L"\\docs\\changelog.txt", "the user's changelog"));
  ASSERT_TRUE(Write(folder_ + L"\\notes.txt", "unrelated"));
  const Tree before = TreeOf(folder_);

  ASSERT_TRUE(Install(Package({{"app.exe", "program"},
                               {"docs/changelog.txt", "product changelog"},
                               {"readme.txt", "product readme"}})));
  EXPECT_EQ(Content(folder_ + L"\\readme.txt"), "product readme");
  EXPECT_EQ(Content(folder_ + L"\\readme.txt.old"), "the user's readme");
  EXPECT_EQ(Content(folder_ + L"\\docs\\changelog.txt.old"), "the user's changelog");
  const InstallRecord record = RecordOf(folder_ + L"\\unins000.exe");
  ASSERT_EQ(record.kept.size(), 2u);
  // Only the folders the install made are the product's: "docs" was the user's.
  EXPECT_TRUE(record.folders.empty());

  ASSERT_TRUE(Uninstall());
  EXPECT_EQ(TreeOf(folder_), before);
}

// Shortcuts are files the product may not own: the user's own link with the product's shortcut
// name on the desktop, and the user's own file in a start-menu folder of the product's name, are
// exactly as they were after an install and its uninstall.
TEST_F(ForeignFilesTest, TheUsersOwnShortcutAndStartMenuFolderSurviveInstallAndUninstall) {
  const std::wstring name = places_.LinkName(L"Velto");
  const std::wstring link = DesktopLinkPath(name);
  const std::string users_link = "the user's own link \x01\x02";
  ASSERT_TRUE(Write(link, users_link));
  ASSERT_TRUE(EnsureDirectory(StartMenuFolder()));
  ASSERT_TRUE(Write(StartMenuFolder() + L"\\mine.txt", "the user's"));
  const Tree start_menu_before = TreeOf(StartMenuFolder());
  const JsonValue shortcut = ShortcutLists({Shortcut(name, L"app.exe")}, {});

  RecordingSink sink(folder_, true, false, true);
  ASSERT_TRUE(RunInstallFromPackage(Package({{"app.exe", "program"}}, &shortcut), sink));
  EXPECT_NE(Content(link), users_link) << "the product's link takes the name";
  EXPECT_TRUE(Exists(StartMenuFolder() + L"\\Velto.lnk"));
  ASSERT_TRUE(Uninstall());
  EXPECT_EQ(Content(link), users_link);
  EXPECT_FALSE(Exists(link + L".old"));
  EXPECT_EQ(TreeOf(StartMenuFolder()), start_menu_before);
  EXPECT_TRUE(TreeOf(folder_).empty());
}

// A start-menu folder the install made goes with the uninstall.
TEST_F(ForeignFilesTest, AStartMenuFolderTheInstallMadeGoesWithTheUninstall) {
  ScratchFolder::RemoveTree(StartMenuFolder());
  const JsonValue shortcut = ShortcutLists({Shortcut(L"Velto", L"app.exe")}, {});
  RecordingSink sink(folder_, false, false, true);
  ASSERT_TRUE(RunInstallFromPackage(Package({{"app.exe", "program"}}, &shortcut), sink));
  ASSERT_TRUE(Exists(StartMenuFolder() + L"\\Velto.lnk"));
  ASSERT_TRUE(Uninstall());
  EXPECT_FALSE(Exists(StartMenuFolder()));
}

// Other products' uninstallers, whatever the case of their names, take their names; names that
// only look alike do not.
TEST_F(ForeignFilesTest, AnotherProductsUninstallerIsNeitherReplacedNorRemoved) {
  const std::string others = "another product's uninstaller";
  ASSERT_TRUE(Write(folder_ + L"\\UNINS000.EXE", others));
  ASSERT_TRUE(Write(folder_ + L"\\unins001.exe", others));
  ASSERT_TRUE(Write(folder_ + L"\\unins2.exe", others));
  ASSERT_TRUE(Write(folder_ + L"\\unins002.exe.txt", others));
  const Tree before = TreeOf(folder_);

  ASSERT_TRUE(Install(Package({{"app.exe", "program"}})));
  EXPECT_EQ(Content(folder_ + L"\\unins000.exe"), others);
  ASSERT_TRUE(Exists(folder_ + L"\\unins002.exe"));
  EXPECT_EQ(RecordOf(folder_ + L"\\unins002.exe").uninstaller_name, L"unins002.exe");

  // A second install of the same product finds its own uninstaller by its record.
  ASSERT_TRUE(Install(Package({{"app.exe", "program 2"}})));
  EXPECT_FALSE(Exists(folder_ + L"\\unins003.exe"));
  EXPECT_FALSE(Exists(folder_ + L"\\app.exe.old"));

  ASSERT_TRUE(Uninstall(L"unins002.exe"));
  EXPECT_EQ(TreeOf(folder_), before);
}

TEST_F(ForeignFilesTest, AnUpgradeRemovesTheFilesTheNewVersionNoLongerHas) {
  ASSERT_TRUE(Install(Package({{"A.txt", "a1"}, {"B.txt", "b1"}, {"sub/C.txt", "c1"}})));
  ASSERT_TRUE(Write(folder_ + L"\\user.txt", "the user's"));
  ASSERT_TRUE(Install(Package({{"A.txt", "a2"}, {"D.txt", "d2"}, {"sub/C.txt", "c2"}})));

  const Tree expected = {{L"\\A.txt", "a2"},
                         {L"\\D.txt", "d2"},
                         {L"\\sub", "<folder>"},
                         {L"\\sub\\C.txt", "c2"},
                         {L"\\user.txt", "the user's"},
                         {L"\\unins000.exe", Content(folder_ + L"\\unins000.exe")}};
  EXPECT_EQ(TreeOf(folder_), expected);

  ASSERT_TRUE(Uninstall());
  EXPECT_EQ(TreeOf(folder_), (Tree{{L"\\user.txt", "the user's"}}));
}

TEST_F(ForeignFilesTest, ALinkBelowTheFolderFailsTheInstallAndNothingIsWrittenThroughIt) {
  const std::wstring elsewhere = scratch_.Join(L"Elsewhere");
  ASSERT_TRUE(CreateDirectoryW(elsewhere.c_str(), nullptr));
  ASSERT_TRUE(Write(elsewhere + L"\\settings.ini", "elsewhere"));
  const std::wstring link = folder_ + L"\\data";
  if (!test_links::MakeLink(link, elsewhere, true)) {
    GTEST_SKIP() << "no folder link can be made here";
  }
  const Tree elsewhere_before = TreeOf(elsewhere);

  const InstallResult result =
      Install(Package({{"app.exe", "program"}, {"data/settings.ini", "product settings"}}));
  EXPECT_EQ(result.error, InstallError::kLinkInTheWay);
  EXPECT_EQ(result.path, link);
  EXPECT_TRUE(result.unrestored.empty());
  EXPECT_EQ(TreeOf(elsewhere), elsewhere_before);
  EXPECT_FALSE(Exists(folder_ + L"\\app.exe"));
  RemoveDirectoryW(link.c_str());
}

// A file link where a product file goes (Wine shows it as a plain file: its final path tells).
TEST_F(ForeignFilesTest, AFileLinkWhereAProductFileGoesIsNeitherMovedNorReplaced) {
  const std::wstring precious = scratch_.Join(L"precious.txt");
  ASSERT_TRUE(Write(precious, "precious"));
  const std::wstring link = folder_ + L"\readme.txt";
  if (!test_links::MakeLink(link, precious, false)) GTEST_SKIP() << "no file link can be made here";

  const InstallResult result = Install(Package({{"readme.txt", "product readme"}}));
  EXPECT_EQ(result.error, InstallError::kLinkInTheWay);
  EXPECT_EQ(result.path, link);
  EXPECT_EQ(Content(precious), "precious");
  EXPECT_FALSE(Exists(link + L".old"));
  DeleteFileW(link.c_str());
}

// The names the system removes or renames at its next restart, as MoveFileEx schedules them.
std::wstring PendingRenames() {
  constexpr wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
  std::wstring pending(1 << 16, L'\0');
  DWORD size = static_cast<DWORD>(pending.size() * sizeof(wchar_t));
  if (RegGetValueW(HKEY_LOCAL_MACHINE, kSessionManager, L"PendingFileRenameOperations",
                   RRF_RT_REG_MULTI_SZ, nullptr, &pending[0], &size) != ERROR_SUCCESS) {
    return std::wstring();
  }
  pending.resize(size / sizeof(wchar_t));
  return pending;
}

// Puts the machine's pending renames back to `before` (the test's own would delete its files at
// the next start of the test system).
void RestorePendingRenames(const std::wstring& before) {
  constexpr wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
    return;
  }
  if (before.empty()) {
    RegDeleteValueW(key, L"PendingFileRenameOperations");
  } else {
    RegSetValueExW(key, L"PendingFileRenameOperations", 0, REG_MULTI_SZ,
                   reinterpret_cast<const BYTE*>(before.data()),
                   static_cast<DWORD>(before.size() * sizeof(wchar_t)));
  }
  RegCloseKey(key);
}

// An install for every user: the held file is removed at the next restart, which the uninstall
// has scheduled (3010); the rest goes now, the uninstaller and the entry included.
TEST_F(ForeignFilesTest, AFileHeldAtUninstallIsScheduledForTheRestartWhenInstalledForEveryUser) {
  ASSERT_TRUE(Install(Package({{"app.exe", "program"}, {"held.dat", "held"}})));
  HANDLE held = CreateFileW((folder_ + L"\\held.dat").c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const std::wstring pending_before = PendingRenames();

  const UninstallResult result = Uninstall();
  CloseHandle(held);
  const std::wstring pending_after = PendingRenames();
  RestorePendingRenames(pending_before);
  EXPECT_EQ(result.left, std::vector<std::wstring>{folder_ + L"\\held.dat"});
  EXPECT_TRUE(result.restart_scheduled);
  EXPECT_NE(pending_after.find(folder_ + L"\\held.dat"), std::wstring::npos);
  EXPECT_EQ(TreeOf(folder_), (Tree{{L"\\held.dat", "held"}}));
  EXPECT_FALSE(ProductKeyExists());
}

// A per-user install cannot schedule anything for the restart (that needs administrator
// rights): the held file is named, the uninstaller records exactly what is left, the entry stays.
TEST_F(ForeignFilesTest, AFileHeldAtUninstallIsNamedAndTheRecordKeepsExactlyWhatIsLeft) {
  ASSERT_TRUE(Install(Package({{"app.exe", "program"}, {"held.dat", "held"}}, nullptr, "user")));
  // Read-only product files go as well.
  ASSERT_TRUE(SetFileAttributesW((folder_ + L"\\app.exe").c_str(), FILE_ATTRIBUTE_READONLY));
  HANDLE held = CreateFileW((folder_ + L"\\held.dat").c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const std::wstring pending_before = PendingRenames();

  const UninstallResult first = Uninstall();
  CloseHandle(held);
  EXPECT_EQ(PendingRenames(), pending_before);
  EXPECT_TRUE(first.read);
  EXPECT_FALSE(first.restart_scheduled);
  EXPECT_EQ(first.left, std::vector<std::wstring>{folder_ + L"\\held.dat"});
  EXPECT_FALSE(Exists(folder_ + L"\\app.exe"));
  ASSERT_TRUE(Exists(folder_ + L"\\unins000.exe"));
  EXPECT_EQ(RecordOf(folder_ + L"\\unins000.exe").files,
            std::vector<std::wstring>{folder_ + L"\\held.dat"});

  // Once the file is free, the uninstaller left behind finishes the job.
  EXPECT_TRUE(Uninstall());
  EXPECT_TRUE(TreeOf(folder_).empty());
  RegDeleteKeyW(HKEY_CURRENT_USER, kProductKey);
}

TEST_F(ForeignFilesTest, ARecordTooDeepToReadBackFailsTheInstallAndRollsBack) {
  // The setup's shortcut lists as deep as a package config may be: the uninstaller's record
  // holds them one level deeper, where no reader takes them.
  auto config_with = [](int arrays) {
    return "{\"shortcut\":{\"desktop\":[],\"x\":" + std::string(arrays, '[') +
           std::string(arrays, ']') + "}}";
  };
  int arrays = 900;
  JsonValue probe;
  while (ParsePackageConfigText(config_with(arrays + 1), probe)) ++arrays;
  JsonValue config;
  ASSERT_TRUE(ParsePackageConfigText(config_with(arrays), config));
  const JsonValue shortcut = config["shortcut"];
  const Tree before = TreeOf(folder_);

  const InstallResult result = Install(Package({{"app.exe", "program"}}, &shortcut));
  EXPECT_EQ(result.error, InstallError::kPackageDamaged);
  EXPECT_EQ(TreeOf(folder_), before);
}

TEST(InstallJournalTest, ARollBackThatCannotRestoreSaysWhatAndWhere) {
  ScratchFolder scratch;
  const std::wstring target = scratch.Join(L"a.dll");
  ASSERT_TRUE(Write(target, "original"));
  InstallJournal journal;
  ASSERT_EQ(journal.MoveAside(target), static_cast<DWORD>(ERROR_SUCCESS));
  ASSERT_TRUE(Write(target, "new"));
  journal.AddWrittenFile(target);
  // Another program opened the new file meanwhile, without letting it be deleted.
  HANDLE held = CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const std::vector<std::wstring> unrestored = journal.RollBack();
  CloseHandle(held);
  EXPECT_EQ(unrestored,
            (std::vector<std::wstring>{target, target + L" \u2190 " + target + L".old"}));
  EXPECT_EQ(Content(target + L".old"), "original");
}

}  // namespace
