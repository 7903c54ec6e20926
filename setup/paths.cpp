#include "setup/paths.h"

#include <shlobj.h>
#include <windows.h>

#include "setup/win_handles.h"

namespace {

// Buffer size, in characters, for the module and temporary paths.
constexpr DWORD kPathBufferChars = 520;

ShortcutPlace g_shortcut_place = ShortcutPlace::kCurrentUser;

bool AllUsers() { return g_shortcut_place == ShortcutPlace::kAllUsers; }

std::wstring UnderAppData(const wchar_t* relative) {
  const std::wstring app_data = GetSpecialFolder(CSIDL_APPDATA);
  return app_data.empty() ? std::wstring() : app_data + relative;
}

}  // namespace

std::wstring GetModulePath() {
  wchar_t buffer[kPathBufferChars];
  const DWORD length = GetModuleFileNameW(nullptr, buffer, kPathBufferChars);
  // A result that fills the buffer is a truncated path.
  if (length == 0 || length >= kPathBufferChars) return std::wstring();
  return std::wstring(buffer, length);
}

std::wstring GetTempFolder() {
  wchar_t buffer[kPathBufferChars];
  const DWORD length = GetTempPathW(kPathBufferChars, buffer);
  // A result larger than the buffer is the size it would need.
  if (length == 0 || length >= kPathBufferChars) return std::wstring();
  return std::wstring(buffer, length);
}

std::wstring GetSpecialFolder(int csidl) {
  wchar_t buffer[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, buffer, csidl, FALSE)) return std::wstring();
  return buffer;
}

std::wstring GetQuickLaunchFolder() {
  return UnderAppData(L"\\Microsoft\\Internet Explorer\\Quick Launch");
}

std::wstring GetStartMenuProgramsFolder() {
  if (AllUsers()) return GetSpecialFolder(CSIDL_COMMON_PROGRAMS);
  return UnderAppData(L"\\Microsoft\\Windows\\Start Menu\\Programs");
}

std::wstring GetDesktopFolder() {
  return GetSpecialFolder(AllUsers() ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOPDIRECTORY);
}

void UseShortcutPlace(ShortcutPlace place) { g_shortcut_place = place; }

ShortcutPlace ShortcutPlaceInUse() { return g_shortcut_place; }

bool RunsAsLocalSystem() {
  UniqueHandle token;
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
  token.reset(raw);
  // TOKEN_USER followed by its SID; SECURITY_MAX_SID_SIZE covers any SID.
  alignas(TOKEN_USER) BYTE buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  DWORD size = 0;
  if (!GetTokenInformation(token.get(), TokenUser, buffer, sizeof buffer, &size)) return false;
  return IsWellKnownSid(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, WinLocalSystemSid) !=
         FALSE;
}
