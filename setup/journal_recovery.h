// Recovery of a run that a kill, a crash or a power cut stopped: the next
// start of any setup or uninstaller of the product reads the run's journal
// (setup/journal_file.h) and, before it shows a page, undoes an install or
// upgrade or, when it had already succeeded, finishes its cleanup; an
// uninstall is finished. Call it while
// holding the product's lock, so that no other run of the product writes the
// journal meanwhile.
#pragma once

#include <string>
#include <vector>

#include "setup/journal_format.h"
#include "setup/product.h"

struct RecoveryResult {
  // A journal of an interrupted run was there (and is gone now, unless
  // `unrestored` names something).
  bool found = false;
  // The run had succeeded: only the deletion of its backups was finished.
  bool committed = false;
  // The run was an uninstall: it was finished (see `unrestored` for what is
  // left).
  bool uninstall = false;
  // Bytes after the last complete record were left out (torn last record,
  // or a journal that is not this program's at all).
  bool torn = false;
  // What could not be put back, one line each: a file of the run that could
  // not be deleted, or an original that stays under its backup name
  // ("<target> ← <backup>"). Empty when the disk is as before the run.
  std::vector<std::wstring> unrestored;
};

// Undoes or finishes the interrupted run of `product_id` for installs of
// `scope`, if its journal (setup/journal_file.h) is there and trusted, then
// deletes the journal; a journal whose recovery could not put everything
// back (`unrestored`) stays, for the next start to try again. Never deletes
// a folder that is not empty, nor a file that the journal does not name as
// the run's, nor anything behind a link.
RecoveryResult RecoverInterruptedRun(const std::wstring& product_id, InstallScope scope);

// Undoes the records of a run of `product_id` for installs of `scope` that
// did not commit (InstallJournal::records): as a recovery would, so that a
// run failing after its files are written leaves the disk and the entry as
// before it. Returns what could not be put back (see `unrestored` above).
std::vector<std::wstring> UndoJournalRecords(const std::wstring& product_id, InstallScope scope,
                                             const std::vector<JournalRecord>& records);

// The same for journal `bytes` already read (as ParseJournal takes them);
// does not touch the journal file.
RecoveryResult RecoverFromJournal(const std::wstring& product_id, InstallScope scope,
                                  const std::string& bytes);
