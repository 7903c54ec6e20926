#include "setup/link_check.h"

#include <windows.h>

#include "setup/win_handles.h"

namespace {

constexpr wchar_t kLongPrefix[] = L"\\\\?\\";
constexpr wchar_t kLongUncPrefix[] = L"\\\\?\\UNC\\";

bool SameText(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

std::wstring FinalPathOf(const std::wstring& path) {
  UniqueHandle entry(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!entry) return std::wstring();
  std::wstring final_path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetFinalPathNameByHandleW(
        entry.get(), &final_path[0], static_cast<DWORD>(final_path.size()), FILE_NAME_NORMALIZED);
    if (length == 0) return std::wstring();
    if (length < final_path.size()) {
      final_path.resize(length);
      break;
    }
    final_path.resize(length + 1);
  }
  if (final_path.compare(0, wcslen(kLongUncPrefix), kLongUncPrefix) == 0) {
    return L"\\\\" + final_path.substr(wcslen(kLongUncPrefix));
  }
  if (final_path.compare(0, wcslen(kLongPrefix), kLongPrefix) == 0) {
    return final_path.substr(wcslen(kLongPrefix));
  }
  return final_path;
}

LinkCheck::LinkCheck(const std::wstring& folder)
    : folder_(folder), folder_final_(FinalPathOf(folder)) {}

std::wstring LinkCheck::FirstLink(const std::wstring& path) const {
  // A drive's root ends with its "\" already.
  const bool root = !folder_.empty() && folder_.back() == L'\\';
  const size_t first = root ? folder_.size() : folder_.size() + 1;
  if (folder_.empty() || path.size() <= first || (!root && path[folder_.size()] != L'\\') ||
      !SameText(path.substr(0, folder_.size()), folder_)) {
    return std::wstring();
  }
  for (size_t end = first; end <= path.size(); ++end) {
    if (end < path.size() && path[end] != L'\\') continue;
    const std::wstring entry = path.substr(0, end);
    if (GetFileAttributesW(entry.c_str()) == INVALID_FILE_ATTRIBUTES) return std::wstring();
    if (IsLink(entry)) return entry;
  }
  return std::wstring();
}

bool LinkCheck::IsLink(const std::wstring& entry) const {
  const DWORD attributes = GetFileAttributesW(entry.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return true;
  }
  if (folder_final_.empty()) return false;
  const std::wstring final_path = FinalPathOf(entry);
  return final_path.empty() || !SameText(final_path, folder_final_ + entry.substr(folder_.size()));
}
