// The early ends of the setup process. Every end that does not come through
// closing the main window (elevated relaunch, missing package, uninstall
// relaunch, failed engine, finish windows) ends the process at once with
// TerminateProcess on itself: no window is destroyed, the application's
// ExitInstance does not run and COM is not uninitialised.
#ifndef BRINDLE_APP_PROCESS_END_H_
#define BRINDLE_APP_PROCESS_END_H_

#include <windows.h>

// Ends the calling process with `exit_code`. Returns only when a test hook is
// installed; callers return at once after it, so that with a hook the program
// goes on as if the process had ended there.
void EndProcess(UINT exit_code);

// Tests: EndProcess calls `hook` instead of ending the process; null restores
// the real end. User-interface thread only.
using ProcessEndHook = void (*)(UINT exit_code);
void SetProcessEndHookForTesting(ProcessEndHook hook);

#endif  // BRINDLE_APP_PROCESS_END_H_
