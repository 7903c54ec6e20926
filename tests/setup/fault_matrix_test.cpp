// The engines where installing meets what is already on the disk: one table
// of installations that must fail, each of which must report its cause and
// leave its scratch area, the product's registration included, exactly as it
// was; then the uninstall cases of files that are gone, a program of the same
// name elsewhere and lists of the wrong kind.
//
// The space rows need a small, nearly empty drive, named by the
// environment variable BRINDLE_SMALL_DRIVE (such as "T:"). Under Wine,
// tests/setup/small_drive.sh mounts a tmpfs for it; on Windows any small
// drive will do (a VHD, a memory stick). Without one those rows are skipped.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "json/json_value.h"
#include "json/json_writer.h"
#include "setup/install_engine.h"
#include "setup/install_journal.h"
#include "setup/uninstall_engine.h"
#include "setup/win_handles.h"
#include "tests/setup/child_process.h"
#include "tests/setup/engine_test_support.h"
#include "tests/setup/recording_sink.h"
#include "tests/setup/scratch_folder.h"
#include "tests/setup/test_package.h"

namespace {

using namespace engine_test;
using test_package::ZipEntry;

ZipEntry File(const std::string& name, const std::string& data) { return {name, data}; }

// What the install folder holds before the run.
enum class Before {
  kEmptyFolder,             // an empty folder the user chose
  kFolderMadeForTheRun,     // nothing: the folder check creates it for the run
  kUserItems,               // the user's folder "Velto.exe\" and file "data"
  kPreviousInstall,         // an earlier installation of the product
  kPreviousInstallRunning,  // the same, with its Velto.exe running
};

// How the row uses up the small drive. The first two add an entry "big.bin" sized when the row
// runs, from the free space of the drive; the engine's check of the free space refuses both
// before it writes anything. The last two let the check pass and then, after the run's first
// file, fill the drive from outside the install folder, as another program would: the copy
// itself meets the full disk.
enum class Fill {
  kNone,
  kBeyondTheFreeSpace,             // 1 MiB more than is free
  kAllButHalfTheUninstaller,       // leaves room for half an uninstaller copy
  kTakenDuringThePayload,          // "big.bin" of 1 MiB; 64 KiB stay free after the first file
  kTakenBeforeTheUninstallerCopy,  // 8 KiB stay free after the first file
};

struct FaultRow {
  std::string label;
  bool on_small_drive;
  Before before;
  std::vector<ZipEntry> entries;
  Fill fill;
  InstallError error;
  std::wstring path;  // relative to the install folder; "." for the folder; empty for none
};

// The program of the earlier installation runs, so it is the helper program.
std::vector<ZipEntry> PreviousInstall() {
  return {File("aaa.dll", "old library"), File("Velto.exe", test_package::StubImage()),
          File("data/", ""), File("data/old.txt", "old data")};
}

// Sorted before Velto.exe, so that it is replaced before anything fails.
std::vector<ZipEntry> Reinstall() {
  return {File("aaa.dll", "new library"), File("Velto.exe", "new program"),
          File("data/new.txt", "new data")};
}

void PrintTo(const FaultRow& row, std::ostream* out) { *out << row.label; }

std::vector<FaultRow> FaultRows() {
  std::vector<FaultRow> rows = {
      {"folder in a file's way",
       false,
       Before::kUserItems,
       {File("first.txt", "first"), File("Velto.exe", "program")},
       Fill::kNone,
       InstallError::kFolderInTheWay,
       L"Velto.exe"},
      {"file in a folder's way",
       false,
       Before::kUserItems,
       {File("first.txt", "first"), File("data/x.txt", "x")},
       Fill::kNone,
       InstallError::kFileInTheWay,
       L"data"},
      {"reinstall answered No", false, Before::kPreviousInstallRunning, Reinstall(), Fill::kNone,
       InstallError::kProgramNotClosed, L"Velto.exe"},
      {"damaged entry in a folder made for the run",
       false,
       Before::kFolderMadeForTheRun,
       {File("nested/deeper/a.txt", "a"), File("bad.bin", "b")},
       Fill::kNone,
       InstallError::kPackageDamaged,
       L""},
      {"too little space for the payload of a reinstall", true, Before::kPreviousInstall,
       Reinstall(), Fill::kBeyondTheFreeSpace, InstallError::kNotEnoughSpace, L"."},
      {"too little space for the uninstaller copy",
       true,
       Before::kFolderMadeForTheRun,
       {},
       Fill::kAllButHalfTheUninstaller,
       InstallError::kNotEnoughSpace,
       L"."},
      {"full disk during the payload of a reinstall", true, Before::kPreviousInstall, Reinstall(),
       Fill::kTakenDuringThePayload, InstallError::kDiskFull, L"big.bin"},
      {"full disk during the uninstaller copy",
       true,
       Before::kFolderMadeForTheRun,
       {File("first.txt", "first")},
       Fill::kTakenBeforeTheUninstallerCopy,
       InstallError::kDiskFull,
       L"unins000.exe"},
  };
  rows[3].entries[1].wrong_crc = true;
  for (const char* name : {"NUL", "con.txt", "Aux", "COM1", "lpt9.log", "data/nul.dat", "a*b.txt",
                           "what?.txt", "a<b.txt", "a>b.txt", "a|b.txt", "a\"b.txt"}) {
    rows.push_back({std::string("entry named ") + name,
                    false,
                    Before::kEmptyFolder,
                    {File("first.txt", "first"), File(name, "device")},
                    Fill::kNone,
                    InstallError::kPackageDamaged,
                    L""});
  }
  return rows;
}

std::wstring UninstallString() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return L"<no key>";
  }
  wchar_t data[1024] = {};
  DWORD size = sizeof(data) - sizeof(wchar_t);
  const LONG result = RegQueryValueExW(key, L"UninstallString", nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  return result == ERROR_SUCCESS ? data : L"<no value>";
}

// The small drive's root ("T:\"), or empty when none is given.
std::wstring SmallDrive() {
  wchar_t drive[16] = {};
  const DWORD length = GetEnvironmentVariableW(L"BRINDLE_SMALL_DRIVE", drive, 16);
  if (length == 0 || length >= 16) return std::wstring();
  return std::wstring(drive) + (drive[length - 1] == L'\\' ? L"" : L"\\");
}

uint64_t FreeBytes(const std::wstring& folder) {
  ULARGE_INTEGER free = {};
  GetDiskFreeSpaceExW(folder.c_str(), &free, nullptr, nullptr);
  return free.QuadPart;
}

// Another program that fills the small drive at the run's first step on the disk, leaving
// `leave` bytes free, with the file "filler.bin" at the drive's root.
struct DriveFiller {
  static inline std::wstring file;
  static inline uint64_t leave = 0;
  static inline bool filled = false;

  static void Arm(const std::wstring& drive, uint64_t leave_bytes) {
    file = drive + L"filler.bin";
    leave = leave_bytes;
    filled = false;
    SetDiskStepHookForTesting(&Fill);
  }

  static void Disarm() {
    SetDiskStepHookForTesting(nullptr);
    if (!file.empty()) DeleteFileW(file.c_str());
    file.clear();
  }

  static void Fill() {
    if (filled) return;
    filled = true;
    const size_t slash = file.find_last_of(L'\\');
    const uint64_t free = FreeBytes(file.substr(0, slash + 1));
    if (free <= leave) return;
    UniqueHandle filler(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::string chunk(1 << 20, 'f');
    for (uint64_t left = free - leave; filler && left > 0;) {
      const DWORD size = static_cast<DWORD>(left < chunk.size() ? left : chunk.size());
      DWORD written = 0;
      if (!WriteFile(filler.get(), chunk.data(), size, &written, nullptr) || written == 0) break;
      left -= written;
    }
  }
};

class FaultMatrixTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(scratch_.path().empty()); }

  // Writes a setup package with `entries` to the scratch folder (never the
  // small drive); its path.
  std::wstring Package(const std::string& name, const std::vector<ZipEntry>& entries,
                       const JsonValue& shortcuts = ShortcutLists({}, {})) {
    const std::string archive = test_package::BuildZip(entries);
    const std::wstring path = scratch_.Join(Wide(name) + L".exe");
    EXPECT_TRUE(test_package::WriteFileBytes(
        path, test_package::BuildPackage(SetupConfigText(L"Velto.exe", shortcuts), &archive)));
    return path;
  }

  ScratchFolder scratch_;
  ProductPlaces places_;
};

class FailedInstallTest : public FaultMatrixTest, public ::testing::WithParamInterface<FaultRow> {
 protected:
  void TearDown() override {
    DriveFiller::Disarm();
    product_.reset();
    if (!area_.empty()) ScratchFolder::RemoveTree(area_);
  }

  // Makes `before` in `folder`; starts the product for kPreviousInstallRunning.
  void Arrange(Before before, const std::wstring& folder) {
    if (before == Before::kFolderMadeForTheRun) return;
    ASSERT_TRUE(EnsureDirectory(folder));
    if (before == Before::kUserItems) {
      ASSERT_TRUE(EnsureDirectory(folder + L"\\Velto.exe"));
      ASSERT_TRUE(test_package::WriteFileBytes(folder + L"\\Velto.exe\\notes.txt", "notes"));
      ASSERT_TRUE(test_package::WriteFileBytes(folder + L"\\data", "user data"));
    }
    if (before != Before::kPreviousInstall && before != Before::kPreviousInstallRunning) return;
    RecordingSink sink(folder, false, false, false);
    ASSERT_TRUE(RunInstallFromPackage(Package("previous", PreviousInstall()), sink));
    if (before == Before::kPreviousInstallRunning) {
      product_.reset(new ChildProcess(folder + L"\\Velto.exe", L"wait " + ready_.name()));
      ASSERT_TRUE(product_->WaitReady(ready_.get()));
    }
  }

  // The row's entries with "big.bin" sized for the free space of `area`.
  static std::vector<ZipEntry> Entries(const FaultRow& row, const std::wstring& area) {
    std::vector<ZipEntry> entries = row.entries;
    ULARGE_INTEGER free = {};
    GetDiskFreeSpaceExW(area.c_str(), &free, nullptr, nullptr);
    if (row.fill == Fill::kBeyondTheFreeSpace) {
      entries.insert(entries.begin() + 1,
                     File("big.bin", std::string(free.QuadPart + (1 << 20), 'b')));
    } else if (row.fill == Fill::kAllButHalfTheUninstaller) {
      const uint64_t uninstaller = test_package::StubImage().size();
      entries.push_back(File("big.bin", std::string(free.QuadPart - uninstaller / 2, 'b')));
    } else if (row.fill == Fill::kTakenDuringThePayload) {
      entries.insert(entries.begin() + 1, File("big.bin", std::string(1 << 20, 'b')));
    }
    return entries;
  }

  std::wstring area_;  // this row's scratch area, on the small drive or not
  NamedEvent ready_;
  std::unique_ptr<ChildProcess> product_;
};

TEST_P(FailedInstallTest, ReportsItsCauseAndLeavesTheDiskAsItWas) {
  const FaultRow& row = GetParam();
  if (row.on_small_drive) {
    const std::wstring drive = SmallDrive();
    if (drive.empty()) GTEST_SKIP() << "BRINDLE_SMALL_DRIVE names no small drive";
    area_ = drive + L"fault-" + std::to_wstring(GetCurrentProcessId());
  } else {
    area_ = scratch_.Join(L"area");
  }
  ASSERT_TRUE(EnsureDirectory(area_));
  const std::wstring folder = area_ + L"\\安装 Velto";
  Arrange(row.before, folder);
  const auto tree_before = Tree(area_);
  const std::wstring registered_before = UninstallString();

  RecordingSink sink(folder, false, false, false);
  if (row.before == Before::kFolderMadeForTheRun) {
    ASSERT_TRUE(EnsureDirectory(folder));
    sink.created_folder_root = folder;
  }
  const std::wstring package = Package("package", Entries(row, area_));
  const uint64_t free_before = FreeBytes(area_);
  if (row.fill == Fill::kTakenDuringThePayload) DriveFiller::Arm(SmallDrive(), 64 << 10);
  if (row.fill == Fill::kTakenBeforeTheUninstallerCopy) DriveFiller::Arm(SmallDrive(), 8 << 10);
  MessageBoxAnswerer answerer(IDNO);
  const InstallResult result = RunInstallFromPackage(package, sink);
  DriveFiller::Disarm();

  EXPECT_EQ(static_cast<int>(row.error), static_cast<int>(result.error));
  const std::wstring where = row.path == L"." ? folder : folder + L"\\" + row.path;
  EXPECT_EQ(row.path.empty() ? L"" : where, result.path);
  if (row.error == InstallError::kNotEnoughSpace) {
    // Refused before anything was written: the figures are the drive's as it was.
    EXPECT_EQ(result.free_bytes, free_before);
    EXPECT_GT(result.needed_bytes, result.free_bytes);
  } else if (row.error == InstallError::kDiskFull) {
    // The check passed; the space went meanwhile, and what is free now is shown.
    EXPECT_LE(result.needed_bytes, free_before);
    EXPECT_GT(result.needed_bytes, result.free_bytes);
    EXPECT_LT(result.free_bytes, uint64_t{1} << 20);
  }
  EXPECT_TRUE(tree_before == Tree(area_)) << "the disk changed";
  EXPECT_EQ(registered_before, UninstallString());
  EXPECT_EQ(product_ ? 1 : 0, answerer.boxes_seen);
  if (product_) {
    EXPECT_TRUE(product_->Running());
  }
}

std::string RowName(const ::testing::TestParamInfo<FaultRow>& info) {
  std::string name = std::to_string(info.index) + "_";
  for (char c : info.param.label) name += isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Rows, FailedInstallTest, ::testing::ValuesIn(FaultRows()), RowName);

// An uninstaller copy beside the scratch folder's content with `files`,
// `folders` and shortcut lists as given, for the install folder `folder`.
std::wstring WriteUninstaller(const ScratchFolder& scratch, const std::wstring& folder,
                              const JsonValue& files, const JsonValue& folders,
                              const JsonValue& shortcuts) {
  JsonValue config(JsonKind::Object);
  config["files"] = files;
  config["folders"] = folders;
  config["mode"] = 0;
  config["setup"]["root"] = JsonValue(EncodePath(folder));
  config["setup"]["shortcut"] = shortcuts;
  const std::wstring path = scratch.Join(L"unins000.exe");
  EXPECT_TRUE(test_package::WriteFileBytes(
      path, test_package::BuildPackage(JsonWriter().write(config), nullptr)));
  return path;
}

// Five recorded files are gone, among them the product's program, while a
// program of the same file name runs from another folder: nothing is ended
// and nothing is waited for (each gone file once cost a second).
TEST_F(FaultMatrixTest, UninstallPassesOverGoneFilesAndSparesTheSameNameElsewhere) {
  const std::wstring folder = scratch_.Join(L"Velto");
  ASSERT_TRUE(EnsureDirectory(folder));
  ASSERT_TRUE(test_package::WriteFileBytes(folder + L"\\present.txt", "x"));
  ASSERT_TRUE(EnsureDirectory(scratch_.Join(L"elsewhere")));
  const std::wstring elsewhere = scratch_.Join(L"elsewhere\\Velto.exe");
  ASSERT_TRUE(CopyFileW(test_package::SiblingProgram(L"setup_engine_helper.exe").c_str(),
                        elsewhere.c_str(), FALSE));
  NamedEvent ready;
  ChildProcess unrelated(elsewhere, L"wait " + ready.name());
  ASSERT_TRUE(unrelated.WaitReady(ready.get()));
  std::vector<std::wstring> files = {folder + L"\\Velto.exe"};
  for (int i = 0; i < 4; ++i) files.push_back(folder + L"\\gone" + std::to_wstring(i) + L".dll");
  files.push_back(folder + L"\\present.txt");
  const std::wstring uninstaller = WriteUninstaller(scratch_, folder, PathList(files),
                                                    PathList({folder}), ShortcutLists({}, {}));

  RecordingSink sink(std::wstring(), false, false, false);
  const DWORD start = GetTickCount();
  EXPECT_TRUE(RunUninstallFromPackage(uninstaller, sink));
  EXPECT_LT(GetTickCount() - start, 2000u);
  EXPECT_TRUE(unrelated.Running());
  EXPECT_FALSE(Exists(folder));
}

// A hand-edited config may hold anything where a list belongs: the install
// (all options on) and the uninstall take it for an empty list.
TEST_F(FaultMatrixTest, ListsOfTheWrongKindCountAsEmpty) {
  JsonValue object(JsonKind::Object);
  object["name"] = JsonValue("Velto");
  object["file"] = JsonValue("Velto.exe");
  int index = 0;
  for (const JsonValue& wrong : {object, JsonValue("Velto"), JsonValue(7), JsonValue(true)}) {
    SCOPED_TRACE(JsonWriter().write(wrong));
    const std::wstring folder = scratch_.Join(L"Velto " + std::to_wstring(++index));
    ASSERT_TRUE(EnsureDirectory(folder));
    JsonValue shortcuts(JsonKind::Object);
    shortcuts["desktop"] = wrong;
    shortcuts["taskbar"] = wrong;
    RecordingSink install_sink(folder, true, true, true);
    ASSERT_TRUE(RunInstallFromPackage(Package("setup", {File("Velto.exe", "program")}, shortcuts),
                                      install_sink));
    EXPECT_EQ(L"finished message", install_sink.events.back());

    RecordingSink uninstall_sink(std::wstring(), false, false, false);
    EXPECT_TRUE(RunUninstallFromPackage(WriteUninstaller(scratch_, folder, wrong, wrong, shortcuts),
                                        uninstall_sink));
    EXPECT_EQ(L"finish work", uninstall_sink.events.back());
    // Nothing recorded, so only the uninstaller copy went.
    EXPECT_TRUE(Exists(folder + L"\\Velto.exe"));
    EXPECT_FALSE(Exists(folder + L"\\unins000.exe"));
  }
}

}  // namespace
