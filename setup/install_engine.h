// The installation: extracts the payload archive of the running setup package
// into the install folder, writes the uninstaller copy with a record of what
// it put on disk, creates the chosen shortcuts, registers the product under
// the system's Uninstall key and sends kInstallFinishedMessage to the
// progress window.
//
// What the folder already holds is respected: a file that an earlier install
// of the same product wrote (its record, read from that install's
// uninstaller) is replaced; any other file in the way is kept under a backup
// name beside it and recorded, for the uninstall to put back. The uninstaller
// is named "unins000.exe", or the first free "uninsNNN.exe" when that name is
// another product's. Links below the install folder are never followed. After
// a successful upgrade, the earlier install's files that the new package no
// longer has are removed, so that the new record covers the whole product.
//
// Before anything is written the payload's size is held against the free
// space of the install folder's volume, and a volume too small fails the run
// at once (kNotEnoughSpace) instead of after copying most of it.
//
// Until the uninstaller copy is written the run can be undone completely:
// every file it replaces is first moved aside beside its target
// (setup/install_journal.h). A failed run deletes what it wrote, puts every
// replaced file back, removes the folders it made as far as they are empty
// and leaves no shortcut, uninstaller copy or registration behind; an install
// that was there before is left as it was.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "setup/package_layout.h"
#include "setup/progress_sink.h"

// Why an installation failed.
enum class InstallError {
  kNone,
  kPackageDamaged,    // the package cannot be read or fails its checks
  kDiskFull,          // the disk ran out of space while writing `path`
  kCannotWrite,       // `path` cannot be created, written or moved aside
  kFileInUse,         // another program holds `path` so that it cannot be replaced
  kFolderInTheWay,    // a folder occupies `path`, where a file goes
  kFileInTheWay,      // a file occupies `path`, where a folder goes
  kProgramNotClosed,  // the user chose not to end the program running from `path`
  kLinkInTheWay,      // `path` below the install folder is a link to somewhere else
  kNotEnoughSpace,    // the volume of `path`, the install folder, has too little free space
};

// The outcome of one run: kNone on success; otherwise the cause and the full
// path of the file or folder concerned (empty for kPackageDamaged), and what
// the rollback of the failed run could not restore (empty when the disk is as
// it was before the run; otherwise one line per file, see
// InstallJournal::RollBack).
struct InstallResult {
  InstallError error = InstallError::kNone;
  std::wstring path;
  std::vector<std::wstring> unrestored;
  // For kNotEnoughSpace and kDiskFull: the bytes the installation needs on
  // the install folder's volume (every payload file and the uninstaller copy,
  // each rounded up to whole clusters; what it replaces is not subtracted, as
  // the originals stay until the run succeeds), and the bytes free there for
  // this user: at the check for kNotEnoughSpace, after the rollback for
  // kDiskFull (another program may have taken the space meanwhile). Both 0
  // when the volume could not be asked.
  uint64_t needed_bytes = 0;
  uint64_t free_bytes = 0;

  explicit operator bool() const { return error == InstallError::kNone; }
};

// Installs from the running executable (GetModulePath). Runs to the end on the
// calling (user-interface) thread, which must own the sink's window.
InstallResult RunInstall(ProgressSink& sink);

// RunInstall with the setup package read through `package` (the running
// executable, opened once at start, in the program) instead of the running
// executable's path.
InstallResult RunInstallFromPackage(const PackageFile& package, ProgressSink& sink);
