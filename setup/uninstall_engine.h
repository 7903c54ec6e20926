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
#include <vector>

#include "setup/package_layout.h"
#include "setup/progress_sink.h"

class JsonValue;

// The outcome of one run.
struct UninstallResult {
  // False, with nothing changed, when the config cannot be read or names no
  // install folder.
  bool read = false;
  // What is left of the product: recorded files that could not be deleted,
  // and kept originals that could not be put back ("<file> ← <backup>").
  // When anything is left FinishWork is not called, and either
  // `restart_scheduled` holds, or the uninstaller in the install folder now
  // records exactly what is left and the entry stays.
  std::vector<std::wstring> left;
  // True when everything `left` names is deleted or put back when the
  // system restarts (scheduled with MoveFileEx, as only an install for every
  // user may: it needs administrator rights), and the folders that are empty
  // then go too; the uninstaller copy and the entry are gone already.
  bool restart_scheduled = false;
  // Paths of the record that do not lie inside its install folder: passed
  // over, never deleted or restored (for the log).
  std::vector<std::wstring> skipped;

  explicit operator bool() const { return read && left.empty(); }
};

// Uninstalls with the package config of the running executable
// (GetModulePath), which must be an uninstaller copy that is not the one in
// the install folder. Runs on the calling (user-interface) thread. Files that
// the install kept aside come back under their names; read-only product
// files go too; a file held by a program is freed by ending the programs
// that run from that very file; the removal of shortcuts, settings and
// folders is best effort.
UninstallResult RunUninstall(ProgressSink& sink);

// RunUninstall with the package config read through `package`.
UninstallResult RunUninstallFromPackage(const PackageFile& package, ProgressSink& sink);

// Finishes an uninstall that was interrupted, from `config`, the package
// config of its uninstaller as the journal kept it (the uninstaller copy in
// the install folder may be gone already). Files that are gone are passed
// over, so the result is that of a whole uninstall.
UninstallResult FinishUninstall(const JsonValue& config, ProgressSink& sink);
