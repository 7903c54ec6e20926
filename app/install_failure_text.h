// The error box text and the exit code of a failed installation.
#ifndef BRINDLE_APP_INSTALL_FAILURE_TEXT_H_
#define BRINDLE_APP_INSTALL_FAILURE_TEXT_H_

#include <windows.h>

#include <string>

#include "app/texts.h"
#include "setup/install_engine.h"

// The text of `texts` that names the cause of `result`, with the path
// concerned in place of its "%s": the damaged-package text for a package that
// cannot be read or fails its checks (and for a result that is no failure).
std::wstring InstallFailureText(const InstallResult& result, const AppTexts& texts);

// The exit code (app/exit_code.h) of the failed `result`: kExitPackageDamaged
// for a damaged package, kExitProductRunning when the running product was not
// ended, kExitFailed (rolled back) for every other cause.
UINT InstallFailureExitCode(const InstallResult& result);

#endif  // BRINDLE_APP_INSTALL_FAILURE_TEXT_H_
