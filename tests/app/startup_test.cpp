// Start-up building blocks: elevation checks, the package
// config reading with its bounds, the normalised path comparison of the
// temporary uninstaller and the install folder rules.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/elevation.h"
#include "app/install_folder.h"
#include "app/package_config.h"
#include "app/temporary_uninstaller.h"
#include "json/json_value.h"
#include "setup/package_layout.h"
#include "setup/same_path.h"
#include "setup/win_handles.h"
#include "tests/app/app_test_support.h"

namespace {

using app_test::Package;

TEST(ElevationTest, OnlyALimitedTokenWithAnAdministratorBehindItNeedsElevation) {
  UniqueHandle token;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()));
  TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
  DWORD size = 0;
  ASSERT_TRUE(GetTokenInformation(token.get(), TokenElevationType, &type, sizeof(type), &size));
  if (type == TokenElevationTypeLimited) {
    EXPECT_EQ(NeedsElevation(), IsLinkedTokenAdmin(token.get()));
  } else {
    // An elevated process (every process under Wine) or one without UAC:
    // the relaunch is never taken, so it happens at most once per start.
    EXPECT_FALSE(NeedsElevation());
  }
}

TEST(ElevationTest, NoTokenMeansNoLinkedAdministrator) {
  EXPECT_FALSE(IsLinkedTokenAdmin(nullptr));
  UniqueHandle no_query;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_READ & ~TOKEN_QUERY, no_query.put()));
  EXPECT_FALSE(IsLinkedTokenAdmin(no_query.get()));
}

class ReadPackageConfigTest : public ::testing::Test {
 protected:
  // Writes `bytes` as a package file and reads it; the run mode starts at -7.
  bool Read(const std::string& bytes, int* mode_out = nullptr) {
    const std::wstring path = scratch_.Join(L"package.exe");
    EXPECT_TRUE(test_package::WriteFileBytes(path, bytes));
    JsonValue config;
    int mode = -7;
    const bool found = ReadPackageConfig(path, config, mode);
    if (mode_out) *mode_out = mode;
    return found;
  }

  // The stub image with P replaced by `offset`.
  static std::string WithOffset(std::string bytes, uint32_t offset) {
    const uint32_t lfanew = LoadU32(reinterpret_cast<const unsigned char*>(&bytes[kLfanewOffset]));
    StoreU32(offset, reinterpret_cast<unsigned char*>(&bytes[lfanew - 4]));
    return bytes;
  }

  ScratchFolder scratch_;
};

TEST_F(ReadPackageConfigTest, ModeSelectsTheRunMode) {
  const struct {
    const char* mode_json;
    int mode;
  } cases[] = {
      {"1", 1},     {"2", 2},    {"true", 1},  {"\"1\"", 1},      {"0", 0},
      {"false", 0}, {"null", 0}, {"\"0\"", 0}, {"\"x\"", 0},      {"[1]", 0},
      {"{}", 0},    {"2.9", 2},  {"-1", -1},   {"4294967297", 1},
  };
  for (const auto& c : cases) {
    int mode = -7;
    const std::string config = std::string("{\"mode\":") + c.mode_json + "}";
    EXPECT_TRUE(Read(Package(config), &mode)) << config;
    EXPECT_EQ(mode, c.mode) << config;
  }
}

TEST_F(ReadPackageConfigTest, BrokenPackagesAreNotFound) {
  const std::string image = app_test::StubImage();
  ASSERT_FALSE(image.empty());
  const std::string good = Package("{\"mode\":1}");
  const uint32_t size = static_cast<uint32_t>(good.size());
  const uint32_t p = static_cast<uint32_t>(image.size());
  std::string zero_length = image;
  AppendU32(0, zero_length);
  zero_length += "{\"mode\":1}";
  std::string whole_rest = image;
  AppendU32(size - p, whole_rest);
  whole_rest += "{\"mode\":1}";
  std::string past_end = image;
  AppendU32(size - p - 1, past_end);
  past_end += "{\"mode\":1}";
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"offset 0", WithOffset(good, 0)},
      {"offset equal to the size", WithOffset(good, size)},
      {"offset beyond the size", WithOffset(good, size + 100)},
      {"config length 0", zero_length},
      {"config length equal to size - P", whole_rest},
      {"config length reaching past the end", past_end},
      {"no config length", image},
      {"not JSON", Package("{\"mode\":")},
      {"no mode", Package("{\"lastrun\":\"Velto.exe\",\"protocol\":\"\",\"shortcut\":{}}")},
      {"root not an object", Package("[{\"mode\":1}]")},
      {"shorter than a DOS header", std::string(40, 'M')},
      {"empty file", std::string()},
  };
  for (const auto& c : cases) {
    int mode = -7;
    EXPECT_FALSE(Read(c.bytes, &mode)) << c.what;
    EXPECT_EQ(mode, -7) << c.what;
  }
}

TEST_F(ReadPackageConfigTest, MissingFileIsNotFound) {
  JsonValue config;
  int mode = -7;
  EXPECT_FALSE(ReadPackageConfig(scratch_.Join(L"missing.exe"), config, mode));
}

TEST_F(ReadPackageConfigTest, TheDocumentStaysForThePage) {
  std::string config_text = app_test::InstallConfigText("Licence");
  JsonValue config;
  int mode = 0;
  const std::wstring path = scratch_.Join(L"setup.exe");
  ASSERT_TRUE(test_package::WriteFileBytes(path, Package(config_text)));
  ASSERT_TRUE(ReadPackageConfig(path, config, mode));
  EXPECT_EQ(mode, 1);
  EXPECT_STREQ(config["protocol"].toCString(), "TGljZW5jZQ==");
}

class SamePathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch_.path().empty());
    folder_ = scratch_.Join(L"Temporary Folder With Long Name");
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
    file_ = folder_ + L"\\unins000.exe";
    ASSERT_TRUE(test_package::WriteFileBytes(file_, "MZ"));
  }

  static std::wstring ShortForm(const std::wstring& path) {
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = GetShortPathNameW(path.c_str(), buffer, MAX_PATH);
    return length && length < MAX_PATH ? std::wstring(buffer, length) : std::wstring();
  }

  static std::wstring Upper(std::wstring text) {
    CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
  }

  ScratchFolder scratch_;
  std::wstring folder_;
  std::wstring file_;
};

TEST_F(SamePathTest, OneFileInEveryForm) {
  const std::wstring short_folder = ShortForm(folder_);
  ASSERT_FALSE(short_folder.empty());
  ASSERT_NE(short_folder, folder_) << "the scratch folder has no short name";
  EXPECT_TRUE(IsSamePath(file_, file_));
  EXPECT_TRUE(IsSamePath(file_, Upper(file_)));
  EXPECT_TRUE(IsSamePath(file_, ShortForm(file_)));
  EXPECT_TRUE(IsSamePath(file_, short_folder + L"\\unins000.exe"));
  EXPECT_TRUE(IsSamePath(file_, folder_ + L"\\.\\sub\\..\\unins000.exe"));
  std::wstring slashes = file_;
  for (wchar_t& c : slashes) c = c == L'\\' ? L'/' : c;
  EXPECT_TRUE(IsSamePath(file_, slashes));
}

TEST_F(SamePathTest, DifferentFilesDiffer) {
  EXPECT_FALSE(IsSamePath(file_, folder_ + L"\\unins001.exe"));
  EXPECT_FALSE(IsSamePath(file_, scratch_.Join(L"unins000.exe")));
  EXPECT_FALSE(IsSamePath(file_, L""));
}

TEST_F(SamePathTest, AMissingFileIsComparedByItsFolder) {
  const std::wstring missing = folder_ + L"\\Not Yet There.exe";
  EXPECT_TRUE(IsSamePath(missing, ShortForm(folder_) + L"\\not yet there.EXE"));
  EXPECT_EQ(NormalizePath(ShortForm(folder_) + L"\\Not Yet There.exe"), missing);
}

TEST(InstallFolderTest, DefaultAndChosenFolders) {
  EXPECT_EQ(DefaultInstallFolder(L"C:\\Program Files", L"Velto"), L"C:\\Program Files\\Velto");
  EXPECT_EQ(DefaultInstallFolder(L"", L"Velto"), L"\\Velto");
  EXPECT_EQ(DefaultInstallFolder(L"C:\\Program Files", L"苔岸 Moss"),
            L"C:\\Program Files\\苔岸 Moss");
  EXPECT_EQ(ChosenInstallFolder(L"D:\\", L"Velto"), L"D:\\Velto");
  EXPECT_EQ(ChosenInstallFolder(L"D:\\", L"Mossbank"), L"D:\\Mossbank");
  EXPECT_EQ(ChosenInstallFolder(L"D:\\Apps", L"Velto"), L"D:\\Apps");
  EXPECT_EQ(ChosenInstallFolder(L"D:\\A", L"Velto"), L"D:\\A");
}

TEST(InstallFolderTest, OnlyFullPathsAreAccepted) {
  const struct {
    const wchar_t* path;
    bool full;
  } cases[] = {
      {L"C:\\Program Files\\Velto", true},
      {L"d:\\", true},
      {L"\\\\server\\share\\Velto", true},
      {L"Velto", false},
      {L"C:Velto", false},
      {L"\\Velto", false},
      {L"C:", false},
      {L"", false},
      {L"\\\\\\x", false},
      {L"1:\\Velto", false},
      {L"..\\Velto", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsFullPath(c.path), c.full) << c.path;
}

TEST(InstallFolderTest, PrepareCreatesMissingFoldersAndReportsTheOutermost) {
  ScratchFolder scratch;
  const std::wstring nested = scratch.Join(L"a\\b\\Velto");
  PreparedFolder folder;
  ASSERT_TRUE(PrepareInstallFolder(nested, L"Velto", folder));
  EXPECT_TRUE(GetFileAttributesW(nested.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(folder.path, nested);
  EXPECT_EQ(folder.created_root, scratch.Join(L"a"));
  ASSERT_TRUE(PrepareInstallFolder(nested, L"Velto", folder));
  EXPECT_EQ(folder.created_root, L"");
}

TEST(InstallFolderTest, PrepareTurnsSlashesIntoBackslashes) {
  ScratchFolder scratch;
  std::wstring typed = scratch.Join(L"slashed\\Velto");
  for (wchar_t& c : typed) c = c == L'\\' ? L'/' : c;
  PreparedFolder folder;
  ASSERT_TRUE(PrepareInstallFolder(typed, L"Velto", folder));
  EXPECT_EQ(folder.path, scratch.Join(L"slashed\\Velto"));
  EXPECT_EQ(folder.created_root, scratch.Join(L"slashed"));
}

// A file where the folder or one of its parents belongs: refused, and the
// file kept.
TEST(InstallFolderTest, PrepareRefusesAPathTakenByAFile) {
  ScratchFolder scratch;
  const std::wstring file = scratch.Join(L"file.txt");
  ASSERT_TRUE(test_package::WriteFileBytes(file, "x"));
  for (const std::wstring& typed : {file, file + L"\\Velto"}) {
    PreparedFolder folder;
    EXPECT_FALSE(PrepareInstallFolder(typed, L"Velto", folder));
    std::string content;
    EXPECT_TRUE(test_package::ReadFileBytes(file, content));
    EXPECT_EQ(content, "x");
  }
}

TEST(InstallFolderTest, PrepareRefusesMissingDrivesAndRelativeFolders) {
  const DWORD drives = GetLogicalDrives();
  wchar_t missing = 0;
  for (wchar_t letter = L'Z'; letter >= L'D' && !missing; --letter) {
    if (!(drives & (1u << (letter - L'A')))) missing = letter;
  }
  ASSERT_NE(missing, 0) << "every drive letter is in use";
  const std::wstring on_missing_drive = std::wstring(1, missing) + L":\\Velto";
  PreparedFolder folder;
  EXPECT_FALSE(PrepareInstallFolder(on_missing_drive, L"Velto", folder));

  ScratchFolder scratch;
  wchar_t previous[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(scratch.path().c_str()));
  EXPECT_FALSE(PrepareInstallFolder(L"Relative", L"Velto", folder));
  EXPECT_EQ(GetFileAttributesW(scratch.Join(L"Relative").c_str()), INVALID_FILE_ATTRIBUTES);
  SetCurrentDirectoryW(previous);
}

}  // namespace

namespace {

// A typed drive root gets the product's folder, as the folder dialog gives it: the user's files at
// the root are never the install folder's. The drive is the scratch folder under a spare letter.
TEST(InstallFolderTest, PrepareAppendsTheProductFolderToADriveRoot) {
  ScratchFolder scratch;
  const DWORD drives = GetLogicalDrives();
  wchar_t spare = 0;
  for (wchar_t letter = L'Y'; letter >= L'D' && !spare; --letter) {
    if (!(drives & (1u << (letter - L'A')))) spare = letter;
  }
  ASSERT_NE(spare, 0) << "every drive letter is in use";
  const std::wstring drive = std::wstring(1, spare) + L":";
  // Wine 8 answers TRUE without making the drive: only a drive that shows counts.
  if (!DefineDosDeviceW(0, drive.c_str(), scratch.path().c_str()) ||
      !(GetFileAttributesW((drive + L"\\").c_str()) & FILE_ATTRIBUTE_DIRECTORY) ||
      GetFileAttributesW((drive + L"\\").c_str()) == INVALID_FILE_ATTRIBUTES) {
    DefineDosDeviceW(DDD_REMOVE_DEFINITION, drive.c_str(), nullptr);
    GTEST_SKIP() << "no drive letter can be defined here";
  }
  for (const std::wstring& typed : {drive + L"\\", drive, drive + L"/"}) {
    PreparedFolder folder;
    ASSERT_TRUE(PrepareInstallFolder(typed, L"Mossbank", folder)) << typed;
    EXPECT_EQ(folder.path, drive + L"\\Mossbank");
  }
  EXPECT_TRUE(GetFileAttributesW(scratch.Join(L"Mossbank").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  DefineDosDeviceW(DDD_REMOVE_DEFINITION, drive.c_str(), nullptr);
}

TEST(InstallFolderTest, NotEmptyMeansAnyEntry) {
  ScratchFolder scratch;
  const std::wstring folder = scratch.Join(L"f");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  EXPECT_FALSE(IsFolderNotEmpty(folder));
  ASSERT_TRUE(CreateDirectoryW((folder + L"\\sub").c_str(), nullptr));
  EXPECT_TRUE(IsFolderNotEmpty(folder));
  EXPECT_FALSE(IsFolderNotEmpty(scratch.Join(L"missing")));
}

}  // namespace
