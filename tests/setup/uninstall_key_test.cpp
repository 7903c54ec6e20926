#include "setup/uninstall_key.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/setup/scratch_folder.h"

namespace {

constexpr wchar_t kExpectedPath[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velto";

bool IsOpenKey(HKEY key) {
  return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool KeyExists() {
  RegKey key;
  return RegOpenKeyExW(HKEY_LOCAL_MACHINE, kExpectedPath, 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

// Writes the product key of this test prefix (the tests run with
// administrator rights) and deletes it afterwards unless it existed before.
class UninstallKeyTest : public ::testing::Test {
 protected:
  void SetUp() override { existed_before_ = KeyExists(); }
  void TearDown() override {
    if (!existed_before_) RegDeleteKeyW(HKEY_LOCAL_MACHINE, kExpectedPath);
  }

 private:
  bool existed_before_ = false;
};

TEST_F(UninstallKeyTest, CreatesProductKeyWithReadAndWriteAccess) {
  RegKey holder;
  ASSERT_EQ(OpenUninstallKey(L"Velto", holder), ERROR_SUCCESS);
  ASSERT_TRUE(holder);
  EXPECT_TRUE(KeyExists());

  const std::wstring value = L"维尔托";
  const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  ASSERT_EQ(RegSetValueExW(holder.get(), L"BrindleTest", 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(value.c_str()), bytes),
            ERROR_SUCCESS);
  wchar_t read[16] = {};
  DWORD size = sizeof(read);
  EXPECT_EQ(RegQueryValueExW(holder.get(), L"BrindleTest", nullptr, nullptr,
                             reinterpret_cast<BYTE*>(read), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(read, value);
  EXPECT_EQ(RegDeleteValueW(holder.get(), L"BrindleTest"), ERROR_SUCCESS);
}

TEST_F(UninstallKeyTest, ReopeningClosesTheKeyHeldBefore) {
  RegKey holder;
  ASSERT_EQ(OpenUninstallKey(L"Velto", holder), ERROR_SUCCESS);
  const HKEY first = holder.get();
  ASSERT_EQ(OpenUninstallKey(L"Velto", holder), ERROR_SUCCESS);
  EXPECT_NE(holder.get(), first);
  EXPECT_TRUE(IsOpenKey(holder.get()));
  EXPECT_FALSE(IsOpenKey(first));
}

TEST_F(UninstallKeyTest, CloseEmptiesHolderAndIsHarmlessWhenEmpty) {
  RegKey holder;
  ASSERT_EQ(OpenUninstallKey(L"Velto", holder), ERROR_SUCCESS);
  const HKEY key = holder.get();
  EXPECT_EQ(CloseUninstallKey(holder), ERROR_SUCCESS);
  EXPECT_FALSE(holder);
  EXPECT_FALSE(IsOpenKey(key));
  EXPECT_EQ(CloseUninstallKey(holder), ERROR_SUCCESS);
}

TEST_F(UninstallKeyTest, FailedOpenLeavesHolderUnchanged) {
  RegKey holder;
  ASSERT_EQ(OpenUninstallKey(L"Velto", holder), ERROR_SUCCESS);
  const HKEY key = holder.get();
  EXPECT_NE(OpenKeyInto(nullptr, L"Software\\Brindle", holder), ERROR_SUCCESS);
  EXPECT_EQ(holder.get(), key);
  EXPECT_TRUE(IsOpenKey(key));
}

// The Apps & features values, written into a scratch key of the current user.
class AppsEntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = L"Software\\BrindleTest\\AppsEntry" + std::to_wstring(GetCurrentProcessId());
    ASSERT_EQ(OpenKeyInto(HKEY_CURRENT_USER, path_.c_str(), key_), ERROR_SUCCESS);
  }
  void TearDown() override {
    key_.Close();
    RegDeleteKeyW(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\BrindleTest");
  }

  std::wstring String(const wchar_t* name) {
    wchar_t data[512] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    DWORD type = 0;
    if (RegQueryValueExW(key_.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
      return L"<missing>";
    }
    return data;
  }

  DWORD Number(const wchar_t* name) {
    DWORD data = 0xDEADBEEF;
    DWORD size = sizeof data;
    DWORD type = 0;
    if (RegQueryValueExW(key_.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD) {
      return 0xDEADBEEF;
    }
    return data;
  }

  std::wstring path_;
  RegKey key_;
};

TEST_F(AppsEntryTest, WritesTheValuesThatAppsAndFeaturesShows) {
  AppsEntryDetails details;
  details.version = L"1.2.0 测试版";
  details.install_folder = L"C:\\Program Files\\维尔托";
  details.install_date.wYear = 2026;
  details.install_date.wMonth = 3;
  details.install_date.wDay = 7;
  struct Size {
    uint64_t bytes;
    DWORD kilobytes;
  };
  for (const Size& size : {Size{0, 0}, Size{1, 1}, Size{1024, 1}, Size{1025, 2},
                           Size{uint64_t{5} << 40, 0xFFFFFFFF}}) {
    details.installed_bytes = size.bytes;
    WriteAppsEntryDetails(key_.get(), details);
    EXPECT_EQ(Number(L"EstimatedSize"), size.kilobytes) << size.bytes;
  }
  EXPECT_EQ(String(L"DisplayVersion"), details.version);
  EXPECT_EQ(String(L"InstallLocation"), details.install_folder);
  EXPECT_EQ(String(L"InstallDate"), L"20260307");
  EXPECT_EQ(Number(L"NoModify"), 1u);
  EXPECT_EQ(Number(L"NoRepair"), 1u);
}

TEST_F(AppsEntryTest, NoVersionWritesNoDisplayVersion) {
  WriteAppsEntryDetails(key_.get(), AppsEntryDetails());
  EXPECT_EQ(String(L"DisplayVersion"), L"<missing>");
  EXPECT_EQ(String(L"InstallDate"), L"00000000");
}

TEST(SizeOfFilesTest, CountsTheFilesThatExist) {
  ScratchFolder scratch;
  ASSERT_FALSE(scratch.path().empty());
  auto write = [&](const wchar_t* name, DWORD size) {
    HANDLE file = CreateFileW(scratch.Join(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::string bytes(size, 'x');
    DWORD written = 0;
    WriteFile(file, bytes.data(), size, &written, nullptr);
    CloseHandle(file);
  };
  write(L"a.bin", 1000);
  write(L"说明.txt", 2500);
  EXPECT_EQ(SizeOfFiles({scratch.Join(L"a.bin"), scratch.Join(L"说明.txt"),
                         scratch.Join(L"missing.txt"), scratch.path()}),
            3500u);
  EXPECT_EQ(SizeOfFiles({}), 0u);
}

}  // namespace
