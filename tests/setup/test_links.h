// Symbolic links and Unix programs for tests: links made through CreateSymbolicLinkW where the
// process may, else under Wine (whose CreateSymbolicLinkW returns TRUE and makes nothing) as a
// Unix link made by ln through Wine's Z: drive; Unix programs started through that drive.
#pragma once

#include <windows.h>

#include <string>

namespace test_links {

inline bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The Unix path of `path` under Wine; empty elsewhere.
inline std::string UnixPathOf(const std::wstring& path) {
  using Function = char*(CDECL*)(const wchar_t*);
  const FARPROC found =
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name");
  if (!found) return std::string();
  char* unix_path = reinterpret_cast<Function>(reinterpret_cast<void*>(found))(path.c_str());
  if (!unix_path) return std::string();
  std::string copy(unix_path);
  HeapFree(GetProcessHeap(), 0, unix_path);
  return copy;
}

inline std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// Starts the Unix program of `command` (a Z: path and its arguments) under Wine. Wine starts a
// Unix program without a Windows process to wait for: the caller waits for what it does.
inline bool StartUnixProgram(std::wstring command) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return false;
  }
  if (process.hThread) CloseHandle(process.hThread);
  if (process.hProcess) CloseHandle(process.hProcess);
  return true;
}

// Makes `link` a symbolic link to `target` (a file or, with `folder`, a folder): through
// CreateSymbolicLinkW where the process may (Windows: the privilege or developer mode), else,
// under Wine, as a Unix link made by ln through Wine's Z: drive, waiting until it shows.
inline bool MakeLink(const std::wstring& link, const std::wstring& target, bool folder) {
  constexpr DWORD kUnprivileged = 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
  const DWORD flags = folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0;
  // Wine 8's CreateSymbolicLinkW returns TRUE and makes nothing: only a link that shows counts.
  for (const DWORD extra : {kUnprivileged, DWORD{0}}) {
    if (CreateSymbolicLinkW(link.c_str(), target.c_str(), flags | extra) && Exists(link)) {
      return true;
    }
  }
  const std::string unix_link = UnixPathOf(link);
  const std::string unix_target = UnixPathOf(target);
  if (unix_link.empty() || unix_target.empty()) return false;
  if (!StartUnixProgram(L"Z:\\bin\\ln -s \"" + Widen(unix_target) + L"\" \"" + Widen(unix_link) +
                        L"\"")) {
    return false;
  }
  const DWORD deadline = GetTickCount() + 10000;
  while (!Exists(link) && GetTickCount() < deadline) Sleep(10);
  return Exists(link);
}

}  // namespace test_links
