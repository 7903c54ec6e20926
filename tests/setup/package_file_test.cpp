// The package the engines read is the file they were given open, whatever comes to stand at its
// path later: a package swapped under the setup between its start and the install click, or
// under the temporary uninstaller before its run, changes nothing of what is installed or
// removed. And a record that names places outside its install folder has them passed over.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "json/json_value.h"
#include "json/json_writer.h"
#include "setup/install_engine.h"
#include "setup/install_record.h"
#include "setup/package_layout.h"
#include "setup/uninstall_engine.h"
#include "tests/setup/engine_test_support.h"
#include "tests/setup/recording_sink.h"
#include "tests/setup/scratch_folder.h"
#include "tests/setup/test_links.h"
#include "tests/setup/test_package.h"

namespace {

using namespace engine_test;
using test_package::ZipEntry;

class PackageFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch_.path().empty());
    folder_ = scratch_.Join(L"Product");
    other_ = scratch_.Join(L"Other");
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(other_.c_str(), nullptr));
    ASSERT_TRUE(test_package::WriteFileBytes(victim(), "the user's"));
  }

  std::wstring victim() const { return other_ + L"\\victim.txt"; }

  std::wstring WritePackage(const std::wstring& name, const JsonValue& config,
                            const std::vector<ZipEntry>* entries) {
    const std::string archive = entries ? test_package::BuildZip(*entries) : std::string();
    const std::wstring path = scratch_.Join(name);
    EXPECT_TRUE(test_package::WriteFileBytes(
        path, test_package::BuildPackage(JsonWriter().write(config), entries ? &archive : nullptr)));
    return path;
  }

  std::wstring SetupPackage(const std::wstring& name, const std::vector<ZipEntry>& entries) {
    JsonValue config;
    config["lastrun"] = JsonValue("app.exe");
    config["mode"] = 1;
    config["shortcut"] = ShortcutLists({}, {});
    return WritePackage(name, config, &entries);
  }

  // An uninstaller copy whose record names `files` and `folders` for the install folder `root`.
  std::wstring UninstallerPackage(const std::wstring& name, const std::wstring& root,
                                  const std::vector<std::wstring>& files,
                                  const std::vector<std::wstring>& folders = {}) {
    JsonValue config;
    config["mode"] = 0;
    config["setup"]["root"] = JsonValue(EncodePath(root));
    config["files"] = PathList(files);
    if (!folders.empty()) config["folders"] = PathList(folders);
    return WritePackage(name, config, nullptr);
  }

  // Puts `replacement` at `path` underneath the open file, as a rename on another system would:
  // under Wine by a Unix rename, which no Windows sharing rule stops; elsewhere not at all (the
  // open package refuses to be renamed, which the caller checks first). True when the path now
  // holds the replacement's bytes.
  static bool SwapUnderneath(const std::wstring& path, const std::wstring& replacement) {
    const std::string unix_path = test_links::UnixPathOf(path);
    const std::string unix_replacement = test_links::UnixPathOf(replacement);
    if (unix_path.empty() || unix_replacement.empty()) return false;
    const std::string expected = Content(replacement);
    if (!test_links::StartUnixProgram(L"Z:\\bin\\mv -f \"" + test_links::Widen(unix_replacement) +
                                      L"\" \"" + test_links::Widen(unix_path) + L"\"")) {
      return false;
    }
    const DWORD deadline = GetTickCount() + 10000;
    while (Content(path) != expected && GetTickCount() < deadline) Sleep(10);
    return Content(path) == expected;
  }

  // Whatever stands at the path of `open` cannot be renamed, replaced or deleted through Windows
  // while it is open, and (where a Unix rename can) is then swapped for `replacement`.
  void TrySwap(const PackageFile& open, const std::wstring& replacement) {
    ASSERT_TRUE(open.IsOpen());
    const std::wstring path = open.path();
    EXPECT_FALSE(MoveFileExW(path.c_str(), scratch_.Join(L"renamed.exe").c_str(), 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(MoveFileExW(replacement.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_FALSE(DeleteFileW(path.c_str()));
    if (!SwapUnderneath(path, replacement)) {
      std::printf("note: no Unix rename here; the refused renames above are the whole test\n");
    }
  }

  ScratchFolder scratch_;
  ProductPlaces places_;
  std::wstring folder_;
  std::wstring other_;
};

TEST_F(PackageFileTest, TheInstallReadsThePackageItOpenedNotWhatIsAtItsPathLater) {
  const std::wstring setup = SetupPackage(L"setup.exe", {{"app.exe", "the real program"}});
  const std::wstring planted = SetupPackage(
      L"planted.exe", {{"app.exe", "planted program"}, {"planted.txt", "planted"}});
  const PackageFile open(setup);
  TrySwap(open, planted);

  RecordingSink sink(folder_, false, false, false);
  ASSERT_TRUE(RunInstallFromPackage(open, sink));
  EXPECT_EQ(Content(folder_ + L"\\app.exe"), "the real program");
  EXPECT_FALSE(Exists(folder_ + L"\\planted.txt"));
  JsonValue config;
  ASSERT_TRUE(LoadPackageConfig(folder_ + L"\\unins000.exe", config));
  EXPECT_EQ(ReadInstallRecord(config).files, std::vector<std::wstring>{folder_ + L"\\app.exe"});
}

TEST_F(PackageFileTest, TheUninstallReadsTheCopyItOpenedNotWhatIsAtItsPathLater) {
  {
    RecordingSink sink(folder_, false, false, false);
    ASSERT_TRUE(RunInstallFromPackage(SetupPackage(L"setup.exe", {{"app.exe", "program"}}), sink));
  }
  const std::wstring copy = scratch_.Join(L"running-uninstaller.exe");
  ASSERT_TRUE(CopyFileW((folder_ + L"\\unins000.exe").c_str(), copy.c_str(), FALSE));
  const std::wstring planted = UninstallerPackage(L"planted.exe", other_, {victim()});
  const PackageFile open(copy);
  TrySwap(open, planted);

  RecordingSink sink(std::wstring(), false, false, false);
  ASSERT_TRUE(RunUninstallFromPackage(open, sink));
  EXPECT_TRUE(Tree(folder_).empty());
  EXPECT_EQ(Content(victim()), "the user's");
}

TEST_F(PackageFileTest, RecordedPathsOutsideTheInstallFolderArePassedOver) {
  const std::wstring own = folder_ + L"\\app.exe";
  ASSERT_TRUE(test_package::WriteFileBytes(own, "program"));
  const std::vector<std::wstring> outside = {victim(), folder_ + L"\\..\\Other\\victim.txt",
                                             folder_ + L"Other\\victim.txt"};
  std::vector<std::wstring> recorded = outside;
  recorded.push_back(own);
  // The install folder and the folders above it that a setup made are the product's (removed
  // only when empty); a folder beside it is not.
  const std::wstring empty_other = scratch_.Join(L"Empty");
  ASSERT_TRUE(CreateDirectoryW(empty_other.c_str(), nullptr));
  const std::wstring copy = UninstallerPackage(L"uninstaller.exe", folder_, recorded,
                                               {folder_, scratch_.path(), empty_other});

  RecordingSink sink(std::wstring(), false, false, false);
  const UninstallResult result = RunUninstallFromPackage(copy, sink);
  EXPECT_TRUE(result);
  std::vector<std::wstring> skipped = outside;
  skipped.push_back(empty_other);
  EXPECT_EQ(result.skipped, skipped);
  EXPECT_FALSE(Exists(own));
  EXPECT_FALSE(Exists(folder_));
  EXPECT_TRUE(Exists(empty_other));
  EXPECT_EQ(Content(victim()), "the user's");
}

TEST(InsideFolderTest, OnlyNamesBelowTheFolderCount) {
  struct Case {
    const wchar_t* path;
    const wchar_t* folder;
    bool inside;
  };
  const Case cases[] = {
      {L"C:\\Velto\\app.exe", L"C:\\Velto", true},
      {L"c:\\velto\\data\\a.txt", L"C:\\Velto\\", true},
      {L"C:\\Velto\\\\app.exe", L"C:\\Velto\\", true},  // the engine's "folder\\" + name
      {L"C:\\a\\..\\Velto\\app.exe", L"C:\\Velto", true},
      {L"C:\\Velto\\.\\app.exe", L"C:\\a\\..\\Velto", true},
      {L"\\\\server\\share\\Velto\\app.exe", L"\\\\server\\share\\Velto", true},
      {L"C:\\Velto", L"C:\\Velto", false},
      {L"C:\\VeltoOther\\app.exe", L"C:\\Velto", false},
      {L"C:\\Velto\\..\\Windows\\app.exe", L"C:\\Velto", false},
      {L"D:\\Velto\\app.exe", L"C:\\Velto", false},
      {L"C:\\Velto\\app.exe:stream", L"C:\\Velto", false},
      {L"C:\\Velto\\NUL", L"C:\\Velto", false},
      {L"C:\\Velto\\app.exe.", L"C:\\Velto", false},
      {L"\\\\server\\share\\..\\other\\x", L"\\\\server\\share", false},
      {L"Velto\\app.exe", L"Velto", false},
      {L"C:\\Velto\\app.exe", L"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsInsideFolder(c.path, c.folder), c.inside) << Utf8(c.path) << " in " << Utf8(c.folder);
  }
}

}  // namespace
