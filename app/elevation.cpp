#include "app/elevation.h"

#include <shellapi.h>

#include <memory>

#include "setup/os_version.h"
#include "setup/win_handles.h"

namespace {

// Owns the array CommandLineToArgvW returns.
struct ArgvDeleter {
  void operator()(wchar_t** argv) const { ::LocalFree(argv); }
};

}  // namespace

bool IsLinkedTokenAdmin(HANDLE token) {
  BYTE sid[SECURITY_MAX_SID_SIZE] = {};
  DWORD sid_size = sizeof(sid);
  if (!::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &sid_size)) return false;
  TOKEN_LINKED_TOKEN linked = {};
  DWORD returned = 0;
  if (!::GetTokenInformation(token, TokenLinkedToken, &linked, sizeof(linked), &returned)) {
    return false;
  }
  const UniqueHandle linked_token(linked.LinkedToken);
  BOOL member = FALSE;
  if (!::CheckTokenMembership(linked_token.get(), sid, &member)) return false;
  return member != FALSE;
}

bool NeedsElevation() {
  if (!IsVistaOrLater()) return false;
  UniqueHandle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put())) return false;
  TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
  DWORD returned = 0;
  if (!::GetTokenInformation(token.get(), TokenElevationType, &type, sizeof(type), &returned)) {
    return false;
  }
  return type == TokenElevationTypeLimited && IsLinkedTokenAdmin(token.get());
}

bool RunsAsAdministrator() {
  BYTE sid[SECURITY_MAX_SID_SIZE] = {};
  DWORD sid_size = sizeof(sid);
  if (!::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &sid_size)) return false;
  BOOL member = FALSE;
  return ::CheckTokenMembership(nullptr, sid, &member) && member;
}

std::wstring ElevationParameters(const wchar_t* command_line) {
  int count = 0;
  const std::unique_ptr<wchar_t*, ArgvDeleter> argv(::CommandLineToArgvW(command_line, &count));
  if (!argv || count < 4) return std::wstring();
  wchar_t** args = argv.get();
  return L"\"" + std::wstring(args[1]) + L"\" " + args[2] + L" " + args[3];
}

void RelaunchElevated(const std::wstring& program, const std::wstring& parameters) {
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = 0;
  info.hwnd = nullptr;
  info.lpVerb = L"runas";
  info.lpFile = program.c_str();
  info.lpParameters = parameters.c_str();
  info.lpDirectory = L"";
  info.nShow = SW_SHOWNORMAL;
  ::ShellExecuteExW(&info);
}
