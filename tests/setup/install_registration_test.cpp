// The product's Uninstall entry as an installation writes it: the values that Apps & features
// shows, read back from the registry.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "json/json_value.h"
#include "json/json_writer.h"
#include "setup/install_engine.h"
#include "setup/package_layout.h"
#include "setup/uninstall_engine.h"
#include "setup/uninstall_key.h"
#include "setup/win_handles.h"
#include "tests/setup/engine_test_support.h"
#include "tests/setup/recording_sink.h"
#include "tests/setup/scratch_folder.h"
#include "tests/setup/test_package.h"

namespace {

using namespace engine_test;

class InstallRegistrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch_.path().empty());
    folder_ = scratch_.Join(L"Velto");
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
  }

  // Installs a package with two files whose config carries `version` when it is not empty.
  void Install(const std::string& version) {
    RecordingSink sink(folder_, false, false, false);
    ASSERT_TRUE(RunInstallFromPackage(WritePackage(version, ""), sink));
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_READ, key_.put()),
              ERROR_SUCCESS);
  }

  // Writes a package with two files whose config carries `version` and `scope` when they are not
  // empty; returns its path.
  std::wstring WritePackage(const std::string& version, const std::string& scope) {
    test_package::ZipEntry big;
    big.name = "data/big.bin";
    big.data = std::string(5000, 'b');
    test_package::ZipEntry small;
    small.name = "Velto.exe";
    small.data = "app";
    const std::string archive = test_package::BuildZip({small, big});
    JsonValue config;
    config["lastrun"] = JsonValue("Velto.exe");
    config["mode"] = 1;
    config["shortcut"] = ShortcutLists({}, {});
    if (!version.empty()) config["version"] = JsonValue(version);
    if (!scope.empty()) config["scope"] = JsonValue(scope);
    const std::wstring package = scratch_.Join(L"setup.exe");
    EXPECT_TRUE(test_package::WriteFileBytes(
        package, test_package::BuildPackage(JsonWriter().write(config), &archive)));
    return package;
  }

  // The value `name` as text: REG_SZ as is, REG_DWORD in decimal, "<missing>" otherwise.
  std::wstring Value(const wchar_t* name) {
    BYTE data[1024] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    DWORD type = 0;
    if (RegQueryValueExW(key_.get(), name, nullptr, &type, data, &size) != ERROR_SUCCESS) {
      return L"<missing>";
    }
    if (type == REG_DWORD) return std::to_wstring(*reinterpret_cast<DWORD*>(data));
    return type == REG_SZ ? reinterpret_cast<wchar_t*>(data) : L"<other type>";
  }

  ScratchFolder scratch_;
  ProductPlaces places_;
  std::wstring folder_;
  RegKey key_;
};

TEST_F(InstallRegistrationTest, WritesVersionFolderSizeDateAndNoModifyOrRepair) {
  SYSTEMTIME before;
  GetLocalTime(&before);
  Install("1.2.0");
  SYSTEMTIME after;
  GetLocalTime(&after);
  EXPECT_EQ(Value(L"DisplayVersion"), L"1.2.0");
  EXPECT_EQ(Value(L"InstallLocation"), folder_);
  // 3 + 5000 bytes of files and the uninstaller copy, in kilobytes rounded up.
  const uint64_t bytes = 5003 + Content(folder_ + L"\\unins000.exe").size();
  EXPECT_EQ(Value(L"EstimatedSize"), std::to_wstring((bytes + 1023) / 1024));
  auto date = [](const SYSTEMTIME& time) {
    wchar_t text[16];
    swprintf(text, 16, L"%04u%02u%02u", time.wYear, time.wMonth, time.wDay);
    return std::wstring(text);
  };
  const std::wstring installed = Value(L"InstallDate");
  EXPECT_TRUE(installed == date(before) || installed == date(after)) << installed;
  EXPECT_EQ(Value(L"NoModify"), L"1");
  EXPECT_EQ(Value(L"NoRepair"), L"1");
  EXPECT_EQ(Value(L"DisplayName"), L"Velto");
}

TEST_F(InstallRegistrationTest, PackageWithoutVersionRegistersNoDisplayVersion) {
  Install("");
  EXPECT_EQ(Value(L"DisplayVersion"), L"<missing>");
  EXPECT_EQ(Value(L"InstallLocation"), folder_);
}

// The package decides its scope, unless it offers both: then the sink's choice counts. A per-user
// install registers under HKEY_CURRENT_USER only, records its scope for the uninstaller, and the
// uninstall removes that entry.
TEST_F(InstallRegistrationTest, APerUserInstallRegistersAndUnregistersUnderTheUsersKeyOnly) {
  const struct {
    const char* package_scope;
    InstallScope chosen;
  } cases[] = {{"user", InstallScope::kMachine}, {"both", InstallScope::kUser}};
  for (const auto& c : cases) {
    RecordingSink sink(folder_, false, false, false);
    sink.scope = c.chosen;
    ASSERT_TRUE(RunInstallFromPackage(WritePackage("", c.package_scope), sink));
    std::wstring location;
    EXPECT_EQ(ReadUninstallValue(L"Velto", L"InstallLocation", location, InstallScope::kUser),
              ERROR_SUCCESS)
        << c.package_scope;
    EXPECT_EQ(location, folder_);
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_READ, key_.put()),
              ERROR_FILE_NOT_FOUND)
        << c.package_scope;
    JsonValue uninstaller;
    ASSERT_TRUE(LoadPackageConfig(folder_ + L"\\unins000.exe", uninstaller));
    EXPECT_STREQ(uninstaller["scope"].toCString(), "user") << c.package_scope;

    RecordingSink uninstall_sink(folder_, false, false, false);
    EXPECT_TRUE(RunUninstallFromPackage(folder_ + L"\\unins000.exe", uninstall_sink));
    EXPECT_EQ(ReadUninstallValue(L"Velto", L"InstallLocation", location, InstallScope::kUser),
              ERROR_FILE_NOT_FOUND)
        << c.package_scope;
    RegDeleteKeyW(HKEY_CURRENT_USER, kProductKey);
  }
}

}  // namespace
