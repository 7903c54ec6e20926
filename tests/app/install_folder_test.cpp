// The folder check's causes: one table of refused folders, each of which must name its cause and
// the path the cause concerns and leave the disk as it was; the check's normalising and its probe;
// then the warning text of each cause.
//
// The read-only rows need a read-only drive, named by the environment variable
// BRINDLE_READ_ONLY_DRIVE (such as "R:") and holding the empty folder "existing". Under Wine,
// tests/app/read_only_drive.sh makes one (Wine running as root ignores access lists and the
// read-only attribute, so only a read-only file system refuses); on Windows a write-protected
// drive holding that folder will do. Without one those rows are skipped.
#include "app/install_folder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "app/folder_problem_text.h"
#include "app/texts.h"
#include "tests/setup/scratch_folder.h"
#include "tests/setup/test_package.h"

namespace {

std::string Name(FolderProblem problem) {
  switch (problem) {
    case FolderProblem::kNone:
      return "none";
    case FolderProblem::kNotFullPath:
      return "not a full path";
    case FolderProblem::kBadName:
      return "bad name";
    case FolderProblem::kTooLong:
      return "too long";
    case FolderProblem::kUnreachable:
      return "unreachable";
    case FolderProblem::kNotWritable:
      return "not writable";
    case FolderProblem::kIsFile:
      return "a file";
    case FolderProblem::kOther:
      break;
  }
  return "other";
}

std::string Narrow(const std::wstring& text) {
  std::string narrow;
  for (wchar_t c : text) narrow += c < 0x80 ? static_cast<char>(c) : '?';
  return narrow;
}

// Every path below `folder`, relative to it.
void AddTree(const std::wstring& folder, const std::wstring& prefix, std::set<std::wstring>& out) {
  WIN32_FIND_DATAW entry;
  const HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = entry.cFileName;
    if (name == L"." || name == L"..") continue;
    out.insert(prefix + name);
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      AddTree(folder + L"\\" + name, prefix + name + L"\\", out);
    }
  } while (FindNextFileW(find, &entry));
  FindClose(find);
}

std::set<std::wstring> Tree(const std::wstring& folder) {
  std::set<std::wstring> tree;
  AddTree(folder, L"", tree);
  return tree;
}

// A drive letter with no drive ("Q:"), or empty when every letter is taken.
std::wstring MissingDrive() {
  const DWORD drives = GetLogicalDrives();
  for (wchar_t letter = L'Z'; letter >= L'D'; --letter) {
    if (!(drives & (1u << (letter - L'A')))) return std::wstring(1, letter) + L":";
  }
  return std::wstring();
}

// The read-only drive ("R:"), or empty when none is given.
std::wstring ReadOnlyDrive() {
  wchar_t drive[16] = {};
  const DWORD length = GetEnvironmentVariableW(L"BRINDLE_READ_ONLY_DRIVE", drive, 16);
  if (length == 0 || length >= 16) return std::wstring();
  return std::wstring(drive, drive[length - 1] == L'\\' ? length - 1 : length);
}

// `text` with "<S>" replaced by the scratch folder, "<M>" by a missing drive and "<R>" by the
// read-only drive.
std::wstring Expand(std::wstring text, const std::wstring& scratch, const std::wstring& read_only) {
  const std::pair<const wchar_t*, std::wstring> marks[] = {
      {L"<S>", scratch}, {L"<M>", MissingDrive()}, {L"<R>", read_only}};
  for (const auto& [mark, value] : marks) {
    for (size_t at; (at = text.find(mark)) != std::wstring::npos;) text.replace(at, 3, value);
  }
  return text;
}

struct CauseRow {
  const char* label;
  std::wstring typed;
  FolderProblem problem;
  std::wstring where;
};

// Checks each row with the scratch folder as the current folder (a relative folder would be made
// there) and holding "file.txt": the cause, its path, and an unchanged scratch folder.
void ExpectRefusals(const std::vector<CauseRow>& rows, const std::wstring& read_only) {
  ScratchFolder scratch;
  ASSERT_FALSE(scratch.path().empty());
  ASSERT_TRUE(test_package::WriteFileBytes(scratch.Join(L"file.txt"), "x"));
  wchar_t previous[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(scratch.path().c_str()));
  const std::set<std::wstring> before = Tree(scratch.path());
  for (const CauseRow& row : rows) {
    SCOPED_TRACE(row.label);
    const std::wstring typed = Expand(row.typed, scratch.path(), read_only);
    PreparedFolder folder;
    const FolderCheck check = PrepareInstallFolder(typed, L"Velto", folder);
    EXPECT_EQ(Name(check.problem), Name(row.problem)) << Narrow(typed);
    EXPECT_EQ(check.path, Expand(row.where, scratch.path(), read_only));
    EXPECT_TRUE(folder.path.empty());
    EXPECT_TRUE(Tree(scratch.path()) == before) << "the scratch folder changed";
  }
  SetCurrentDirectoryW(previous);
}

TEST(InstallFolderCauseTest, EachRefusalNamesItsCauseAndChangesNothing) {
  ASSERT_FALSE(MissingDrive().empty()) << "every drive letter is in use";
  const std::wstring too_long = L"<S>\\" + std::wstring(kMaxInstallFolderLength, L'x');
  ExpectRefusals(
      {
          {"relative", L"Velto", FolderProblem::kNotFullPath, L"Velto"},
          {"drive-relative", L"C:Velto", FolderProblem::kNotFullPath, L"C:Velto"},
          {"rooted without a drive", L"\\Velto", FolderProblem::kNotFullPath, L"\\Velto"},
          {"a share without a name", L"\\\\server", FolderProblem::kNotFullPath, L"\\\\server"},
          {"a wildcard", L"<S>\\a*b", FolderProblem::kBadName, L"<S>\\a*b"},
          {"a colon", L"<S>\\a:b\\Velto", FolderProblem::kBadName, L"<S>\\a:b\\Velto"},
          {"a device name", L"<S>\\NUL\\Velto", FolderProblem::kBadName, L"<S>\\NUL\\Velto"},
          {"a parent step", L"<S>\\..\\Velto", FolderProblem::kBadName, L"<S>\\..\\Velto"},
          {"a trailing dot", L"<S>/Velto.", FolderProblem::kBadName, L"<S>\\Velto."},
          {"too long", too_long, FolderProblem::kTooLong, too_long},
          {"a missing drive", L"<M>\\Velto", FolderProblem::kUnreachable, L"<M>\\"},
          {"a missing drive typed bare", L"<M>", FolderProblem::kUnreachable, L"<M>\\"},
          {"an unknown share", L"\\\\brindle-no-such-server\\share\\Velto",
           FolderProblem::kUnreachable, L"\\\\brindle-no-such-server\\share\\"},
          {"a file", L"<S>\\file.txt", FolderProblem::kIsFile, L"<S>\\file.txt"},
          {"below a file", L"<S>\\file.txt\\a\\Velto", FolderProblem::kIsFile, L"<S>\\file.txt"},
      },
      std::wstring());
}

TEST(InstallFolderCauseTest, AFolderThatRefusesWritingIsNotWritable) {
  const std::wstring read_only = ReadOnlyDrive();
  if (read_only.empty()) GTEST_SKIP() << "BRINDLE_READ_ONLY_DRIVE names no drive";
  ExpectRefusals(
      {
          {"a new folder on a read-only drive", L"<R>\\Velto", FolderProblem::kNotWritable,
           L"<R>\\"},
          {"an existing read-only folder", L"<R>\\existing", FolderProblem::kNotWritable,
           L"<R>\\existing"},
          {"below a read-only folder", L"<R>\\existing\\a\\Velto", FolderProblem::kNotWritable,
           L"<R>\\existing"},
      },
      read_only);
  EXPECT_EQ(Tree(read_only + L"\\"), std::set<std::wstring>{L"existing"});
}

// A usable folder passes with "\" separators, no doubled or final one, and no trace of the probe
// that proved it writable.
TEST(InstallFolderCauseTest, AUsableFolderPassesWithoutATrace) {
  ScratchFolder scratch;
  const std::wstring existing = scratch.Join(L"existing");
  ASSERT_TRUE(CreateDirectoryW(existing.c_str(), nullptr));
  const struct {
    std::wstring typed;
    std::wstring path;
    std::wstring created_root;
  } rows[] = {
      {existing, existing, L""},
      {existing + L"\\", existing, L""},
      {scratch.Join(L"a\\\\b\\"), scratch.Join(L"a\\b"), scratch.Join(L"a")},
      {scratch.path() + L"//c//d//", scratch.Join(L"c\\d"), scratch.Join(L"c")},
  };
  for (const auto& row : rows) {
    PreparedFolder folder;
    const FolderCheck check = PrepareInstallFolder(row.typed, L"Velto", folder);
    EXPECT_EQ(Name(check.problem), "none") << Narrow(row.typed);
    EXPECT_TRUE(check.path.empty());
    EXPECT_EQ(folder.path, row.path);
    EXPECT_EQ(folder.created_root, row.created_root);
    EXPECT_FALSE(IsFolderNotEmpty(folder.path)) << "the probe file stayed";
  }
}

TEST(InstallFolderCauseTest, EachCauseHasItsTextWithItsPath) {
  const struct {
    FolderProblem problem;
    const wchar_t* chinese;
  } rows[] = {
      {FolderProblem::kNotFullPath,
       L"“Velto”不是完整的路径, 请输入以盘符 (如 C:\\) 开头的路径, 无法安装在此路径下"},
      {FolderProblem::kBadName,
       L"“Velto”含有 Windows 不允许的字符 (: * ? \" < > |) 或名称 (如 "
       L"CON、NUL、以点或空格结尾的名称), "
       L"无法安装在此路径下"},
      {FolderProblem::kTooLong, L"输入路径太长 (最多 246 个字符), 无法安装在此路径下"},
      {FolderProblem::kUnreachable,
       L"无法访问“Velto”, 该驱动器或网络位置不存在或未连接, 无法安装在此路径下"},
      {FolderProblem::kNotWritable, L"无法在“Velto”中写入 (只读或没有权限), 无法安装在此路径下"},
      {FolderProblem::kIsFile, L"“Velto”是一个文件, 不是文件夹, 无法安装在此路径下"},
      // A refusal that fits no cause keeps the text every version showed.
      {FolderProblem::kOther, L"输入路径有误, 无法安装在此路径下"},
  };
  std::set<std::wstring> english;
  for (const auto& row : rows) {
    const FolderCheck check{row.problem, L"Velto"};
    EXPECT_EQ(FolderProblemText(check, kChineseTexts), row.chinese) << Name(row.problem);
    const std::wstring in_english = FolderProblemText(check, kEnglishTexts);
    EXPECT_NE(in_english.find(row.problem == FolderProblem::kTooLong ||
                                      row.problem == FolderProblem::kOther
                                  ? L"install there."
                                  : L"\u201cVelto\u201d"),
              std::wstring::npos)
        << Narrow(in_english);
    english.insert(in_english);
  }
  EXPECT_EQ(english.size(), std::size(rows)) << "two causes share an English text";
  // The limit the text names is the one the check applies.
  EXPECT_NE(
      std::wstring(kChineseTexts.folder_too_long).find(std::to_wstring(kMaxInstallFolderLength)),
      std::wstring::npos);
  EXPECT_NE(
      std::wstring(kEnglishTexts.folder_too_long).find(std::to_wstring(kMaxInstallFolderLength)),
      std::wstring::npos);
}

}  // namespace
