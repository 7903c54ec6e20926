// Finding and ending running processes by the file name of their executable.
// A process matches a path when its executable's file name (without folder)
// equals the path's file-name part, ignoring case; the folders play no part.
#pragma once

#include <string>

// True when some process of this session's snapshot runs an executable whose
// file name equals the file-name part of `path`. False for an empty name or
// when no process snapshot can be taken.
bool IsProcessRunning(const std::wstring& path);

// Ends (exit code 0) every process whose executable name matches `path`,
// including the calling process if its executable has that name. Processes
// that cannot be opened are passed over. Does not wait for the processes to
// end: callers that need the files released wait themselves.
void TerminateProcessesByName(const std::wstring& path);
