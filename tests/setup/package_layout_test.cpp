#include "setup/package_layout.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "json/json_reader.h"
#include "json/json_value.h"
#include "json/json_writer.h"
#include "setup/base64.h"
#include "setup/file_utils.h"
#include "setup/paths.h"
#include "setup/scratch_pool.h"
#include "setup/text_convert.h"
#include "tests/setup/scratch_folder.h"

namespace {

constexpr uint32_t kLfanew = 128;
constexpr char kConfig[] = "{\"lastrun\":\"Velto.exe\",\"mode\":1}\n";
constexpr uint32_t kConfigLength = sizeof kConfig - 1;

std::string MakeImage(uint32_t size) {
  std::string image(size, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  StoreU32(kLfanew, reinterpret_cast<unsigned char*>(&image[kLfanewOffset]));
  image.replace(kLfanew, 4, std::string("PE\0\0", 4));
  return image;
}

// Appends a package at the end of `image` and stores its offset at e_lfanew - 4.
std::string AddPackage(std::string image, const std::string& config, const std::string* archive) {
  const uint32_t lfanew = LoadU32(reinterpret_cast<const unsigned char*>(&image[kLfanewOffset]));
  StoreU32(static_cast<uint32_t>(image.size()),
           reinterpret_cast<unsigned char*>(&image[lfanew - 4]));
  AppendU32(static_cast<uint32_t>(config.size()), image);
  image += config;
  if (archive) {
    AppendU32(static_cast<uint32_t>(archive->size()), image);
    image += *archive;
  }
  return image;
}

std::wstring Wide(const std::string& utf8) {
  ScratchPool pool;
  return ToWide(pool, utf8.c_str(), CP_UTF8);
}

std::string Utf8(const std::wstring& wide) {
  ScratchPool pool;
  return ToNarrow(wide.c_str(), pool, CP_UTF8);
}

// Runs `program` with `arguments` and returns its exit code, or -1 when it cannot be started or
// does not end within a minute.
int RunProgram(const std::wstring& program, const std::wstring& arguments) {
  std::wstring command_line = L"\"" + program + L"\" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &info)) {
    return -1;
  }
  UniqueHandle process(info.hProcess);
  UniqueHandle thread(info.hThread);
  DWORD exit_code = 0;
  if (WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(process.get(), &exit_code)) {
    TerminateProcess(process.get(), 255);
    return -1;
  }
  return static_cast<int>(exit_code);
}

class PackageLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(scratch_.path().empty()); }

  std::wstring Write(const std::wstring& name, const std::string& bytes) {
    const std::wstring path = scratch_.Join(name);
    EXPECT_TRUE(WriteWholeFile(path, bytes));
    return path;
  }

  ScratchFolder scratch_;
};

TEST_F(PackageLayoutTest, ReadsConfigAndArchiveFromAFile) {
  const std::string archive = "PK\x03\x04 archive";
  const std::wstring path = Write(
      L"安装 package.exe", AddPackage(MakeImage(4096), kConfig, &archive) + std::string(2, '\0'));
  PackageLocation location;
  ASSERT_TRUE(LocatePackage(path, location));
  EXPECT_EQ(location.package_offset, 4096u);

  JsonValue config;
  ASSERT_TRUE(LoadPackageConfig(path, config, &location));
  EXPECT_EQ(config["mode"].toInt64(), 1);
  EXPECT_EQ(location.config_length, kConfigLength);

  ArchiveRange range;
  ASSERT_TRUE(LocatePayloadArchive(path, 4096, kConfigLength, range));
  EXPECT_EQ(range.offset, 4096 + 8 + kConfigLength);
  std::string read;
  ASSERT_TRUE(LoadPayloadArchive(path, 4096, kConfigLength, read));
  EXPECT_EQ(read, archive);
}

TEST_F(PackageLayoutTest, BrokenFilesHaveNoPackage) {
  const std::string archive = "PK";
  std::string at_end = MakeImage(1024);
  StoreU32(1024, reinterpret_cast<unsigned char*>(&at_end[kLfanew - 4]));
  std::string past_end = at_end;
  StoreU32(1025, reinterpret_cast<unsigned char*>(&past_end[kLfanew - 4]));
  std::string config_too_long = AddPackage(MakeImage(1024), kConfig, nullptr);
  config_too_long.pop_back();
  struct Case {
    const wchar_t* name;
    std::string bytes;
  };
  const Case cases[] = {
      {L"plain.exe", MakeImage(1024)},
      {L"offset-at-end.exe", at_end},
      {L"offset-past-end.exe", past_end},
      {L"config-too-long.exe", config_too_long},
      {L"syntax-error.exe", AddPackage(MakeImage(1024), "{\"mode\":1", &archive)},
      {L"short.exe", "MZ"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.name));
    const std::wstring path = Write(c.name, c.bytes);
    JsonValue config;
    EXPECT_FALSE(LoadPackageConfig(path, config));
  }
  JsonValue config;
  EXPECT_FALSE(LoadPackageConfig(scratch_.Join(L"missing.exe"), config));
}

TEST_F(PackageLayoutTest, ConfigReachingTheEndLeavesNoRoomForTheArchive) {
  const std::wstring path = Write(L"no-archive.exe", AddPackage(MakeImage(1024), kConfig, nullptr));
  JsonValue config;
  PackageLocation location;
  ASSERT_TRUE(LoadPackageConfig(path, config, &location));
  ArchiveRange range;
  EXPECT_FALSE(LocatePayloadArchive(path, 1024, location.config_length, range));
  std::string archive;
  EXPECT_FALSE(LoadPayloadArchive(path, 1024, location.config_length, archive));
}

TEST_F(PackageLayoutTest, FileOpenedWithoutReadSharingCannotBeRead) {
  const std::wstring path = Write(L"locked.exe", AddPackage(MakeImage(1024), kConfig, nullptr));
  UniqueHandle lock(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(lock);
  JsonValue config;
  EXPECT_FALSE(LoadPackageConfig(path, config));
  lock.reset();
  EXPECT_TRUE(LoadPackageConfig(path, config));
}

TEST_F(PackageLayoutTest, UninstallerCopyFileHoldsImageAndConfig) {
  const std::wstring chinese_path = L"C:\\Program Files\\Velto\\使用说明.txt";
  const std::string archive(100000, 'A');
  const std::string setup = AddPackage(MakeImage(300000), kConfig, &archive);
  const std::wstring setup_path = Write(L"setup.exe", setup);
  JsonValue config;
  config["mode"] = 0;
  config["files"][0] = JsonValue(Base64EncodeBytes(Utf8(chinese_path)));
  const std::string text = JsonWriter().write(config);

  const std::wstring copy_path = scratch_.Join(L"unins000.exe");
  ASSERT_TRUE(WriteUninstallerCopyFile(setup_path, 300000, config, copy_path));
  std::string copy;
  ASSERT_TRUE(ReadWholeFile(copy_path, copy));
  ASSERT_EQ(copy.size(), 300000 + 4 + text.size());
  EXPECT_EQ(copy.compare(0, 300000, setup, 0, 300000), 0);

  std::string in_memory;
  ASSERT_TRUE(BuildUninstallerCopy(setup_path, 300000, config, in_memory));
  EXPECT_EQ(in_memory, copy);

  JsonValue read_back;
  PackageLocation location;
  ASSERT_TRUE(LoadPackageConfig(copy_path, read_back, &location));
  EXPECT_EQ(location.package_offset, 300000u);
  EXPECT_EQ(read_back["mode"].toInt64(), 0);
  EXPECT_EQ(Wide(Base64DecodeText(read_back["files"][0].toCString())), chinese_path);
}

TEST_F(PackageLayoutTest, FailedUninstallerCopyLeavesNoFile) {
  JsonValue config;
  config["mode"] = 0;
  const std::wstring setup_path = Write(L"setup.exe", MakeImage(1024));
  const std::wstring copy_path = scratch_.Join(L"unins000.exe");
  EXPECT_FALSE(WriteUninstallerCopyFile(setup_path, 2048, config, copy_path));
  EXPECT_EQ(GetFileAttributesW(copy_path.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(WriteUninstallerCopyFile(scratch_.Join(L"missing.exe"), 1024, config, copy_path));
  EXPECT_FALSE(WriteUninstallerCopyFile(setup_path, 1024, config,
                                        scratch_.Join(L"no such folder\\unins000.exe")));
  std::string copy;
  EXPECT_FALSE(BuildUninstallerCopy(setup_path, 2048, config, copy));
}

// Runs only inside a packaged copy of this test program (started by the test below): reads the
// own package through GetModulePath, reports what it found as JSON to the file named by "report",
// and writes the uninstaller copy named by "copy", whose config names "copy_report" as its own
// "report".
TEST(DISABLED_PackagedProgram, ReportsItsOwnPackage) {
  const std::wstring self = GetModulePath();
  JsonValue config;
  PackageLocation location;
  ASSERT_TRUE(LoadPackageConfig(self, config, &location));
  ASSERT_TRUE(config.hasMember("report"));
  JsonValue report;
  report["config"] = config;
  report["package_offset"] = static_cast<int64_t>(location.package_offset);
  report["config_length"] = static_cast<int64_t>(location.config_length);
  std::string archive;
  if (LoadPayloadArchive(self, location.package_offset, location.config_length, archive)) {
    report["archive"] = JsonValue(archive);
  }
  if (config.hasMember("copy")) {
    JsonValue copy_config;
    copy_config["mode"] = 0;
    copy_config["report"] = config["copy_report"];
    report["copied"] = WriteUninstallerCopyFile(self, location.package_offset, copy_config,
                                                Wide(config["copy"].toCString()));
  }
  ASSERT_TRUE(WriteWholeFile(Wide(config["report"].toCString()), JsonWriter().write(report)));
}

constexpr wchar_t kChildArguments[] =
    L"--gtest_also_run_disabled_tests --gtest_filter=DISABLED_PackagedProgram.*";

JsonValue ReadReport(const std::wstring& path) {
  std::string text;
  JsonValue report;
  EXPECT_TRUE(ReadWholeFile(path, text));
  EXPECT_TRUE(JsonReader().parse(text.c_str(), report)) << text;
  return report;
}

TEST_F(PackageLayoutTest, PackagedCopyOfThisProgramReadsItsOwnPackage) {
  std::string image;
  ASSERT_TRUE(ReadWholeFile(GetModulePath(), image));
  ASSERT_GT(image.size(), kDosHeaderSize);
  const uint32_t lfanew = LoadU32(reinterpret_cast<const unsigned char*>(&image[kLfanewOffset]));
  ASSERT_EQ(LoadU32(reinterpret_cast<const unsigned char*>(&image[lfanew - 4])), 0u)
      << "this test program already carries a package";
  const uint32_t image_size = static_cast<uint32_t>(image.size());

  const std::wstring setup_path = scratch_.Join(L"Velto 安装.exe");
  const std::wstring copy_path = scratch_.Join(L"unins000.exe");
  JsonValue config;
  config["mode"] = 1;
  config["report"] = JsonValue(Utf8(scratch_.Join(L"setup-report.json")));
  config["copy"] = JsonValue(Utf8(copy_path));
  config["copy_report"] = JsonValue(Utf8(scratch_.Join(L"copy-report.json")));
  const std::string config_text = JsonWriter().write(config);
  const std::string archive = "archive bytes";
  ASSERT_TRUE(WriteWholeFile(setup_path, AddPackage(image, config_text, &archive)));

  ASSERT_EQ(RunProgram(setup_path, kChildArguments), 0);
  const JsonValue setup_report = ReadReport(scratch_.Join(L"setup-report.json"));
  EXPECT_EQ(JsonWriter().write(setup_report["config"]), config_text);
  EXPECT_EQ(setup_report["package_offset"].toInt64(), static_cast<int64_t>(image_size));
  EXPECT_EQ(setup_report["config_length"].toInt64(), static_cast<int64_t>(config_text.size()));
  EXPECT_STREQ(setup_report["archive"].toCString(), archive.c_str());
  EXPECT_TRUE(setup_report["copied"].toBool());

  // The uninstaller copy runs as a program of its own and finds its config, but no archive.
  ASSERT_EQ(RunProgram(copy_path, kChildArguments), 0);
  const JsonValue copy_report = ReadReport(scratch_.Join(L"copy-report.json"));
  EXPECT_EQ(copy_report["config"]["mode"].toInt64(), 0);
  EXPECT_EQ(copy_report["package_offset"].toInt64(), static_cast<int64_t>(image_size));
  EXPECT_FALSE(copy_report.hasMember("archive"));
  std::string copy;
  ASSERT_TRUE(ReadWholeFile(copy_path, copy));
  EXPECT_EQ(copy.size(),
            image_size + 4 + static_cast<uint64_t>(copy_report["config_length"].toInt64()));
}

}  // namespace
