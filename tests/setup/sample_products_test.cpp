// Velto and Mossbank, packed by their builds from the same setup program: both install side by
// side, each under its own entry, and uninstalling Mossbank leaves Velto installed, listed and
// intact.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <string>

#include "setup/install_engine.h"
#include "setup/product.h"
#include "setup/uninstall_engine.h"
#include "setup/win_handles.h"
#include "tests/setup/engine_test_support.h"
#include "tests/setup/recording_sink.h"
#include "tests/setup/scratch_folder.h"

namespace {

using namespace engine_test;

constexpr wchar_t kMossbankId[] = L"com.example.Mossbank";

// A package built into the Windows tree, as a Windows path (the tree is reached through Z:).
std::wstring BuiltPackage(const wchar_t* unix_path) {
  std::wstring path = std::wstring(L"Z:") + unix_path;
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

class SampleProductsTest : public ::testing::Test {
 protected:
  void TearDown() override {
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, UninstallKeyPath(kMossbankId).c_str());
    ShellDeletePath(GetStartMenuProgramsFolder() + L"\\Mossbank");
    for (const wchar_t* name : {L"Velto", L"Mossbank"}) {
      DeleteDesktopShortcut(name);
      DeleteQuickLaunchShortcut(name);
    }
  }

  std::wstring Install(const std::wstring& package, const wchar_t* name) {
    const std::wstring folder = scratch_.Join(name);
    EXPECT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    RecordingSink sink(folder, true, false, true);
    sink.created_folder_root = folder;  // made for the run, as the folder check makes it
    const InstallResult result = RunInstallFromPackage(package, sink);
    EXPECT_TRUE(result) << name << ": " << static_cast<int>(result.error);
    return folder;
  }

  ScratchFolder scratch_;
  ProductPlaces places_;
};

TEST_F(SampleProductsTest, BothInstallAndUninstallingMossbankLeavesVeltoAsItWas) {
  const std::wstring velto = Install(BuiltPackage(BRINDLE_VELTO_SETUP), L"Velto");
  const std::wstring mossbank = Install(BuiltPackage(BRINDLE_MOSSBANK_SETUP), L"Mossbank");

  EXPECT_EQ(EntryValue(L"Velto", L"DisplayName"), L"Velto");
  EXPECT_EQ(EntryValue(L"Velto", L"Publisher"), L"Velto Software Ltd.");
  EXPECT_EQ(EntryValue(L"Velto", L"HelpLink"), L"https://www.velto.app/");
  EXPECT_EQ(EntryValue(kMossbankId, L"DisplayName"), L"Mossbank");
  EXPECT_EQ(EntryValue(kMossbankId, L"Publisher"), L"Moss & Bank Sample Works");
  EXPECT_EQ(EntryValue(kMossbankId, L"HelpLink"), L"https://mossbank.example/help");
  EXPECT_EQ(EntryValue(kMossbankId, L"DisplayVersion"), L"2.0.1");
  EXPECT_EQ(EntryValue(kMossbankId, L"InstallLocation"), mossbank);
  const std::wstring programs = GetStartMenuProgramsFolder();
  EXPECT_TRUE(Exists(programs + L"\\Mossbank\\Mossbank.lnk"));
  EXPECT_TRUE(Exists(programs + L"\\Velto\\Velto.lnk"));
  EXPECT_TRUE(Exists(mossbank + L"\\数据\\地图.txt"));
  const std::string velto_program = Content(velto + L"\\Velto.exe");

  const std::wstring copy = scratch_.Join(L"running-uninstaller.exe");
  ASSERT_TRUE(CopyFileW((mossbank + L"\\unins000.exe").c_str(), copy.c_str(), FALSE));
  RecordingSink sink(std::wstring(), false, false, false);
  ASSERT_TRUE(RunUninstallFromPackage(copy, sink));

  EXPECT_FALSE(Exists(mossbank));
  EXPECT_EQ(EntryValue(kMossbankId, L"DisplayName"), L"<no entry>");
  EXPECT_FALSE(Exists(programs + L"\\Mossbank"));
  EXPECT_EQ(EntryValue(L"Velto", L"InstallLocation"), velto);
  EXPECT_TRUE(Exists(programs + L"\\Velto\\Velto.lnk"));
  EXPECT_TRUE(Exists(DesktopLinkPath(L"Velto")));
  EXPECT_EQ(Content(velto + L"\\Velto.exe"), velto_program);
  EXPECT_TRUE(Exists(velto + L"\\unins000.exe"));
}

}  // namespace
