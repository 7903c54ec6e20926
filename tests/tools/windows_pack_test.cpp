// The Windows build of brindle-pack, run under the system it is built for: it packs the sample
// product into the same bytes as the packer of the build (a native one), and its package installs.
// A package that the build signed with a throwaway certificate installs too, and its uninstaller
// copy is an unsigned image that runs.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "json/json_value.h"
#include "setup/install_engine.h"
#include "setup/package_layout.h"
#include "setup/pe_image.h"
#include "tests/setup/child_process.h"
#include "tests/setup/engine_test_support.h"
#include "tests/setup/recording_sink.h"
#include "tests/setup/scratch_folder.h"
#include "tests/setup/test_package.h"

namespace {

using namespace engine_test;

// A file of the Windows build tree, from its path relative to the tree's root.
std::wstring InBuildTree(const std::wstring& relative) {
  const std::wstring tests = test_package::SiblingProgram(L"..\\..\\" + relative);
  wchar_t full[MAX_PATH * 2] = {};
  GetFullPathNameW(tests.c_str(), MAX_PATH * 2, full, nullptr);
  return full;
}

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

// Runs the Windows brindle-pack with `arguments`; its exit code.
long RunPacker(const std::wstring& arguments) {
  ChildProcess packer(InBuildTree(L"tools\\brindle-pack.exe"), arguments);
  return packer.WaitExit(60000);
}

PeImageFields ImageFields(const std::wstring& path) {
  FileByteSource file(path);
  PeImageFields fields;
  EXPECT_TRUE(file.IsOpen() && ReadPeImageFields(file, fields)) << "no PE image";
  return fields;
}

std::wstring RegistryString(const wchar_t* name) {
  wchar_t data[256] = {};
  DWORD size = sizeof data - sizeof(wchar_t);
  if (RegGetValueW(HKEY_LOCAL_MACHINE, kProductKey, name, RRF_RT_REG_SZ, nullptr, data, &size) !=
      ERROR_SUCCESS) {
    return L"<missing>";
  }
  return data;
}

class WindowsPackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch_.path().empty());
    folder_ = scratch_.Join(L"安装");
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
  }

  bool Install(const std::wstring& package) {
    RecordingSink sink(folder_, false, false, false);
    return static_cast<bool>(RunInstallFromPackage(package, sink));
  }

  ScratchFolder scratch_;
  ProductPlaces places_;
  std::wstring folder_;
};

TEST_F(WindowsPackTest, PacksTheSameBytesAsTheBuildsPackerAndTheyInstall) {
  const std::wstring output = scratch_.Join(L"VeltoSetup.exe");
  const std::wstring arguments =
      L"pack --stub " + Quoted(InBuildTree(L"app\\BrindleSetup.exe")) + L" --payload " +
      Quoted(InBuildTree(L"examples\\velto-payload")) + L" --licence " +
      Quoted(InBuildTree(L"..\\..\\examples\\velto\\licence.txt")) +
      L" --lastrun Velto.exe --desktop Velto=Velto.exe --taskbar Velto=Velto.exe"
      L" --progress never --output " +
      Quoted(output);
  ASSERT_EQ(RunPacker(arguments), 0);
  EXPECT_TRUE(Content(output) == Content(InBuildTree(L"examples\\VeltoSetup.exe")))
      << "the Windows packer and the build's packer made different packages";
  EXPECT_EQ(RunPacker(L"inspect " + Quoted(output)), 0);

  JsonValue config;
  ASSERT_TRUE(LoadPackageConfig(output, config));
  EXPECT_STREQ(config["version"].toCString(), "1.2.0") << "from Velto.exe's version resource";
  ASSERT_TRUE(Install(output));
  EXPECT_EQ(Content(folder_ + L"\\Velto.exe"),
            Content(InBuildTree(L"examples\\velto-payload\\Velto.exe")));
  EXPECT_TRUE(Exists(folder_ + L"\\docs\\使用说明.txt"));
  EXPECT_EQ(RegistryString(L"DisplayVersion"), L"1.2.0");
}

TEST_F(WindowsPackTest, SignedPackageInstallsAndItsUninstallerCopyIsUnsignedAndRuns) {
  const std::wstring package = InBuildTree(L"tests\\tools\\SignedHelperSetup.exe");
  const PeImageFields signed_fields = ImageFields(package);
  ASSERT_NE(signed_fields.security.size, 0u) << "the build did not sign the package";
  ASSERT_TRUE(Install(package));
  EXPECT_TRUE(Exists(folder_ + L"\\Velto.exe"));

  const std::wstring copy = folder_ + L"\\unins000.exe";
  const PeImageFields copy_fields = ImageFields(copy);
  EXPECT_EQ(copy_fields.security.address, 0u);
  EXPECT_EQ(copy_fields.security.size, 0u);
  // The copy's program image is the engine helper, which uninstalls from its own package.
  ChildProcess uninstaller(copy, L"");
  EXPECT_EQ(uninstaller.WaitExit(60000), 0);
  EXPECT_FALSE(Exists(folder_ + L"\\Velto.exe"));
  EXPECT_FALSE(ProductKeyExists());
}

}  // namespace
