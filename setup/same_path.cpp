#include "setup/same_path.h"

#include <windows.h>

namespace {

// Calls a Win32 function of the kind "fill `buffer` of `size` characters,
// return the length or the size needed" until the buffer is large enough.
// Empty on failure.
template <typename Fill>
std::wstring GrowingCall(Fill fill) {
  std::wstring buffer(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 4; ++attempt) {
    const DWORD length = fill(&buffer[0], static_cast<DWORD>(buffer.size()));
    if (length == 0) return std::wstring();
    if (length < buffer.size()) {
      buffer.resize(length);
      return buffer;
    }
    buffer.assign(length + 1, L'\0');
  }
  return std::wstring();
}

std::wstring FullPath(const std::wstring& path) {
  return GrowingCall([&path](wchar_t* buffer, DWORD size) {
    return ::GetFullPathNameW(path.c_str(), size, buffer, nullptr);
  });
}

// The long form of an existing path; empty when it does not exist.
std::wstring LongPath(const std::wstring& path) {
  return GrowingCall([&path](wchar_t* buffer, DWORD size) {
    return ::GetLongPathNameW(path.c_str(), buffer, size);
  });
}

}  // namespace

std::wstring NormalizePath(const std::wstring& path) {
  if (path.empty()) return path;
  const std::wstring full = FullPath(path);
  if (full.empty()) return path;
  std::wstring long_form = LongPath(full);
  if (!long_form.empty()) return long_form;
  // A file that does not exist (yet): the long form of its folder.
  const size_t slash = full.find_last_of(L'\\');
  if (slash == std::wstring::npos || slash == 0) return full;
  const std::wstring folder = LongPath(full.substr(0, slash));
  return folder.empty() ? full : folder + full.substr(slash);
}

bool IsSamePath(const std::wstring& first, const std::wstring& second) {
  std::wstring a = NormalizePath(first);
  std::wstring b = NormalizePath(second);
  if (a.size() != b.size()) return false;
  // Upper case by the system's own table, without locale rules, as the file
  // system folds names (CompareStringOrdinal would need Windows Vista).
  ::CharUpperBuffW(&a[0], static_cast<DWORD>(a.size()));
  ::CharUpperBuffW(&b[0], static_cast<DWORD>(b.size()));
  return a == b;
}
