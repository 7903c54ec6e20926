// Whether the setup must start itself again with administrator rights, and
// the relaunch. An administrator whose process runs with the filtered token
// of User Account Control (elevation type "limited", with an administrator
// token linked to it) is asked for elevation; everybody else runs as started.
#ifndef BRINDLE_APP_ELEVATION_H_
#define BRINDLE_APP_ELEVATION_H_

#include <windows.h>

#include <string>

#include "setup/process_rights.h"

// True when the token linked to `token` (TokenLinkedToken) is a member of the
// built-in Administrators group. False when there is no linked token or a
// query fails. `token` is borrowed and needs TOKEN_QUERY access.
bool IsLinkedTokenAdmin(HANDLE token);

// True only on Windows Vista or later, for a process whose token has the
// limited elevation type and whose linked token is an administrator's. False
// for a standard user, an elevated process and a system without UAC.
bool NeedsElevation();

// Starts `program` again through ShellExecuteExW with the verb "runas" and
// `parameters` (this process's arguments, passed on in full), waits for it
// and returns its exit code. `declined` when the elevation prompt was
// declined or the program could not be started.
UINT RunElevated(const std::wstring& program, const std::wstring& parameters, UINT declined);

#endif  // BRINDLE_APP_ELEVATION_H_
