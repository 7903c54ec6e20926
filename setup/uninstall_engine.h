// The uninstallation: removes what the installation recorded in the running
// uninstaller copy's package config (shortcuts and taskbar pins, the
// start-menu folder, the installed files, the files the product names in the
// user's application data folder, the uninstaller copy, the folders that
// became empty and the product's Uninstall entry), then calls the sink's
// FinishWork. The entry, the shortcuts and the start-menu folder are the
// product's, not the install's: they go only when the entry's
// "InstallLocation" is this install folder (or there is no entry to say
// otherwise), so that an uninstaller left from an earlier install elsewhere
// does not unregister the live one.
#pragma once

#include <string>

#include "setup/progress_sink.h"

// Uninstalls with the package config of the running executable
// (GetModulePath), which must be an uninstaller copy that is not the one in
// the install folder. Runs on the calling (user-interface) thread. False, with
// nothing changed, when the config cannot be read or names no install folder;
// every later step is best effort and the result is then true.
bool RunUninstall(ProgressSink& sink);

// RunUninstall with the package config read from `package_path`.
bool RunUninstallFromPackage(const std::wstring& package_path, ProgressSink& sink);
