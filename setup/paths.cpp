#include "setup/paths.h"

#include <shlobj.h>
#include <windows.h>

namespace {

// Buffer size, in characters, for the module and temporary paths.
constexpr DWORD kPathBufferChars = 520;

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
  return UnderAppData(L"\\Microsoft\\Windows\\Start Menu\\Programs");
}
