#include "setup/uninstall_key.h"

#include <gtest/gtest.h>

#include <string>

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
  ASSERT_EQ(OpenUninstallKey(holder), ERROR_SUCCESS);
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
  ASSERT_EQ(OpenUninstallKey(holder), ERROR_SUCCESS);
  const HKEY first = holder.get();
  ASSERT_EQ(OpenUninstallKey(holder), ERROR_SUCCESS);
  EXPECT_NE(holder.get(), first);
  EXPECT_TRUE(IsOpenKey(holder.get()));
  EXPECT_FALSE(IsOpenKey(first));
}

TEST_F(UninstallKeyTest, CloseEmptiesHolderAndIsHarmlessWhenEmpty) {
  RegKey holder;
  ASSERT_EQ(OpenUninstallKey(holder), ERROR_SUCCESS);
  const HKEY key = holder.get();
  EXPECT_EQ(CloseUninstallKey(holder), ERROR_SUCCESS);
  EXPECT_FALSE(holder);
  EXPECT_FALSE(IsOpenKey(key));
  EXPECT_EQ(CloseUninstallKey(holder), ERROR_SUCCESS);
}

TEST_F(UninstallKeyTest, FailedOpenLeavesHolderUnchanged) {
  RegKey holder;
  ASSERT_EQ(OpenUninstallKey(holder), ERROR_SUCCESS);
  const HKEY key = holder.get();
  EXPECT_NE(OpenKeyInto(nullptr, L"Software\\Brindle", holder), ERROR_SUCCESS);
  EXPECT_EQ(holder.get(), key);
  EXPECT_TRUE(IsOpenKey(key));
}

}  // namespace
