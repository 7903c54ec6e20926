// The error box text of a failed installation.
#ifndef BRINDLE_APP_INSTALL_FAILURE_TEXT_H_
#define BRINDLE_APP_INSTALL_FAILURE_TEXT_H_

#include <string>

#include "setup/install_engine.h"

// The text (app/texts.h) that names the cause of `result`, with the path
// concerned in place of its "%s": the damaged-package text for a package that
// cannot be read or fails its checks (and for a result that is no failure).
std::wstring InstallFailureText(const InstallResult& result);

#endif  // BRINDLE_APP_INSTALL_FAILURE_TEXT_H_
