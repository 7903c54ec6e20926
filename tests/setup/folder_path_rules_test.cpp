// The text rules of the install folder check, on every tree: which folders the text alone refuses,
// and for which cause.
#include "setup/folder_path_rules.h"

#include <gtest/gtest.h>

#include <string>

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
    default:
      return "a cause of the disk";
  }
}

TEST(FolderPathRulesTest, EachTextGetsItsCause) {
  const std::wstring longest = L"C:\\" + std::wstring(kMaxInstallFolderLength - 3, L'a');
  const struct {
    std::wstring path;
    FolderProblem problem;
  } rows[] = {
      {L"C:\\Program Files\\Velto", FolderProblem::kNone},
      {L"d:\\Velto", FolderProblem::kNone},
      {L"C:\\Program Files\\Velto\\", FolderProblem::kNone},
      {L"C:\\a\\\\b", FolderProblem::kNone},
      {L"\\\\server\\share\\Velto", FolderProblem::kNone},
      {L"\\\\server\\share", FolderProblem::kNone},
      {L"C:\\\u5b89\u88c5\\Velto", FolderProblem::kNone},
      {L"C:\\con_notes\\a..b\\.hidden", FolderProblem::kNone},
      {longest, FolderProblem::kNone},
      {longest + L"a", FolderProblem::kTooLong},
      {L"Velto", FolderProblem::kNotFullPath},
      {L"C:Velto", FolderProblem::kNotFullPath},
      {L"\\Velto", FolderProblem::kNotFullPath},
      {L"..\\Velto", FolderProblem::kNotFullPath},
      {L"", FolderProblem::kNotFullPath},
      {L"1:\\Velto", FolderProblem::kNotFullPath},
      {L"\\\\server", FolderProblem::kNotFullPath},
      {L"\\\\server\\", FolderProblem::kNotFullPath},
      {L"\\\\\\x", FolderProblem::kNotFullPath},
      {L"C:\\Velto\\a:b", FolderProblem::kBadName},
      {L"C:\\Ve*lto", FolderProblem::kBadName},
      {L"C:\\Velto?", FolderProblem::kBadName},
      {L"C:\\a\"b", FolderProblem::kBadName},
      {L"C:\\a<b", FolderProblem::kBadName},
      {L"C:\\a>b", FolderProblem::kBadName},
      {L"C:\\a|b\\Velto", FolderProblem::kBadName},
      {L"C:\\a\tb", FolderProblem::kBadName},
      {L"C:\\Velto.", FolderProblem::kBadName},
      {L"C:\\Velto \\x", FolderProblem::kBadName},
      {L"C:\\Program Files\\..\\Velto", FolderProblem::kBadName},
      {L"C:\\.\\Velto", FolderProblem::kBadName},
      {L"C:\\NUL", FolderProblem::kBadName},
      {L"C:\\apps\\com1.d\\Velto", FolderProblem::kBadName},
      {L"\\\\server\\share\\Lpt9", FolderProblem::kBadName},
      // A bad name is named before the length: it is what the user must change.
      {longest + L"?", FolderProblem::kBadName},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Name(FolderTextProblem(row.path)), Name(row.problem))
        << std::string(row.path.begin(), row.path.end());
  }
}

TEST(FolderPathRulesTest, RootsOfDrivesAndShares) {
  const struct {
    const wchar_t* path;
    const wchar_t* root;
  } rows[] = {
      {L"C:\\Program Files\\Velto", L"C:\\"},
      {L"d:\\", L"d:\\"},
      {L"\\\\server\\share\\Velto\\x", L"\\\\server\\share\\"},
      {L"\\\\server\\share", L"\\\\server\\share\\"},
      {L"\\\\server\\\\x", L""},
      {L"\\\\server", L""},
      {L"C:Velto", L""},
      {L"Velto", L""},
  };
  for (const auto& row : rows) EXPECT_EQ(PathRoot(row.path), row.root);
}

}  // namespace
