// What one installation changed on disk, kept so that the run can be undone
// until it succeeds. Every file the run writes is either new or takes the
// place of an original that was first moved aside under a free name beside
// it; every folder the run makes is remembered. Commit lets go of the
// originals once nothing can fail any more; RollBack deletes what the run
// wrote, puts every original back under its name and removes the folders the
// run made that are empty again, leaving the disk as it was before the run.
//
// With a journal file attached (set_disk), the record of each step is also
// written through to the disk before the step, so that the next start of a
// setup of the product can undo a run that a kill or a power cut stopped
// (setup/journal_recovery.h). To keep that cheap, Begin names once, in one
// record, every file and folder that does not exist before the run and that
// the run may create: those need no record of their own (a fresh install is
// a few records in all), while each original moved aside gets one. Only those
// very names are the run's: what another program puts beside or below them
// later is not. Every record is also kept in memory (records()), so that a
// run failing after its files are written is undone as a recovery would.
//
// Paths are full paths with "\" separators. Not thread-safe; one run only.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "setup/install_record.h"
#include "setup/journal_file.h"

class InstallJournal {
 public:
  InstallJournal() = default;
  InstallJournal(const InstallJournal&) = delete;
  InstallJournal& operator=(const InstallJournal&) = delete;

  // Makes every later record durable in `disk` (borrowed; it must outlive
  // the run's use of the journal) before its step. Null: memory only.
  void set_disk(JournalFile* disk) { disk_ = disk; }

  // The first records of a run into `folder`: the folder; `new_files` and
  // `new_folders`, the files and folders absent now that the run may create
  // (the folders recorded by AddCreatedFolders are added). ERROR_SUCCESS or
  // the error of writing the journal (nothing may change then).
  DWORD Begin(const std::wstring& folder, const std::vector<std::wstring>& new_files,
              std::vector<std::wstring> new_folders);

  // Records that `folder` and its parents up to and including `root` were
  // made for this run before it started (by the main window's folder check),
  // so that RollBack removes them when they are empty; call before Begin,
  // which makes them durable. Nothing is recorded when `root` is empty or is
  // neither `folder` nor one of its parents.
  void AddCreatedFolders(const std::wstring& folder, const std::wstring& root);

  // Creates `folder` and every missing parent, recording each folder it
  // creates. Returns ERROR_SUCCESS when `folder` exists as a folder
  // afterwards. Otherwise `failed` names the path that stopped it and the
  // result is ERROR_FILE_EXISTS when a file occupies that path, or the error
  // of creating it (or of writing the journal).
  DWORD CreateFolders(const std::wstring& folder, std::wstring& failed);

  // Moves the existing file `target` aside to "<target>.old" (or, when that
  // name is taken, "<target>.1.old", "<target>.2.old" ...) and records it, so
  // that `target` is free for new content. A kept original (`keep`) is not
  // the product's: Commit leaves it under its backup name, which `backup`
  // receives, for the uninstall to put back. ERROR_SUCCESS, or the error of
  // the move or of the journal (the file then stays where it is and nothing
  // is recorded).
  DWORD MoveAside(const std::wstring& target, bool keep = false, std::wstring* backup = nullptr);

  // Makes durable that the run is about to create the file `target`, unless
  // Begin named it. Call before creating it. ERROR_SUCCESS or the error of
  // the journal (the file must not be created then).
  DWORD WillCreateFile(const std::wstring& target);

  // Records that this run created `target` and wrote to it.
  void AddWrittenFile(const std::wstring& target);

  // Makes `record` durable (registry values before a change, a kept original
  // about to come back, a pin); memory-only journals ignore it.
  DWORD Note(const JournalRecord& record);

  // Every record of the run so far, in the order written (also without a
  // journal file).
  const std::vector<JournalRecord>& records() const { return records_; }

  // The folders this run created, in the order created.
  const std::vector<std::wstring>& created_folders() const { return created_folders_; }

  // The run succeeded: makes that durable, then deletes the originals moved
  // aside that were not kept. One that another program still holds open
  // stays under its backup name. Call Finish after the cleanup that follows.
  void Commit();

  // The run is over: the journal on disk is deleted.
  void Finish();

  // The run failed: in the reverse order of the records, deletes each written
  // file and moves each original back under its name; then removes the
  // recorded folders, deepest first, as far as they are empty; then deletes
  // the journal on disk. Returns what could not be restored, one line each:
  // a written file that could not be deleted, or an original that could not
  // be moved back ("<target> ← <backup>", where it waits). Empty when the
  // disk is as it was.
  std::vector<std::wstring> RollBack();

 private:
  struct Step {
    std::wstring target;
    std::wstring backup;  // empty for a written file
    bool keep = false;    // an original that Commit leaves in place
  };

  DWORD Durable(const JournalRecord& record);
  DWORD Durable(const std::vector<JournalRecord>& records);

  std::vector<Step> steps_;
  std::vector<std::wstring> created_folders_;
  PathSet announced_;  // Begin's new files and folders
  std::vector<JournalRecord> records_;
  JournalFile* disk_ = nullptr;
};

// A field holding `path` as UTF-16LE bytes, and back.
std::string PathField(const std::wstring& path);
std::wstring FieldPath(const std::string& field);

// Test seam: `hook` (null: none) runs after each step of an installation
// that changes the disk or the registry, so that a test can end the process
// there as a kill would. Never set in the product.
void SetDiskStepHookForTesting(void (*hook)());

// Called by the engine after each such step; runs the hook.
void AfterDiskStep();
