// Two products on one machine: each package's "product" names its own Uninstall entry, start-menu
// folder and settings files, and uninstalling one leaves the other installed, listed and intact.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "json/json_value.h"
#include "json/json_writer.h"
#include "setup/install_engine.h"
#include "setup/package_layout.h"
#include "setup/product.h"
#include "setup/uninstall_engine.h"
#include "setup/uninstall_key.h"
#include "setup/win_handles.h"
#include "tests/setup/engine_test_support.h"
#include "tests/setup/recording_sink.h"
#include "tests/setup/scratch_folder.h"
#include "tests/setup/test_package.h"

namespace {

using namespace engine_test;

constexpr wchar_t kOtherId[] = L"com.example.Mossbank";
constexpr wchar_t kOtherName[] = L"苔岸 Mossbank";

bool Touch(const std::wstring& path) { return test_package::WriteFileBytes(path, "x"); }

class ProductEngineTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(scratch_.path().empty()); }
  void TearDown() override {
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, UninstallKeyPath(kOtherId).c_str());
    ShellDeletePath(GetStartMenuProgramsFolder() + L"\\" + kOtherName);
    ShellDeletePath(AppData(L"Mossbank"));
    ShellDeletePath(AppData(L"Velto"));
  }

  static std::wstring AppData(const std::wstring& name) {
    return GetSpecialFolder(CSIDL_APPDATA) + L"\\" + name;
  }

  // A package of one program file; with `product` (an object) as its "product"
  // and `texts` (a list of translations) as its "texts".
  std::wstring Package(const std::wstring& name, const JsonValue* product,
                       const JsonValue* texts = nullptr) {
    test_package::ZipEntry program;
    program.name = "app.exe";
    program.data = Utf8(name);
    const std::string archive = test_package::BuildZip({program});
    JsonValue config;
    config["lastrun"] = JsonValue("app.exe");
    config["mode"] = 1;
    config["shortcut"] = ShortcutLists({Shortcut(L"ignored", L"missing.exe")}, {});
    if (product) config["product"] = *product;
    if (texts) config["texts"] = *texts;
    const std::wstring path = scratch_.Join(name + L"-setup.exe");
    EXPECT_TRUE(test_package::WriteFileBytes(
        path, test_package::BuildPackage(JsonWriter().write(config), &archive)));
    return path;
  }

  std::wstring OtherPackage() {
    JsonValue product(JsonKind::Object);
    product["id"] = JsonValue(Utf8(kOtherId));
    product["name"] = JsonValue(Utf8(kOtherName));
    product["publisher"] = JsonValue("Moss & Bank");
    product["language"] = JsonValue("en");
    product["remove"][0] = JsonValue("Mossbank\\moss.ini");
    return Package(L"moss", &product);
  }

  // Installs `package` into the new folder `name` of the scratch area, with a start-menu link.
  std::wstring Install(const std::wstring& package, const std::wstring& name) {
    // Made for the run, as the folder check makes it.
    const std::wstring folder = scratch_.Join(name);
    EXPECT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    RecordingSink sink(folder, false, false, true);
    sink.created_folder_root = folder;
    const InstallResult result = RunInstallFromPackage(package, sink);
    EXPECT_TRUE(result) << static_cast<int>(result.error);
    return folder;
  }

  bool Uninstall(const std::wstring& folder, std::vector<std::wstring>* events = nullptr) {
    // The engine reads the record of a copy, as the temporary uninstaller is one.
    const std::wstring copy = scratch_.Join(L"unins-copy.exe");
    DeleteFileW(copy.c_str());
    EXPECT_TRUE(CopyFileW((folder + L"\\unins000.exe").c_str(), copy.c_str(), FALSE));
    RecordingSink sink(std::wstring(), false, false, false);
    const bool done = static_cast<bool>(RunUninstallFromPackage(copy, sink));
    if (events) *events = sink.events;
    return done;
  }

  ScratchFolder scratch_;
  ProductPlaces places_;
};

TEST_F(ProductEngineTest, EachProductRegistersUnderItsOwnIdWithItsOwnValues) {
  const std::wstring velto = Install(Package(L"velto", nullptr), L"Velto");
  const std::wstring other = Install(OtherPackage(), L"Other");

  EXPECT_EQ(EntryValue(L"Velto", L"DisplayName"), L"Velto");
  EXPECT_EQ(EntryValue(L"Velto", L"Publisher"), L"Velto Software Ltd.");
  EXPECT_EQ(EntryValue(L"Velto", L"HelpLink"), L"https://www.velto.app/");
  EXPECT_EQ(EntryValue(L"Velto", L"InstallLocation"), velto);
  EXPECT_EQ(EntryValue(kOtherId, L"DisplayName"), kOtherName);
  EXPECT_EQ(EntryValue(kOtherId, L"Publisher"), L"Moss & Bank");
  EXPECT_EQ(EntryValue(kOtherId, L"HelpLink"), L"<missing>");
  EXPECT_EQ(EntryValue(kOtherId, L"InstallLocation"), other);
  const std::wstring programs = GetStartMenuProgramsFolder();
  EXPECT_TRUE(Exists(programs + L"\\Velto\\Velto.lnk"));
  EXPECT_TRUE(Exists(programs + L"\\" + kOtherName + L"\\" + kOtherName + L".lnk"));
}

TEST_F(ProductEngineTest, APackagedLanguageSpeaksThroughTheInstallAndItsUninstaller) {
  JsonValue product(JsonKind::Object);
  product["id"] = JsonValue(Utf8(kOtherId));
  product["name"] = JsonValue(Utf8(kOtherName));
  product["language"] = JsonValue("ja");
  JsonValue texts(JsonKind::Array);
  texts[0]["language"] = JsonValue("de");
  texts[0]["copying_step"] = JsonValue("Dateien werden kopiert: %ld %%");
  texts[1]["language"] = JsonValue("ja");
  texts[1]["copying_step"] = JsonValue(Utf8(L"ファイルをコピーしています: %ld%%"));
  texts[1]["deleting_step"] = JsonValue(Utf8(L"ショートカットを削除しています: %ld%%"));
  // Placeholders unlike the English text's: shown in English, never formatted.
  texts[1]["start_menu_step"] = JsonValue("%s");
  const std::wstring folder = scratch_.Join(L"Japanese");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  RecordingSink sink(folder, false, false, true);
  sink.created_folder_root = folder;
  ASSERT_TRUE(RunInstallFromPackage(Package(L"moss", &product, &texts), sink));
  const auto saw = [](const std::vector<std::wstring>& events, const std::wstring& event) {
    return std::find(events.begin(), events.end(), event) != events.end();
  };
  EXPECT_TRUE(saw(sink.events, L"text ファイルをコピーしています: 10%"));
  EXPECT_TRUE(saw(sink.events, L"text Creating start menu shortcuts: 90%"));

  // The uninstaller carries the chosen language and only its texts.
  JsonValue config;
  ASSERT_TRUE(LoadPackageConfig(folder + L"\\unins000.exe", config));
  EXPECT_STREQ(config["product"]["language"].toCString(), "ja");
  ASSERT_EQ(config["texts"].size(), 1u);
  EXPECT_STREQ(config["texts"][0]["language"].toCString(), "ja");
  std::vector<std::wstring> events;
  ASSERT_TRUE(Uninstall(folder, &events));
  EXPECT_TRUE(saw(events, L"text ショートカットを削除しています: 90%"));
}

TEST_F(ProductEngineTest, UninstallingOneProductLeavesTheOtherInstalledListedAndIntact) {
  ASSERT_TRUE(EnsureDirectory(AppData(L"Velto")));
  ASSERT_TRUE(EnsureDirectory(AppData(L"Mossbank")));
  ASSERT_TRUE(Touch(AppData(L"Velto\\Velto.cfg")));
  ASSERT_TRUE(Touch(AppData(L"Mossbank\\moss.ini")));
  const std::wstring velto = Install(Package(L"velto", nullptr), L"Velto");
  const std::wstring other = Install(OtherPackage(), L"Other");

  ASSERT_TRUE(Uninstall(other));

  EXPECT_FALSE(Exists(other));
  EXPECT_EQ(EntryValue(kOtherId, L"DisplayName"), L"<no entry>");
  EXPECT_FALSE(Exists(AppData(L"Mossbank\\moss.ini")));
  EXPECT_FALSE(Exists(GetStartMenuProgramsFolder() + L"\\" + kOtherName));
  // Velto: entry, settings, start-menu folder and files as they were.
  EXPECT_EQ(EntryValue(L"Velto", L"InstallLocation"), velto);
  EXPECT_TRUE(Exists(AppData(L"Velto\\Velto.cfg")));
  EXPECT_TRUE(Exists(GetStartMenuProgramsFolder() + L"\\Velto\\Velto.lnk"));
  EXPECT_EQ(Content(velto + L"\\app.exe"), "velto");
  EXPECT_TRUE(Exists(velto + L"\\unins000.exe"));

  // And Velto's own uninstaller still removes Velto with its settings file.
  ASSERT_TRUE(Uninstall(velto));
  EXPECT_EQ(EntryValue(L"Velto", L"DisplayName"), L"<no entry>");
  EXPECT_FALSE(Exists(AppData(L"Velto\\Velto.cfg")));
  EXPECT_FALSE(Exists(velto));
}

TEST_F(ProductEngineTest, AnUninstallerOfAnEarlierInstallElsewhereLeavesTheLiveOneRegistered) {
  const std::wstring package = OtherPackage();
  const std::wstring first = Install(package, L"First");
  const std::wstring second = Install(package, L"Second");
  ASSERT_EQ(EntryValue(kOtherId, L"InstallLocation"), second);

  ASSERT_TRUE(Uninstall(first));

  EXPECT_FALSE(Exists(first));
  EXPECT_EQ(EntryValue(kOtherId, L"InstallLocation"), second);
  EXPECT_TRUE(
      Exists(GetStartMenuProgramsFolder() + L"\\" + kOtherName + L"\\" + kOtherName + L".lnk"));
  EXPECT_TRUE(Exists(second + L"\\unins000.exe"));
}

TEST_F(ProductEngineTest, AProductThatBreaksItsRulesIsADamagedPackageAndWritesNothing) {
  JsonValue product(JsonKind::Object);
  product["name"] = JsonValue("..");
  const std::wstring package = Package(L"bad", &product);
  const std::wstring folder = scratch_.Join(L"Bad");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  RecordingSink sink(folder, true, true, true);
  const InstallResult result = RunInstallFromPackage(package, sink);
  EXPECT_EQ(result.error, InstallError::kPackageDamaged);
  EXPECT_FALSE(Exists(folder + L"\\app.exe"));
  EXPECT_FALSE(Exists(folder + L"\\unins000.exe"));
}

}  // namespace
