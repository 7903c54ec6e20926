// Exit codes of the setup program.
#ifndef BRINDLE_APP_EXIT_CODE_H_
#define BRINDLE_APP_EXIT_CODE_H_

#include <windows.h>

enum ExitCode : UINT {
  // Every end but a failed engine run: finished, cancelled, closed, relaunched
  // (elevated or from the temporary uninstaller copy), or no valid package.
  kExitSuccess = 0,
  // The install or the uninstall engine returned failure.
  kExitEngineFailed = 1,
  // The uninstaller could not make or start its temporary copy (unknown
  // temporary folder, no run folder, a failed copy) and so did not uninstall.
  kExitTemporaryUninstallerFailed = 1,
  // Another setup or uninstaller of the same product was running.
  kExitAlreadyRunning = 5,
  // An installation failed and its rollback could not restore every file.
  kExitRollbackIncomplete = 7,
  // An uninstall left files it could not remove; its uninstaller and entry
  // stay for another run.
  kExitUninstallIncomplete = 8,
};

#endif  // BRINDLE_APP_EXIT_CODE_H_
