#include "setup/paths.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <cwchar>
#include <string>

#include "setup/win_handles.h"
#include "tests/setup/scratch_folder.h"

namespace {

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool EndsWith(const std::wstring& text, const std::wstring& tail) {
  return text.size() >= tail.size() &&
         _wcsicmp(text.c_str() + text.size() - tail.size(), tail.c_str()) == 0;
}

TEST(PathsTest, ModulePathNamesThisTestProgram) {
  const std::wstring path = GetModulePath();
  EXPECT_TRUE(EndsWith(path, L"\\setup_paths_test.exe")) << path.size();
  EXPECT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(PathsTest, TempFolderEndsWithBackslashAndAcceptsDoubledSeparator) {
  const std::wstring temp = GetTempFolder();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), L'\\');
  EXPECT_TRUE(IsFolder(temp));

  // Callers join with "%s\%s": the doubled backslash must still name the file.
  ScratchFolder scratch;
  ASSERT_FALSE(scratch.path().empty());
  const std::wstring name = scratch.path().substr(scratch.path().rfind(L'\\') + 1);
  wchar_t joined[MAX_PATH];
  swprintf(joined, MAX_PATH, L"%ls\\%ls\\file.txt", temp.c_str(), name.c_str());
  EXPECT_NE(std::wstring(joined).find(L"\\\\"), std::wstring::npos);
  UniqueHandle file(
      CreateFileW(joined, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file);
  file.reset();
  EXPECT_NE(GetFileAttributesW(scratch.Join(L"file.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(PathsTest, SpecialFoldersAreExistingFoldersWithoutTrailingBackslash) {
  const int folders[] = {CSIDL_APPDATA, CSIDL_PROGRAM_FILES, CSIDL_DESKTOPDIRECTORY};
  for (int csidl : folders) {
    SCOPED_TRACE(csidl);
    const std::wstring path = GetSpecialFolder(csidl);
    ASSERT_FALSE(path.empty());
    EXPECT_NE(path.back(), L'\\');
    EXPECT_TRUE(IsFolder(path));
  }
}

TEST(PathsTest, UnknownSpecialFolderIsEmpty) { EXPECT_TRUE(GetSpecialFolder(0x7F).empty()); }

TEST(PathsTest, ShellFoldersLieBelowApplicationData) {
  const std::wstring app_data = GetSpecialFolder(CSIDL_APPDATA);
  ASSERT_FALSE(app_data.empty());
  EXPECT_EQ(GetQuickLaunchFolder(), app_data + L"\\Microsoft\\Internet Explorer\\Quick Launch");
  EXPECT_EQ(GetStartMenuProgramsFolder(), app_data + L"\\Microsoft\\Windows\\Start Menu\\Programs");
}

}  // namespace
