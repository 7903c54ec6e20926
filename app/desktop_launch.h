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

// The two ways to start the product, replaceable for tests; each returns
// true when the start was accepted.
struct ProductStarters {
  bool (*through_desktop_shell)(const std::wstring& program);
  bool (*own_start)(const std::wstring& program);  // ShellExecuteW "open"
};

// StartThroughDesktopShell and a ShellExecuteW "open" of this process.
ProductStarters SystemProductStarters();

// Starts the product `program`, never with administrator rights: with
// `elevated` (this process runs as administrator on Windows Vista or later)
// only through the desktop's shell, and when that fails nothing starts;
// otherwise by a start of its own. True when a start was accepted.
bool StartInstalledProduct(const std::wstring& program, bool elevated,
                           const ProductStarters& starters = SystemProductStarters());

// True when this process runs as administrator on Windows Vista or later:
// what it starts itself would run elevated.
bool StartsElevated();

#endif  // BRINDLE_APP_DESKTOP_LAUNCH_H_
