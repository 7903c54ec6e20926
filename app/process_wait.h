// Waiting for a process this one handed its work to (the elevated relaunch,
// the uninstaller's temporary copy), so that whoever started the setup gets
// the outcome of the work and not of the hand-off.
#ifndef BRINDLE_APP_PROCESS_WAIT_H_
#define BRINDLE_APP_PROCESS_WAIT_H_

#include <windows.h>

// Waits until `process` (borrowed; needs SYNCHRONIZE and
// PROCESS_QUERY_LIMITED_INFORMATION) has ended and returns its exit code.
// Sent and posted messages of this thread's windows are handled meanwhile, so
// that the waiting process never holds up a program that broadcasts to every
// window. `failure` when the wait or the query fails.
UINT WaitForExitCode(HANDLE process, UINT failure);

#endif  // BRINDLE_APP_PROCESS_WAIT_H_
