#include "app/install_folder.h"

// windows.h first.
// clang-format off
#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>
#include <shlwapi.h>
// clang-format on

#include <vector>

#include "setup/number_text.h"
#include "setup/paths.h"
#include "setup/win_handles.h"

namespace {

// "C:\" and shorter: a drive root.
constexpr size_t kDriveRootLength = 3;

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// The typed folder with "\" separators, doubled and final ones dropped (the
// two of a UNC path's start kept), and `product_name` after a drive root.
std::wstring NormalizedFolder(const std::wstring& typed, const std::wstring& product_name) {
  std::wstring path;
  for (size_t i = 0; i < typed.size(); ++i) {
    const wchar_t c = typed[i] == L'/' ? L'\\' : typed[i];
    if (c == L'\\' && i > 1 && !path.empty() && path.back() == L'\\') continue;
    path += c;
  }
  if (path.size() == 2 && IsDriveLetter(path[0]) && path[1] == L':') path += L'\\';
  while (path.size() > kDriveRootLength && path.back() == L'\\') path.pop_back();
  if (path.size() == kDriveRootLength && IsDriveLetter(path[0]) && path[1] == L':' &&
      path[2] == L'\\') {
    path += product_name;
  }
  return path;
}

// The folder that holds `path`, never above `root` (which holds itself).
std::wstring ParentWithin(const std::wstring& path, const std::wstring& root) {
  const size_t slash = path.find_last_of(L'\\');
  if (path.size() <= root.size() || slash == std::wstring::npos) return root;
  return path.substr(0, slash < root.size() ? root.size() : slash);
}

// `path` and those of its parents below `root` that do not exist, innermost
// first; empty when something exists at `path`.
std::vector<std::wstring> MissingFolders(const std::wstring& path, const std::wstring& root) {
  std::vector<std::wstring> missing;
  for (std::wstring folder = path;
       folder.size() > root.size() && GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES;
       folder = ParentWithin(folder, root)) {
    missing.push_back(folder);
  }
  return missing;
}

void RemoveFolders(const std::vector<std::wstring>& innermost_first) {
  for (const std::wstring& made : innermost_first) RemoveDirectoryW(made.c_str());
}

// The cause that the Win32 `error` of creating a folder or file names.
FolderProblem ProblemOfError(DWORD error) {
  switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_NETWORK_ACCESS_DENIED:
      return FolderProblem::kNotWritable;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
      return FolderProblem::kBadName;
    case ERROR_FILENAME_EXCED_RANGE:
      return FolderProblem::kTooLong;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_NOT_READY:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_NETNAME_DELETED:
    case ERROR_NETWORK_UNREACHABLE:
    case ERROR_DEV_NOT_EXIST:
      return FolderProblem::kUnreachable;
    default:
      return FolderProblem::kOther;
  }
}

// The refusal of `error` met at `failed` (the folder being made, or the
// folder a probe file was made in) while preparing `path` below `root`.
FolderCheck RefusalOf(DWORD error, const std::wstring& failed, const std::wstring& path,
                      const std::wstring& root) {
  const FolderProblem problem = ProblemOfError(error);
  if (problem == FolderProblem::kNotWritable) return {problem, failed};
  if (problem == FolderProblem::kUnreachable) return {problem, root};
  return {problem, path};
}

// Creates `missing` (innermost first, as MissingFolders gives it), outermost
// first; on a refusal removes again what it made.
FolderCheck CreateMissingFolders(const std::vector<std::wstring>& missing, const std::wstring& path,
                                 const std::wstring& root) {
  for (size_t i = missing.size(); i-- > 0;) {
    if (CreateDirectoryW(missing[i].c_str(), nullptr)) continue;
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS && PathIsDirectoryW(missing[i].c_str())) continue;
    RemoveFolders(std::vector<std::wstring>(missing.begin() + i + 1, missing.end()));
    return RefusalOf(error, ParentWithin(missing[i], root), path, root);
  }
  return {};
}

// ERROR_SUCCESS when a new file can be created in `folder`, otherwise the
// error Windows gives. The probe file is hidden and deleted on close, so that
// nothing of it stays, not even when this process is ended meanwhile.
DWORD ProbeNewFile(const std::wstring& folder) {
  const std::wstring probe = folder + L"\\~brindle-write-check-" +
                             FormatLong(L"%ld", static_cast<long>(GetCurrentProcessId())) + L".tmp";
  UniqueHandle file(CreateFileW(
      probe.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
      FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  return file ? ERROR_SUCCESS : GetLastError();
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

FolderCheck PrepareInstallFolder(const std::wstring& typed, const std::wstring& product_name,
                                 PreparedFolder& folder) {
  const std::wstring path = NormalizedFolder(typed, product_name);
  const FolderProblem text_problem = FolderTextProblem(path);
  if (text_problem != FolderProblem::kNone) return {text_problem, path};
  const std::wstring root = PathRoot(path);
  if (GetFileAttributesW(root.c_str()) == INVALID_FILE_ATTRIBUTES) {
    return {FolderProblem::kUnreachable, root};
  }
  const std::vector<std::wstring> missing = MissingFolders(path, root);
  const std::wstring existing = missing.empty() ? path : ParentWithin(missing.back(), root);
  if (!PathIsDirectoryW(existing.c_str())) return {FolderProblem::kIsFile, existing};
  FolderCheck check = CreateMissingFolders(missing, path, root);
  if (!check) return check;
  const DWORD probe_error = ProbeNewFile(path);
  // Only a refusal to write counts here; a full disk is the install's own check.
  if (ProblemOfError(probe_error) == FolderProblem::kNotWritable) {
    RemoveFolders(missing);
    return {FolderProblem::kNotWritable, path};
  }
  folder.path = path;
  folder.created_root = missing.empty() ? std::wstring() : missing.back();
  return {};
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
