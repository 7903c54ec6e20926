#include "app/install_folder.h"

// windows.h first.
// clang-format off
#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>
#include <shlwapi.h>
// clang-format on

#include <vector>

#include "setup/file_utils.h"
#include "setup/paths.h"

namespace {

// "C:\" and shorter: a drive root.
constexpr size_t kDriveRootLength = 3;

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// `path` and those of its parents that do not exist, innermost first; empty
// when something exists at `path`.
std::vector<std::wstring> MissingFolders(const std::wstring& path) {
  std::vector<std::wstring> missing;
  std::wstring folder = path;
  while (!folder.empty() && !::PathFileExistsW(folder.c_str())) {
    missing.push_back(folder);
    const size_t slash = folder.find_last_of(L'\\');
    folder = slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash);
  }
  return missing;
}

}  // namespace

std::wstring DefaultInstallFolder(const std::wstring& program_files,
                                  const std::wstring& product_name) {
  return program_files + L"\\" + product_name;
}

std::wstring UserProgramsFolder() {
  PWSTR known = nullptr;
  // KF_FLAG_DONT_VERIFY: the folder is only named here; the install creates it.
  const HRESULT result =
      ::SHGetKnownFolderPath(FOLDERID_UserProgramFiles, KF_FLAG_DONT_VERIFY, nullptr, &known);
  std::wstring folder = SUCCEEDED(result) && known ? known : L"";
  ::CoTaskMemFree(known);
  if (!folder.empty()) return folder;
  const std::wstring local_app_data = GetSpecialFolder(CSIDL_LOCAL_APPDATA);
  return local_app_data.empty() ? std::wstring() : local_app_data + L"\\Programs";
}

std::wstring ChosenInstallFolder(const std::wstring& chosen, const std::wstring& product_name) {
  return chosen.size() <= kDriveRootLength ? chosen + product_name : chosen;
}

bool IsFullPath(const std::wstring& path) {
  if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == L':' && path[2] == L'\\') {
    return true;
  }
  return path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'\\';
}

bool PrepareInstallFolder(const std::wstring& typed, const std::wstring& product_name,
                          PreparedFolder& folder) {
  std::wstring path = typed;
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  if (path.size() == 2 && IsDriveLetter(path[0]) && path[1] == L':') path += L'\\';
  if (path.size() == kDriveRootLength && IsDriveLetter(path[0]) && path[1] == L':' &&
      path[2] == L'\\') {
    path += product_name;
  }
  if (!IsFullPath(path)) return false;
  const std::vector<std::wstring> missing = MissingFolders(path);
  if (!missing.empty()) EnsureDirectory(path);
  if (!::PathIsDirectoryW(path.c_str())) {
    // Only folders this check made and that are still empty go.
    for (const std::wstring& made : missing) ::RemoveDirectoryW(made.c_str());
    return false;
  }
  folder.path = path;
  folder.created_root = missing.empty() ? std::wstring() : missing.back();
  return true;
}

bool IsFolderNotEmpty(const std::wstring& folder) {
  WIN32_FIND_DATAW entry;
  const HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return false;
  bool found = false;
  do {
    const std::wstring name = entry.cFileName;
    found = name != L"." && name != L"..";
  } while (!found && ::FindNextFileW(find, &entry));
  ::FindClose(find);
  return found;
}

void RemoveCreatedFolders(const PreparedFolder& folder) {
  if (folder.created_root.empty()) return;
  for (std::wstring path = folder.path; path.size() >= folder.created_root.size();) {
    ::RemoveDirectoryW(path.c_str());
    const size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos) break;
    path.resize(slash);
  }
}
