// The Windows build of brindle-pack, run under the system it is built for: it packs the sample
// product into the same bytes as the packer of the build (a native one), and its package installs.
// A package that the build signed with a throwaway certificate installs too: its uninstaller is
// the signed image the package carries, with the record in a file beside it, and it runs; a
// damaged record file makes it fail without removing anything.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "json/json_value.h"
#include "setup/install_engine.h"
#include "setup/install_record.h"
#include "setup/package_layout.h"
#include "setup/pe_image.h"
#include "setup/uninstall_engine.h"
#include "setup/uninstaller_image.h"
#include "setup/win_handles.h"
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

TEST_F(WindowsPackTest, SignedPackageInstallsItsSignedUninstallerWithTheRecordBeside) {
  const std::wstring package = InBuildTree(L"tests\\tools\\SignedHelperSetup.exe");
  const PeImageFields signed_fields = ImageFields(package);
  ASSERT_NE(signed_fields.security.size, 0u) << "the build did not sign the package";
  JsonValue setup_config;
  std::string signed_image;
  ASSERT_TRUE(LoadPackageConfig(package, setup_config));
  ASSERT_TRUE(SignedUninstallerImage(setup_config, signed_image));
  ASSERT_TRUE(Install(package));
  EXPECT_TRUE(Exists(folder_ + L"\\Velto.exe"));

  // Byte for byte the signed image (the signature itself is checked by osslsigncode in the
  // packer's tests and in app_unattended_deploy).
  const std::wstring uninstaller = folder_ + L"\\unins000.exe";
  const std::wstring record = folder_ + L"\\unins000.dat";
  EXPECT_TRUE(Content(uninstaller) == signed_image);
  EXPECT_NE(ImageFields(uninstaller).security.size, 0u);
  JsonValue config;
  ASSERT_TRUE(LoadPackageConfig(uninstaller, config)) << "the record beside it reads";
  EXPECT_TRUE(NamesRecordBeside(config));
  EXPECT_EQ(ReadInstallRecord(config).folder, folder_);

  // The engine helper uninstalls from its own package, here the record beside it.
  ChildProcess run(uninstaller, L"");
  EXPECT_EQ(run.WaitExit(60000), 0);
  EXPECT_FALSE(Exists(folder_ + L"\\Velto.exe"));
  // The helper runs from the uninstaller itself, which cannot go while it runs (the setup program
  // runs from a temporary copy); its record goes.
  EXPECT_FALSE(Exists(record)) << "the record goes with the uninstaller";
  EXPECT_FALSE(ProductKeyExists());
}

// A record file cut short, emptied, of another form or missing: the uninstaller cannot learn
// what to remove and removes nothing.
TEST_F(WindowsPackTest, ADamagedRecordFileRemovesNothing) {
  const std::wstring package = InBuildTree(L"tests\\tools\\SignedHelperSetup.exe");
  ASSERT_TRUE(Install(package));
  const std::wstring uninstaller = folder_ + L"\\unins000.exe";
  const std::wstring record = folder_ + L"\\unins000.dat";
  const std::string intact = Content(record);
  ASSERT_FALSE(intact.empty());
  const std::pair<const char*, const char*> damages[] = {{"cut short", nullptr},
                                                         {"empty", ""},
                                                         {"an embedded record", "{\"mode\":0}"},
                                                         {"missing", nullptr}};
  for (const auto& [label, text] : damages) {
    SCOPED_TRACE(label);
    if (std::string(label) == "missing") {
      ASSERT_TRUE(DeleteFileW(record.c_str()));
    } else {
      ASSERT_TRUE(test_package::WriteFileBytes(
          record, text ? std::string(text) : intact.substr(0, intact.size() / 2)));
    }
    ChildProcess run(uninstaller, L"");
    EXPECT_EQ(run.WaitExit(60000), 2) << "no package: nothing to remove";
    EXPECT_TRUE(Exists(folder_ + L"\\Velto.exe"));
    EXPECT_TRUE(Exists(uninstaller));
    EXPECT_TRUE(ProductKeyExists());
  }
  ASSERT_TRUE(test_package::WriteFileBytes(record, intact));
  ChildProcess run(uninstaller, L"");
  EXPECT_EQ(run.WaitExit(60000), 0) << "the intact record uninstalls again";
  EXPECT_FALSE(Exists(record));
}

// A file that cannot be deleted is left for the restart of a machine install to remove; the record
// file goes with the signed uninstaller at once, so nothing reads a record of a finished uninstall.
// (The engine runs in this process, which holds the uninstaller open: the real uninstall runs
// from a temporary copy, and the installed image has moved out to wait.)
TEST_F(WindowsPackTest, ASignedUninstallThatLeavesFilesForTheRestartTakesItsRecordAlong) {
  ASSERT_TRUE(Install(InBuildTree(L"tests\\tools\\SignedHelperSetup.exe")));
  const std::wstring uninstaller = folder_ + L"\\unins000.exe";
  const std::string signed_bytes = Content(uninstaller);
  const std::wstring held_path = folder_ + L"\\Velto.exe";
  UninstallResult result;
  {
    const UniqueHandle held(CreateFileW(held_path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    RecordingSink sink(std::wstring(), false, false, false);
    result = RunUninstallFromPackage(uninstaller, sink);
  }
  EXPECT_TRUE(result.read);
  ASSERT_EQ(result.left, std::vector<std::wstring>{held_path});
  EXPECT_TRUE(result.restart_scheduled);
  EXPECT_TRUE(Content(uninstaller) == signed_bytes) << "the signed image is never rewritten";
  EXPECT_FALSE(Exists(folder_ + L"\\unins000.dat"));
  EXPECT_FALSE(ProductKeyExists());
}

// Installing again over a signed install replaces the uninstaller and its record as the product's
// own files; an unsigned package installed over it takes the record file away.
TEST_F(WindowsPackTest, AnUpgradeReplacesTheRecordFileOrTakesItAway) {
  const std::wstring record = folder_ + L"\\unins000.dat";
  ASSERT_TRUE(Install(InBuildTree(L"tests\\tools\\SignedHelperSetup.exe")));
  ASSERT_TRUE(Install(InBuildTree(L"tests\\tools\\SignedHelperSetup.exe")));
  EXPECT_TRUE(Exists(record));
  EXPECT_FALSE(Exists(record + L".old")) << "the earlier record is the product's, not kept";
  JsonValue config;
  ASSERT_TRUE(LoadPackageConfig(folder_ + L"\\unins000.exe", config));
  EXPECT_TRUE(ReadInstallRecord(config).kept.empty());

  ASSERT_TRUE(Install(InBuildTree(L"examples\\VeltoSetup.exe")));
  EXPECT_FALSE(Exists(record));
  EXPECT_FALSE(Exists(record + L".old"));
  ASSERT_TRUE(LoadPackageConfig(folder_ + L"\\unins000.exe", config));
  EXPECT_FALSE(NamesRecordBeside(config));
}

// An unsigned package writes its uninstaller as before: the setup's image with the record inside,
// and no record file.
TEST_F(WindowsPackTest, AnUnsignedPackageWritesNoRecordFile) {
  const std::wstring package = InBuildTree(L"examples\\VeltoSetup.exe");
  ASSERT_TRUE(Install(package));
  EXPECT_FALSE(Exists(folder_ + L"\\unins000.dat"));
  JsonValue config;
  ASSERT_TRUE(LoadPackageConfig(folder_ + L"\\unins000.exe", config));
  EXPECT_FALSE(NamesRecordBeside(config));
  EXPECT_EQ(ReadInstallRecord(config).folder, folder_);
}

}  // namespace
