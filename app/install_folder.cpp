#include "app/install_folder.h"

// windows.h first.
// clang-format off
#include <windows.h>
#include <shlwapi.h>
// clang-format on

#include "setup/file_utils.h"
#include "setup/product.h"

namespace {

// "C:\" and shorter: a drive root.
constexpr size_t kDriveRootLength = 3;

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

}  // namespace

std::wstring DefaultInstallFolder(const std::wstring& program_files) {
  return program_files + L"\\" + kProductName;
}

std::wstring ChosenInstallFolder(const std::wstring& chosen) {
  return chosen.size() <= kDriveRootLength ? chosen + kProductName : chosen;
}

bool IsFullPath(const std::wstring& path) {
  if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == L':' && path[2] == L'\\') {
    return true;
  }
  return path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'\\';
}

bool PrepareInstallFolder(const std::wstring& folder) {
  if (!IsFullPath(folder)) return false;
  if (!::PathFileExistsW(folder.c_str())) EnsureDirectory(folder);
  return ::PathFileExistsW(folder.c_str()) != FALSE;
}
