// Starting the installed product from the finish window. The setup usually
// runs elevated; a product started by it directly would run, and make its
// first files, as administrator. An elevated setup therefore asks the shell
// of the user's desktop (which runs with the user's own unelevated token) to
// start it.
#ifndef BRINDLE_APP_DESKTOP_LAUNCH_H_
#define BRINDLE_APP_DESKTOP_LAUNCH_H_

#include <string>

// Asks the desktop's shell (IShellWindows → the desktop's IShellView →
// IShellDispatch2::ShellExecute) to open `program`, so that it runs as the
// desktop runs. False when there is no such shell (no desktop window, a
// shell that does not serve these interfaces) or it refused. COM must be
// initialised on the calling thread.
bool StartThroughDesktopShell(const std::wstring& program);

// Starts the product `program`: through the desktop's shell when this
// process runs elevated on Windows Vista or later, falling back to a start of
// its own (ShellExecuteW "open") when that fails or the process is not
// elevated. True when either start was accepted.
bool StartInstalledProduct(const std::wstring& program);

#endif  // BRINDLE_APP_DESKTOP_LAUNCH_H_
