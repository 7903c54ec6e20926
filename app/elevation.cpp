#include "app/elevation.h"

#include <shellapi.h>

#include "app/process_wait.h"
#include "setup/os_version.h"
#include "setup/win_handles.h"

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

UINT RunElevated(const std::wstring& program, const std::wstring& parameters, UINT declined) {
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
  info.hwnd = nullptr;
  info.lpVerb = L"runas";
  info.lpFile = program.c_str();
  info.lpParameters = parameters.c_str();
  info.lpDirectory = L"";
  info.nShow = SW_SHOWNORMAL;
  if (!::ShellExecuteExW(&info) || !info.hProcess) return declined;
  const UniqueHandle process(info.hProcess);
  return WaitForExitCode(process.get(), declined);
}
