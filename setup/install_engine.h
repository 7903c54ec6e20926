// The installation: extracts the payload archive of the running setup package
// into the install folder, creates the chosen shortcuts, writes the
// uninstaller copy with a record of what it put on disk, registers the product
// under the system's Uninstall key and sends kInstallFinishedMessage to the
// progress window.
#pragma once

#include <string>

#include "setup/progress_sink.h"

// Installs from the running executable (GetModulePath). Runs to the end on the
// calling (user-interface) thread, which must own the sink's window. True on
// success. On false no shortcut, uninstaller copy or registration was made and
// the extracted files and the folders that became empty were removed again.
bool RunInstall(ProgressSink& sink);

// RunInstall with the setup package read from `package_path` instead of the
// running executable.
bool RunInstallFromPackage(const std::wstring& package_path, ProgressSink& sink);
