#include "setup/install_engine.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "json/json_value.h"
#include "json/json_writer.h"
#include "setup/journal_file.h"
#include "setup/package_layout.h"
#include "setup/product.h"
#include "tests/setup/child_process.h"
#include "tests/setup/engine_test_support.h"
#include "tests/setup/recording_sink.h"
#include "tests/setup/scratch_folder.h"
#include "tests/setup/shell_link_reader.h"
#include "tests/setup/test_package.h"

namespace {

using namespace engine_test;
using test_package::ZipEntry;

ZipEntry File(const std::string& name, const std::string& data, bool deflate = true) {
  ZipEntry entry;
  entry.name = name;
  entry.data = data;
  entry.deflate = deflate;
  return entry;
}

ZipEntry Folder(const std::string& name) { return File(name, ""); }

const std::wstring kCopying10 = L"text 正在复制文件: 10%";

class InstallEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch_.path().empty());
    folder_ = scratch_.Join(L"安装 Velto");
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
    package_ = scratch_.Join(L"setup.exe");
  }

  void WritePackage(const std::vector<ZipEntry>& entries, const std::string& config_text) {
    const std::string archive = test_package::BuildZip(entries);
    ASSERT_TRUE(
        test_package::WriteFileBytes(package_, test_package::BuildPackage(config_text, &archive)));
  }

  void WritePackage(const std::vector<ZipEntry>& entries) {
    WritePackage(entries, SetupConfigText(L"Velto.exe", ShortcutLists({}, {})));
  }

  InstallResult Install(RecordingSink& sink) { return RunInstallFromPackage(package_, sink); }

  InstallResult Install() {
    RecordingSink sink(folder_, false, false, false);
    return Install(sink);
  }

  std::wstring InFolder(const std::wstring& relative) const { return folder_ + L"\\" + relative; }

  // The package config of the uninstaller copy in the install folder.
  JsonValue UninstallerConfig() const {
    JsonValue config;
    EXPECT_TRUE(LoadPackageConfig(InFolder(L"unins000.exe"), config));
    return config;
  }

  ScratchFolder scratch_;
  ProductPlaces places_;
  std::wstring folder_;
  std::wstring package_;
};

TEST_F(InstallEngineTest, EmptyArchiveInstallsNothingAndSucceeds) {
  WritePackage({});
  RecordingSink sink(folder_, false, false, false);
  ASSERT_TRUE(Install(sink));
  const std::vector<std::wstring> expected = {kCopying10,     L"position 10", L"position 70",
                                              L"position 80", L"position 90", L"finished message"};
  EXPECT_EQ(expected, sink.events);
  EXPECT_EQ(InFolder(L"Velto.exe"), sink.launch_path);

  JsonValue config = UninstallerConfig();
  // "links" names the link files the install wrote: none here.
  EXPECT_EQ((std::vector<std::string>{"links", "mode", "setup"}), config.memberNames());
  EXPECT_EQ(0u, config["links"].size());
  EXPECT_EQ(JsonKind::Integer, config["mode"].kind());
  EXPECT_EQ(0, config["mode"].toInt64());
  EXPECT_EQ(folder_, DecodePath(config["setup"]["root"]));
  EXPECT_EQ(JsonWriter().write(ShortcutLists({}, {})),
            JsonWriter().write(config["setup"]["shortcut"]));
}

TEST_F(InstallEngineTest, RecordsFilesInArchiveOrderAndTheFoldersItMade) {
  const std::string big(3 * 524288 + 17, 'x');
  WritePackage({File("a.txt", "alpha"), Folder("data/"), File("data/b.bin", big), Folder("data/"),
                File("data/sub/c.txt", "stored", false), File("top.txt", "")});
  ASSERT_TRUE(Install());

  EXPECT_EQ("alpha", Content(InFolder(L"a.txt")));
  EXPECT_EQ(big, Content(InFolder(L"data\\b.bin")));
  EXPECT_EQ("stored", Content(InFolder(L"data\\sub\\c.txt")));
  EXPECT_EQ("", Content(InFolder(L"top.txt")));

  JsonValue config = UninstallerConfig();
  const std::vector<std::wstring> files = {InFolder(L"a.txt"), InFolder(L"data\\b.bin"),
                                           InFolder(L"data\\sub\\c.txt"), InFolder(L"top.txt")};
  // The install folder was there before the run: only what the run made is the product's.
  const std::vector<std::wstring> folders = {InFolder(L"data"), InFolder(L"data\\sub")};
  EXPECT_EQ(files, DecodePaths(config["files"]));
  EXPECT_EQ(folders, DecodePaths(config["folders"]));
}

TEST_F(InstallEngineTest, UninstallerCopyIsTheImageFollowedByTheCompactConfig) {
  WritePackage({File("数据/说明.txt", "中文")});
  ASSERT_TRUE(Install());
  const std::string image = test_package::StubImage();
  const std::string copy = Content(InFolder(L"unins000.exe"));
  const JsonValue config = UninstallerConfig();
  const std::string text = JsonWriter().write(config);
  ASSERT_EQ(image.size() + 4 + text.size(), copy.size());
  EXPECT_EQ(image, copy.substr(0, image.size()));
  EXPECT_EQ(text.size(),
            LoadU32(reinterpret_cast<const unsigned char*>(copy.data() + image.size())));
  EXPECT_EQ(text, copy.substr(image.size() + 4));
  EXPECT_EQ('\n', text.back());
  EXPECT_EQ((std::vector<std::string>{"files", "folders", "links", "mode", "setup"}),
            config.memberNames());
  // The paths are ASCII Base64 of the UTF-8 paths, Chinese included.
  EXPECT_EQ(EncodePath(InFolder(L"数据\\说明.txt")), config["files"][0].toCString());
  EXPECT_EQ(InFolder(L"数据\\说明.txt"), DecodePath(config["files"][0]));
}

TEST_F(InstallEngineTest, ReportsEveryStepWithAllOptionsAndCreatesTheShortcuts) {
  const std::wstring first = places_.LinkName(L"第一");
  const std::wstring second = places_.LinkName(L"Second");
  const std::wstring unnamed = L"";
  const std::wstring dangling = places_.LinkName(L"Dangling");
  WritePackage(
      {File("bin/app.exe", "app"), File("tools/second.exe", "tool")},
      SetupConfigText(L"bin/app.exe", ShortcutLists({Shortcut(first, L"bin/app.exe"),
                                                     Shortcut(unnamed, L"bin/app.exe"),
                                                     Shortcut(dangling, L"bin/missing.exe"),
                                                     Shortcut(second, L"tools/second.exe")},
                                                    {Shortcut(first, L"bin\\app.exe")})));
  RecordingSink sink(folder_, true, true, true);
  ASSERT_TRUE(Install(sink));

  const std::vector<std::wstring> expected = {kCopying10,
                                              L"position 10",
                                              L"position 70",
                                              L"text 正在创建桌面快捷方式: 70%",
                                              L"position 70",
                                              L"position 80",
                                              L"text 正在创建任务栏快捷方式: 80%",
                                              L"position 90",
                                              L"text 正在创建开始菜单快捷方式: 90%",
                                              L"finished message"};
  EXPECT_EQ(expected, sink.events);
  EXPECT_EQ(InFolder(L"bin/app.exe"), sink.launch_path);

  const LinkContents desktop = ReadLink(DesktopLinkPath(first));
  ASSERT_TRUE(desktop.loaded);
  EXPECT_EQ(InFolder(L"bin"), desktop.working_folder);
  const LinkContents quick_launch = ReadLink(QuickLaunchLinkPath(first));
  ASSERT_TRUE(quick_launch.loaded);
  EXPECT_EQ(InFolder(L"bin"), quick_launch.working_folder);
  EXPECT_FALSE(Exists(DesktopLinkPath(dangling)));
  EXPECT_FALSE(Exists(DesktopLinkPath(unnamed)));
  const LinkContents second_link = ReadLink(DesktopLinkPath(second));
  ASSERT_TRUE(second_link.loaded);
  EXPECT_EQ(InFolder(L"tools"), second_link.working_folder);

  // The start-menu link points to the desktop list's last entry.
  const LinkContents start_menu = ReadLink(StartMenuFolder() + L"\\Velto.lnk");
  ASSERT_TRUE(start_menu.loaded);
  EXPECT_EQ(L"Velto", start_menu.description);
  EXPECT_EQ(L"", start_menu.working_folder);
  auto ends_with = [](const std::wstring& text, const std::wstring& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
  };
  EXPECT_TRUE(ends_with(start_menu.target, L" Velto\\tools\\second.exe")) << start_menu.target;
  // The install folder's name is Chinese.
  if (RunsOnWine()) GTEST_SKIP() << "Wine keeps link targets in the ANSI code page only";
  EXPECT_EQ(InFolder(L"bin\\app.exe"), desktop.target);
  EXPECT_EQ(InFolder(L"bin\\app.exe"), quick_launch.target);
  EXPECT_EQ(InFolder(L"tools\\second.exe"), start_menu.target);
  EXPECT_EQ(InFolder(L"tools\\second.exe"), second_link.target);
}

TEST_F(InstallEngineTest, OptionsOffCreateNoShortcut) {
  const std::wstring name = places_.LinkName(L"Off");
  WritePackage({File("app.exe", "app")},
               SetupConfigText(L"app.exe", ShortcutLists({Shortcut(name, L"app.exe")},
                                                         {Shortcut(name, L"app.exe")})));
  ASSERT_TRUE(Install());
  EXPECT_FALSE(Exists(DesktopLinkPath(name)));
  EXPECT_FALSE(Exists(QuickLaunchLinkPath(name)));
  EXPECT_FALSE(Exists(StartMenuFolder()));
}

std::wstring QueryString(HKEY key, const wchar_t* name) {
  wchar_t data[1024] = {};
  DWORD size = sizeof(data) - sizeof(wchar_t);
  DWORD type = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ) {
    return L"<missing>";
  }
  return data;
}

TEST_F(InstallEngineTest, RegistersTheProductUnderTheUninstallKey) {
  WritePackage({File("Velto.exe", "app")});
  ASSERT_TRUE(Install());
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_READ, &key));
  const std::wstring uninstaller = InFolder(L"unins000.exe");
  EXPECT_EQ(L"Velto", QueryString(key, L"DisplayName"));
  EXPECT_EQ(uninstaller, QueryString(key, L"DisplayIcon"));
  EXPECT_EQ(L"\"" + uninstaller + L"\"", QueryString(key, L"UninstallString"));
  EXPECT_EQ(L"\"" + uninstaller + L"\" /S", QueryString(key, L"QuietUninstallString"));
  EXPECT_EQ(0u, QueryString(key, L"HelpLink").rfind(L"https://", 0));
  EXPECT_NE(L"<missing>", QueryString(key, L"Publisher"));
  RegCloseKey(key);
}

// A registration that fails (a machine key the run cannot write) fails the install, which is
// rolled back (exit code 1): no file, uninstaller, entry or journal is left.
TEST_F(InstallEngineTest, ARegistrationThatFailsRollsTheInstallBack) {
  WritePackage({File("Velto.exe", "app"), File("data/a.txt", "a")});
  const auto before = Tree(folder_);
  InstallResult result;
  {
    UnwritableMachineKey read_only;
    ASSERT_TRUE(read_only.Active());
    RecordingSink sink(folder_, false, false, false);
    result = Install(sink);
    EXPECT_NE(L"finished message", sink.events.back());
    EXPECT_EQ(0u, read_only.UninstallSubkeys());
  }
  EXPECT_EQ(InstallError::kCannotWrite, result.error);
  EXPECT_EQ(L"HKEY_LOCAL_MACHINE\\" + UninstallKeyPath(L"Velto"), result.path);
  EXPECT_TRUE(result.unrestored.empty());
  EXPECT_EQ(before, Tree(folder_));
  EXPECT_FALSE(ProductKeyExists());
  EXPECT_FALSE(Exists(JournalFolderOf(L"Velto", InstallScope::kMachine) + L"\\run.journal"));
}

TEST_F(InstallEngineTest, ChineseLastrunGivesLaunchPathWithTheSameCharacters) {
  WritePackage({File("维尔托/启动.exe", "app")},
               SetupConfigText(L"维尔托/启动.exe", ShortcutLists({}, {})));
  RecordingSink sink(folder_, false, false, false);
  ASSERT_TRUE(Install(sink));
  EXPECT_EQ(InFolder(L"维尔托/启动.exe"), sink.launch_path);
  EXPECT_EQ("app", Content(InFolder(L"维尔托\\启动.exe")));
}

// A package whose second entry breaks the installation.
struct BrokenEntryCase {
  const char* label;
  ZipEntry entry;
};

ZipEntry Damaged(const std::string& name, bool wrong_crc, uint16_t method, bool truncate) {
  ZipEntry entry = File(name, std::string(200000, 'd') + "tail");
  entry.wrong_crc = wrong_crc;
  entry.method_override = method;
  entry.truncate_data = truncate;
  return entry;
}

std::vector<BrokenEntryCase> BrokenEntries() {
  std::vector<BrokenEntryCase> cases = {
      {"CRC mismatch", Damaged("bad.bin", true, 0, false)},
      {"unknown compression method", Damaged("bad.bin", false, 99, false)},
      {"truncated data", Damaged("bad.bin", false, 0, true)},
      {"name of 1024 bytes", File(std::string(1024, 'n'), "x")},
  };
  for (const char* name :
       {"../evil.txt", "..\\evil.txt", "/evil.txt", "\\evil.txt", "C:evil.txt", "C:/evil.txt",
        "keep/../../evil.txt", "keep/.. /evil.txt", "evil.txt:stream", "../", "   "}) {
    cases.push_back({name, File(name, "escaped")});
  }
  return cases;
}

TEST_F(InstallEngineTest, BrokenEntryFailsAndRemovesWhatWasRecorded) {
  ASSERT_TRUE(test_package::WriteFileBytes(InFolder(L"unrelated.txt"), "kept"));
  for (const BrokenEntryCase& broken : BrokenEntries()) {
    SCOPED_TRACE(broken.label);
    WritePackage({File("keep/first.txt", "first"), broken.entry, File("later.txt", "later")});
    RecordingSink sink(folder_, true, true, true);
    EXPECT_FALSE(Install(sink));
    EXPECT_FALSE(Exists(InFolder(L"keep\\first.txt")));
    EXPECT_FALSE(Exists(InFolder(L"keep")));
    EXPECT_FALSE(Exists(InFolder(L"bad.bin")));
    EXPECT_FALSE(Exists(InFolder(L"later.txt")));
    EXPECT_FALSE(Exists(InFolder(L"unins000.exe")));
    EXPECT_FALSE(Exists(scratch_.Join(L"evil.txt")));
    EXPECT_FALSE(Exists(L"C:\\evil.txt"));
    EXPECT_FALSE(ProductKeyExists());
    EXPECT_EQ("kept", Content(InFolder(L"unrelated.txt")));
    EXPECT_EQ((std::vector<std::wstring>{kCopying10, L"position 10"}), sink.events);
  }
}

TEST_F(InstallEngineTest, PackageWithoutRoomForTheArchiveFailsWithoutChanges) {
  const std::string config = SetupConfigText(L"Velto.exe", ShortcutLists({}, {}));
  ASSERT_TRUE(test_package::WriteFileBytes(package_, test_package::BuildPackage(config, nullptr)));
  RecordingSink sink(folder_, true, true, true);
  EXPECT_FALSE(Install(sink));
  EXPECT_TRUE(sink.events.empty());
  EXPECT_TRUE(PathIsDirectoryEmptyW(folder_.c_str()));
}

// The product runs from the install folder while its file is replaced.
class InUseTest : public InstallEngineTest {
 protected:
  void SetUp() override {
    InstallEngineTest::SetUp();
    name_ = L"VeltoRun" + std::to_wstring(GetCurrentProcessId()) + L".exe";
    const std::wstring running = InFolder(name_);
    ASSERT_TRUE(CopyFileW(test_package::SiblingProgram(L"setup_engine_helper.exe").c_str(),
                          running.c_str(), FALSE));
    running_bytes_ = Content(running);
    product_.reset(new ChildProcess(running, L"wait " + ready_.name()));
    ASSERT_TRUE(product_->WaitReady(ready_.get()));
    WritePackage({File("first.txt", "first"), File(Utf8(name_), "new program")});
  }

  std::wstring name_;
  std::string running_bytes_;
  NamedEvent ready_;
  std::unique_ptr<ChildProcess> product_;
};

TEST_F(InUseTest, AnswerYesEndsTheProductAndReplacesIt) {
  MessageBoxAnswerer answerer(IDYES);
  RecordingSink sink(folder_, false, false, false);
  ASSERT_TRUE(Install(sink));
  EXPECT_EQ(1, answerer.boxes_seen);
  EXPECT_EQ(L"关闭占用", answerer.caption);
  EXPECT_EQ(L"检测到程序“" + name_ + L"”正在运行, 您必须结束该程序才能继续安装, 是否继续?",
            answerer.text);
  EXPECT_EQ(sink.WindowHandle(), answerer.owner);
  EXPECT_EQ(0, product_->WaitExit());
  EXPECT_EQ("new program", Content(InFolder(name_)));
}

TEST_F(InUseTest, AnswerNoFailsAndLeavesTheRunningProductAlone) {
  MessageBoxAnswerer answerer(IDNO);
  EXPECT_FALSE(Install());
  EXPECT_EQ(1, answerer.boxes_seen);
  EXPECT_TRUE(product_->Running());
  EXPECT_EQ(running_bytes_, Content(InFolder(name_)));
  EXPECT_FALSE(Exists(InFolder(L"first.txt")));
  EXPECT_FALSE(Exists(InFolder(L"unins000.exe")));
}

// A library that another program keeps open (readable, renamable, not
// writable), with no process of the library's name.
class LockedLibraryTest : public InstallEngineTest {
 protected:
  void SetUp() override {
    InstallEngineTest::SetUp();
    library_ = InFolder(L"lib.dll");
    ASSERT_TRUE(test_package::WriteFileBytes(library_, "old library"));
    holder_.reset(
        new ChildProcess(test_package::SiblingProgram(L"setup_engine_helper.exe"),
                         L"hold \"" + library_ + L"\" " + ready_.name() + L" " + quit_.name()));
    ASSERT_TRUE(holder_->WaitReady(ready_.get()));
  }

  void ReleaseLibrary() {
    quit_.Set();
    EXPECT_EQ(0, holder_->WaitExit());
  }

  std::wstring library_;
  NamedEvent ready_;
  NamedEvent quit_;
  std::unique_ptr<ChildProcess> holder_;
};

// The library is no earlier install's file: it is kept aside for the uninstall to put back.
TEST_F(LockedLibraryTest, LibraryIsMovedAsideReplacedAndItsOriginalKeptForTheUninstall) {
  WritePackage({File("lib.dll", "new library"), File("other.txt", "other")});
  ASSERT_TRUE(Install());
  EXPECT_EQ("new library", Content(library_));
  EXPECT_FALSE(Exists(library_ + L".new"));
  ReleaseLibrary();
  EXPECT_EQ("old library", Content(library_ + L".old"));
  EXPECT_EQ(1u, UninstallerConfig()["kept"].size());
  EXPECT_EQ(std::vector<std::wstring>({library_, InFolder(L"other.txt")}),
            DecodePaths(UninstallerConfig()["files"]));
}

TEST_F(LockedLibraryTest, FailureAfterTheSwapPutsTheOriginalLibraryBack) {
  WritePackage({File("lib.dll", "new library"), Damaged("bad.bin", true, 0, false)});
  EXPECT_FALSE(Install());
  EXPECT_EQ("old library", Content(library_));
  EXPECT_FALSE(Exists(library_ + L".old"));
}

// Whatever already has the backup name stays; the original goes to the next
// free name and, being no earlier install's file, waits there for the uninstall.
TEST_F(LockedLibraryTest, TakenBackupNameIsLeftAlone) {
  ASSERT_TRUE(CreateDirectoryW((library_ + L".old").c_str(), nullptr));
  ASSERT_TRUE(test_package::WriteFileBytes(library_ + L".old\\mine.txt", "mine"));
  WritePackage({File("lib.dll", "new library")});
  ASSERT_TRUE(Install());
  EXPECT_EQ("new library", Content(library_));
  EXPECT_EQ("mine", Content(library_ + L".old\\mine.txt"));
  ReleaseLibrary();
  EXPECT_EQ("old library", Content(library_ + L".1.old"));
}

}  // namespace
