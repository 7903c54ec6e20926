// Exit codes of the setup program and of the uninstaller: the one place that
// defines them. They are stable; deployment tools (winget, Intune,
// Configuration Manager) read them, and README.md lists them in one table.
// The process that hands the work to another (the elevated relaunch, the
// uninstaller's temporary copy) ends with that process's code.
#ifndef BRINDLE_APP_EXIT_CODE_H_
#define BRINDLE_APP_EXIT_CODE_H_

// Portable: the packing tool writes the codes into package manager manifests.
enum ExitCode : unsigned int {
  // The work completed (or /? showed the list of switches).
  kExitSuccess = 0,
  // The install failed and was rolled back, or the uninstall failed or left
  // files that it could not schedule for removal at the restart.
  kExitFailed = 1,
  // A switch that this program does not know, or /D= or /LOG= without a value.
  kExitBadCommandLine = 2,
  // The package is missing or damaged; nothing was changed.
  kExitPackageDamaged = 3,
  // The install folder cannot be used (bad name, no such drive, not
  // writable); nothing was changed.
  kExitBadFolder = 4,
  // The elevation prompt was declined or the elevated copy could not start.
  kExitElevationDeclined = 5,
  // A failed install, or the undoing of an interrupted run at start-up,
  // could not put everything back as it was.
  kExitRollbackIncomplete = 6,
  // The uninstaller could not make or start its temporary copy.
  kExitTemporaryUninstallerFailed = 7,
  // The product was running and was not ended (the user answered No, or an
  // unattended run took that safe answer); nothing was changed.
  kExitProductRunning = 8,
  // An unattended run found an installed version newer than the package's
  // and /ALLOWDOWNGRADE did not allow installing over it; nothing was changed.
  kExitDowngradeNotAllowed = 9,
  // An unattended run found files of no earlier install in the install
  // folder and /ALLOWNONEMPTYFOLDER did not allow installing among them;
  // nothing was changed.
  kExitFolderNotEmpty = 10,
  // A person closed the setup, or answered No to its question, before the
  // work started (never the code of an unattended run).
  kExitCancelled = 1602,
  // Another setup of the same product is running, or the lock that allows
  // one cannot be taken safely (it fails closed). The number is the Windows
  // Installer's, which deployment tools already retry.
  kExitSetupRunning = 1618,
  // The uninstall completed, but files in use are removed (and kept
  // originals put back) only when the system restarts, which the uninstall
  // has scheduled (the number deployment tools read as a soft reboot).
  kExitRestartNeeded = 3010,
};

// Every code above, for tables that must name each one (manifests, tests).
inline constexpr ExitCode kAllExitCodes[] = {
    kExitSuccess,
    kExitFailed,
    kExitBadCommandLine,
    kExitPackageDamaged,
    kExitBadFolder,
    kExitElevationDeclined,
    kExitRollbackIncomplete,
    kExitTemporaryUninstallerFailed,
    kExitProductRunning,
    kExitDowngradeNotAllowed,
    kExitFolderNotEmpty,
    kExitCancelled,
    kExitSetupRunning,
    kExitRestartNeeded,
};

#endif  // BRINDLE_APP_EXIT_CODE_H_
