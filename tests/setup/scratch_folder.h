// Test helper: a fresh, uniquely named folder under the user's temporary
// folder, removed with all its content when the object is destroyed. Tests
// create every file they touch inside it.
#pragma once

#include <windows.h>

#include <string>

class ScratchFolder {
 public:
  ScratchFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) return;
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      const std::wstring candidate =
          std::wstring(temp) + L"brindle-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
          std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(++counter);
      if (CreateDirectoryW(candidate.c_str(), nullptr)) path_ = candidate;
    }
  }
  ~ScratchFolder() {
    if (!path_.empty()) RemoveTree(path_);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // Full path without a trailing backslash; empty if no folder could be made.
  const std::wstring& path() const { return path_; }

  // path() + "\" + relative.
  std::wstring Join(const std::wstring& relative) const { return path_ + L"\\" + relative; }

  // Removes `path` (file or folder) with everything below it; read-only
  // attributes do not stop it, and links to folders
  // are removed without following them. True if nothing is left at `path`.
  static bool RemoveTree(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return DeleteFileW(path.c_str()) != 0;
    // A junction or folder link: remove the link, never what it points to.
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return RemoveDirectoryW(path.c_str()) != 0;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..") RemoveTree(path + L"\\" + name);
      } while (FindNextFileW(find, &entry));
      FindClose(find);
    }
    return RemoveDirectoryW(path.c_str()) != 0;
  }

 private:
  std::wstring path_;
};
