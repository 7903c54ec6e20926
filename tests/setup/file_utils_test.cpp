#include "setup/file_utils.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "setup/text_convert.h"
#include "setup/win_handles.h"
#include "tests/setup/scratch_folder.h"

namespace {

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Writes and reads files with the plain API, independent of the code under
// test.
bool PutFile(const std::wstring& path, const std::string& bytes) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file &&
         WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

std::string GetFile(const std::wstring& path) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  std::string bytes;
  char chunk[4096];
  DWORD read = 0;
  while (file && ReadFile(file.get(), chunk, sizeof(chunk), &read, nullptr) && read > 0) {
    bytes.append(chunk, read);
  }
  return bytes;
}

// Bytes 0..255 repeated: zero bytes and every high byte included.
std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 % 256);
  return bytes;
}

// Makes `folder` the current directory for the lifetime of the object.
class CurrentDirectory {
 public:
  explicit CurrentDirectory(const std::wstring& folder) {
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    previous_ = previous;
    changed_ = SetCurrentDirectoryW(folder.c_str()) != 0;
  }
  ~CurrentDirectory() { SetCurrentDirectoryW(previous_.c_str()); }
  bool changed() const { return changed_; }

 private:
  std::wstring previous_;
  bool changed_ = false;
};

class FileUtilsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(scratch_.path().empty()); }

  // A folder "tree" with a file at its top and one in a subfolder.
  std::wstring MakeTree(const std::wstring& name) {
    const std::wstring root = scratch_.Join(name);
    EXPECT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
    EXPECT_TRUE(CreateDirectoryW((root + L"\\sub").c_str(), nullptr));
    EXPECT_TRUE(PutFile(root + L"\\top.txt", "top"));
    EXPECT_TRUE(PutFile(root + L"\\sub\\deep.bin", Pattern(300)));
    return root;
  }

  ScratchFolder scratch_;
};

TEST_F(FileUtilsTest, WriteAndReadRoundTripAcrossChunkBoundaries) {
  const size_t sizes[] = {1, 40959, 40960, 40961, 3 * 40960 + 17};
  for (size_t size : sizes) {
    SCOPED_TRACE(size);
    const std::wstring path = scratch_.Join(L"data.bin");
    const std::string bytes = Pattern(size);
    ASSERT_TRUE(WriteWholeFile(path, bytes));
    EXPECT_EQ(GetFile(path), bytes);
    ASSERT_TRUE(PutFile(path, bytes));
    std::string read = "stale";
    EXPECT_TRUE(ReadWholeFile(path, read));
    EXPECT_EQ(read, bytes);
  }
}

TEST_F(FileUtilsTest, EmptyFileReadsAsTrueAndEmpty) {
  const std::wstring path = scratch_.Join(L"empty.txt");
  ASSERT_TRUE(WriteWholeFile(path, std::string()));
  ASSERT_TRUE(Exists(path));
  std::string bytes = "stale";
  EXPECT_TRUE(ReadWholeFile(path, bytes));
  EXPECT_TRUE(bytes.empty());
}

TEST_F(FileUtilsTest, ReadWholeFileFailsOnMissingFileOrFolderAndClearsBytes) {
  const std::wstring paths[] = {scratch_.Join(L"missing.txt"), scratch_.path()};
  for (const std::wstring& path : paths) {
    std::string bytes = "stale";
    EXPECT_FALSE(ReadWholeFile(path, bytes));
    EXPECT_TRUE(bytes.empty());
  }
}

TEST_F(FileUtilsTest, WriteWholeFileTruncatesLongerFile) {
  const std::wstring path = scratch_.Join(L"shrink.txt");
  ASSERT_TRUE(PutFile(path, Pattern(5000)));
  ASSERT_TRUE(WriteWholeFile(path, "short"));
  EXPECT_EQ(GetFile(path), "short");
}

TEST_F(FileUtilsTest, WriteWholeFileFailsWhenFileCannotBeOpened) {
  EXPECT_FALSE(WriteWholeFile(scratch_.Join(L"missing\\file.txt"), "x"));
  EXPECT_FALSE(WriteWholeFile(scratch_.path(), "x"));
}

// A file that opens for writing but refuses every write. Windows enforces
// byte-range locks: while another handle holds an exclusive lock on the first
// megabyte of a file, writes to it through other handles fail. Wine keeps such
// locks advisory (the write succeeds), so there the target is Wine's view of
// the Unix device /dev/full, which accepts the open and fails every write with
// "disk full"; the device keeps nothing.
class UnwritableTarget {
 public:
  explicit UnwritableTarget(const std::wstring& lockable) {
    holder_.reset(CreateFileW(lockable.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (holder_ && LockFile(holder_.get(), 0, 0, kLockedBytes, 0) && WritesFail(lockable)) {
      path_ = lockable;
    } else if (FileStream(_wfopen(kWineDiskFull, L"wb")) && WritesFail(kWineDiskFull)) {
      path_ = kWineDiskFull;
    }
  }
  ~UnwritableTarget() {
    if (holder_) UnlockFile(holder_.get(), 0, 0, kLockedBytes, 0);
  }
  // Empty when neither way works.
  const std::wstring& path() const { return path_; }

 private:
  static constexpr DWORD kLockedBytes = 1 << 20;
  static constexpr const wchar_t* kWineDiskFull = L"Z:\\dev\\full";

  static bool WritesFail(const std::wstring& path) {
    UniqueHandle writer(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return writer && !WriteFile(writer.get(), "x", 1, &written, nullptr);
  }

  UniqueHandle holder_;
  std::wstring path_;
};

// Small content stays in the stream's buffer until the file is closed, large
// content is written at once: both failures must be reported.
TEST_F(FileUtilsTest, WriteWholeFileReportsBytesThatDidNotReachTheFile) {
  UnwritableTarget target(scratch_.Join(L"locked.bin"));
  if (target.path().empty()) GTEST_SKIP() << "no file that opens but refuses writes";
  ASSERT_TRUE(FileStream(_wfopen(target.path().c_str(), L"wb")));
  EXPECT_FALSE(WriteWholeFile(target.path(), "buffered"));
  EXPECT_FALSE(WriteWholeFile(target.path(), Pattern(100000)));
}

TEST_F(FileUtilsTest, ChineseNamesThroughConversionAndFileFunctions) {
  ScratchPool pool;
  const wchar_t* folder_name = ToWide(pool, u8"安装目录", CP_UTF8);
  const wchar_t* file_name = ToWide(pool, u8"说明.txt", CP_UTF8);
  EXPECT_STREQ(folder_name, L"安装目录");
  const std::wstring folder = scratch_.Join(folder_name);
  const std::wstring path = folder + L"\\" + file_name;
  const std::string content = u8"中文内容\r\n";

  ASSERT_TRUE(EnsureDirectory(folder));
  ASSERT_TRUE(WriteWholeFile(path, content));
  std::string read;
  ASSERT_TRUE(ReadWholeFile(path, read));
  EXPECT_EQ(read, content);

  WIN32_FIND_DATAW entry = {};
  HANDLE find = FindFirstFileW((folder + L"\\*.txt").c_str(), &entry);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  FindClose(find);
  EXPECT_STREQ(ToNarrow(entry.cFileName, pool, CP_UTF8), u8"说明.txt");
}

TEST_F(FileUtilsTest, EnsureDirectoryCreatesParentsAndAcceptsExistingFolder) {
  const std::wstring nested = scratch_.Join(L"a\\b\\c");
  EXPECT_TRUE(EnsureDirectory(nested));
  EXPECT_TRUE(IsFolder(nested));
  EXPECT_TRUE(EnsureDirectory(nested));
  EXPECT_TRUE(EnsureDirectory(scratch_.path()));
}

// One level below an existing folder (the common case, made without the shell) and several.
TEST_F(FileUtilsTest, EnsureDirectoryMakesChildrenOfExistingFoldersAndDeeperOnes) {
  const std::wstring child = scratch_.Join(L"child");
  EXPECT_TRUE(EnsureDirectory(child));
  EXPECT_TRUE(IsFolder(child));
  EXPECT_TRUE(EnsureDirectory(child + L"\\说明"));
  EXPECT_TRUE(IsFolder(child + L"\\说明"));
  EXPECT_TRUE(EnsureDirectory(child + L"\\x\\y"));
  EXPECT_TRUE(IsFolder(child + L"\\x\\y"));
  EXPECT_TRUE(EnsureDirectory(child + L"\\"));
}

// A relative path is refused, not made below the current folder.
TEST_F(FileUtilsTest, EnsureDirectoryRefusesRelativePaths) {
  wchar_t previous[MAX_PATH] = {};
  ASSERT_NE(GetCurrentDirectoryW(MAX_PATH, previous), 0u);
  ASSERT_TRUE(SetCurrentDirectoryW(scratch_.path().c_str()));
  const bool made = EnsureDirectory(L"relative");
  const bool nested = EnsureDirectory(L"relative\\deeper");
  SetCurrentDirectoryW(previous);
  EXPECT_FALSE(made);
  EXPECT_FALSE(nested);
  EXPECT_FALSE(IsFolder(scratch_.Join(L"relative")));
}

TEST_F(FileUtilsTest, EnsureDirectoryRefusesPathHeldByFile) {
  const std::wstring path = scratch_.Join(L"occupied");
  ASSERT_TRUE(PutFile(path, "file"));
  EXPECT_FALSE(EnsureDirectory(path));
  EXPECT_FALSE(IsFolder(path));
}

TEST_F(FileUtilsTest, ShellCopyCopiesFilesAndFoldersOverwritingSilently) {
  const std::wstring source = scratch_.Join(L"source.txt");
  const std::wstring copy = scratch_.Join(L"copy.txt");
  ASSERT_TRUE(PutFile(source, "new"));
  ASSERT_TRUE(PutFile(copy, "old content"));
  EXPECT_TRUE(ShellCopy(copy, source));
  EXPECT_EQ(GetFile(copy), "new");
  EXPECT_EQ(GetFile(source), "new");

  const std::wstring tree = MakeTree(L"tree");
  const std::wstring tree_copy = scratch_.Join(L"tree copy");
  EXPECT_TRUE(ShellCopy(tree_copy, tree));
  EXPECT_EQ(GetFile(tree_copy + L"\\top.txt"), "top");
  EXPECT_EQ(GetFile(tree_copy + L"\\sub\\deep.bin"), Pattern(300));

  // Content of a folder into an existing folder.
  const std::wstring flat = scratch_.Join(L"flat");
  ASSERT_TRUE(CreateDirectoryW(flat.c_str(), nullptr));
  EXPECT_TRUE(ShellCopy(flat, tree + L"\\*"));
  EXPECT_EQ(GetFile(flat + L"\\top.txt"), "top");
  EXPECT_EQ(GetFile(flat + L"\\sub\\deep.bin"), Pattern(300));
}

TEST_F(FileUtilsTest, ShellCopyOfMissingSourceFails) {
  EXPECT_FALSE(ShellCopy(scratch_.Join(L"to.txt"), scratch_.Join(L"missing.txt")));
  EXPECT_FALSE(Exists(scratch_.Join(L"to.txt")));
}

TEST_F(FileUtilsTest, ShellRenameMovesFilesAndFolders) {
  const std::wstring file = scratch_.Join(L"before.txt");
  const std::wstring renamed = scratch_.Join(L"之后.txt");
  ASSERT_TRUE(PutFile(file, "moved"));
  EXPECT_TRUE(ShellRename(renamed, file));
  EXPECT_FALSE(Exists(file));
  EXPECT_EQ(GetFile(renamed), "moved");

  const std::wstring tree = MakeTree(L"old name");
  const std::wstring moved = scratch_.Join(L"新名字");
  EXPECT_TRUE(ShellRename(moved, tree));
  EXPECT_FALSE(Exists(tree));
  EXPECT_EQ(GetFile(moved + L"\\sub\\deep.bin"), Pattern(300));
}

TEST_F(FileUtilsTest, ShellDeleteFileDeletesExistingFileOnly) {
  const std::wstring path = scratch_.Join(L"doomed.txt");
  ASSERT_TRUE(PutFile(path, "x"));
  EXPECT_TRUE(ShellDeleteFile(path));
  EXPECT_FALSE(Exists(path));
  EXPECT_FALSE(ShellDeleteFile(path));
}

TEST_F(FileUtilsTest, ShellDeleteFileNeverRemovesAFolder) {
  const std::wstring tree = MakeTree(L"kept tree");
  EXPECT_FALSE(ShellDeleteFile(tree));
  EXPECT_EQ(GetFile(tree + L"\\sub\\deep.bin"), Pattern(300));
}

TEST_F(FileUtilsTest, ShellDeletePathRemovesWholeTree) {
  const std::wstring tree = MakeTree(L"doomed tree");
  EXPECT_TRUE(ShellDeletePath(tree));
  EXPECT_FALSE(Exists(tree));
  EXPECT_TRUE(IsFolder(scratch_.path()));
}

// Paths of three characters or fewer after trimming are refused without a
// shell call. Relative names resolved in the scratch folder show that nothing
// is deleted; drive roots are tried only on a letter that names no drive.
TEST_F(FileUtilsTest, ShellDeletePathRefusesShortPathsAndRoots) {
  CurrentDirectory inside(scratch_.path());
  ASSERT_TRUE(inside.changed());
  MakeTree(L"abc");
  const wchar_t* relative[] = {L"abc", L"  abc  ", L"\tabc\r\n", L"", L"   "};
  ScratchPool pool;
  for (const wchar_t* path : relative) {
    EXPECT_FALSE(ShellDeletePath(path)) << "path \"" << ToNarrow(path, pool, CP_UTF8) << "\"";
    EXPECT_TRUE(Exists(scratch_.Join(L"abc\\sub\\deep.bin")));
  }

  const DWORD drives = GetLogicalDrives();
  wchar_t letter = L'Z';
  while (letter > L'D' && (drives & (1u << (letter - L'A')))) --letter;
  ASSERT_FALSE(drives & (1u << (letter - L'A')));
  const std::wstring root = std::wstring(1, letter) + L":\\";
  EXPECT_FALSE(ShellDeletePath(root));
  EXPECT_FALSE(ShellDeletePath(L"  " + root + L"  "));
}

}  // namespace
