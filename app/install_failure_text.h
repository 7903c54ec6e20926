// The error box text and the exit code of a failed installation.
#ifndef BRINDLE_APP_INSTALL_FAILURE_TEXT_H_
#define BRINDLE_APP_INSTALL_FAILURE_TEXT_H_

#include <windows.h>

#include <string>
#include <vector>

#include "app/texts.h"
#include "setup/install_engine.h"
#include "setup/uninstall_engine.h"

// The text of `texts` that names the cause of `result`, with the path
// concerned in place of its "%s": the damaged-package text for a package that
// cannot be read or fails its checks (and for a result that is no failure).
// A full disk or too little space goes on with the space needed and free
// (when the engine could ask the volume). When the rollback left files
// unrestored, the text goes on to list them.
std::wstring InstallFailureText(const InstallResult& result, const AppTexts& texts);

// `lines` joined with line breaks, for the lists of files in error texts.
std::wstring JoinLines(const std::vector<std::wstring>& lines);

// The exit code (app/exit_code.h) of the failed `result`:
// kExitRollbackIncomplete when the rollback could not restore everything,
// kExitPackageDamaged for a damaged package, kExitProductRunning when the running product was not
// ended, kExitFailed (rolled back) for every other cause, a volume too small
// for the payload included (nothing was written).
UINT InstallFailureExitCode(const InstallResult& result);

// The exit code of the uninstall `result`: kExitFailed when it could not
// read its record, or when files are left that are not scheduled for removal
// at the restart; kExitRestartNeeded when they are; else kExitSuccess.
UINT UninstallExitCode(const UninstallResult& result);

#endif  // BRINDLE_APP_INSTALL_FAILURE_TEXT_H_
