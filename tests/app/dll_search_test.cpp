// The DLL search restriction of the start: a DLL beside the program (here: in
// the current folder, which the default search includes) is not loaded by
// name afterwards, while system DLLs still are. Its own program, since the
// restriction cannot be undone.
#include "app/dll_search.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/setup/scratch_folder.h"

namespace {

std::wstring SystemFolder() {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  return std::wstring(folder, length);
}

TEST(DllSearchTest, ADllInTheCurrentFolderIsNotFoundAfterTheRestriction) {
  ScratchFolder scratch;
  ASSERT_FALSE(scratch.path().empty());
  // A real DLL under a name no system folder holds.
  const std::wstring planted = scratch.Join(L"brindleplanted.dll");
  ASSERT_TRUE(CopyFileW((SystemFolder() + L"\\msimg32.dll").c_str(), planted.c_str(), FALSE));
  wchar_t previous[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(scratch.path().c_str()));

  // Found by the default search: the test would prove nothing otherwise.
  HMODULE before = LoadLibraryW(L"brindleplanted.dll");
  ASSERT_NE(before, nullptr);
  FreeLibrary(before);

  RestrictDllSearch();
  HMODULE after = LoadLibraryW(L"brindleplanted.dll");
  EXPECT_EQ(after, nullptr);
  if (after) FreeLibrary(after);

  HMODULE system = LoadLibraryW(L"msvfw32.dll");
  EXPECT_NE(system, nullptr);
  if (system) FreeLibrary(system);
  SetCurrentDirectoryW(previous);
}

// Each preloaded library that the system has is the system folder's, so a later load by name
// (the theme library at window creation) finds it instead of searching beside the program.
TEST(DllSearchTest, PreloadedLibrariesComeFromTheSystemFolder) {
  const size_t loaded = PreloadSystemLibraries();
  EXPECT_GE(loaded, 1u);  // at least the theme library, which every system has
  for (size_t i = 0; i < kPreloadedSystemLibraryCount; ++i) {
    const HMODULE module = GetModuleHandleW(kPreloadedSystemLibraries[i]);
    if (!module) continue;
    wchar_t path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(module, path, MAX_PATH), 0u);
    EXPECT_EQ(_wcsnicmp(path, (SystemFolder() + L"\\").c_str(), SystemFolder().size() + 1), 0)
        << "loaded from elsewhere: " << std::string(path, path + wcslen(path));
  }
  EXPECT_NE(GetModuleHandleW(L"uxtheme.dll"), nullptr);
}

}  // namespace
