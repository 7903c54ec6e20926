#include "setup/folder_path_rules.h"

#include <cwchar>
#include <string_view>

#include "setup/device_names.h"

namespace {

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

bool IsBadComponent(std::wstring_view component) {
  if (component.back() == L'.' || component.back() == L' ') return true;
  for (wchar_t c : component) {
    if (c < 0x20 || c == 0x7F || wcschr(L":*?\"<>|", c)) return true;
  }
  return IsReservedDeviceName(component);
}

}  // namespace

bool IsFullPath(const std::wstring& path) {
  if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == L':' && path[2] == L'\\') {
    return true;
  }
  return path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'\\';
}

std::wstring PathRoot(const std::wstring& path) {
  if (!IsFullPath(path)) return std::wstring();
  if (path[1] == L':') return path.substr(0, 3);
  // "\\server\share": the server ends at the first "\" after "\\", the share at the next.
  const size_t server_end = path.find(L'\\', 2);
  if (server_end == std::wstring::npos || server_end + 1 >= path.size()) return std::wstring();
  const size_t share_end = path.find(L'\\', server_end + 1);
  if (share_end == server_end + 1) return std::wstring();
  return share_end == std::wstring::npos ? path + L"\\" : path.substr(0, share_end + 1);
}

FolderProblem FolderTextProblem(const std::wstring& path) {
  const std::wstring root = PathRoot(path);
  if (root.empty()) return FolderProblem::kNotFullPath;
  for (size_t begin = root.size(); begin < path.size();) {
    size_t end = path.find(L'\\', begin);
    if (end == std::wstring::npos) end = path.size();
    if (end > begin && IsBadComponent(std::wstring_view(path).substr(begin, end - begin))) {
      return FolderProblem::kBadName;
    }
    begin = end + 1;
  }
  if (path.size() > kMaxInstallFolderLength) return FolderProblem::kTooLong;
  return FolderProblem::kNone;
}
