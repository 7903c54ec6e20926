// Finding and ending the running processes of one program file. A process
// matches a path when its executable is that very file: the full path of its
// image, compared with the path as IsSamePath (setup/same_path.h) compares
// them. A process of the same file name started from another folder never
// matches.
#pragma once

#include <windows.h>

#include <string>

// True when some process that this process may query runs the executable file
// at `path`. False for an empty path or when no process snapshot can be taken.
bool IsProcessRunning(const std::wstring& path);

// Ends (exit code 0) every process that runs the executable file at `path`,
// including the calling process if it is one of them, then waits until the
// ended processes are gone, at most `timeout_ms` in all. Processes that cannot
// be opened are passed over. Returns how many processes were told to end; 0
// means nothing was ended and nothing was waited for.
int TerminateProcessesByPath(const std::wstring& path, DWORD timeout_ms);
