#include "setup/process_rights.h"

#include <windows.h>

bool RunsAsAdministrator() {
  BYTE sid[SECURITY_MAX_SID_SIZE] = {};
  DWORD sid_size = sizeof(sid);
  if (!::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &sid_size)) return false;
  BOOL member = FALSE;
  return ::CheckTokenMembership(nullptr, sid, &member) && member;
}
