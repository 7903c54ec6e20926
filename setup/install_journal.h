// What one installation changed on disk, kept so that the run can be undone
// until it succeeds. Every file the run writes is either new or takes the
// place of an original that was first moved aside under a free name beside
// it; every folder the run makes is remembered. Commit lets go of the
// originals once nothing can fail any more; RollBack deletes what the run
// wrote, puts every original back under its name and removes the folders the
// run made that are empty again, leaving the disk as it was before the run.
//
// Paths are full paths with "\" separators. Not thread-safe; one run only.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class InstallJournal {
 public:
  InstallJournal() = default;
  InstallJournal(const InstallJournal&) = delete;
  InstallJournal& operator=(const InstallJournal&) = delete;

  // Records that `folder` and its parents up to and including `root` were
  // made for this run before it started (by the main window's folder check),
  // so that RollBack removes them when they are empty. Nothing is recorded
  // when `root` is empty or is neither `folder` nor one of its parents.
  void AddCreatedFolders(const std::wstring& folder, const std::wstring& root);

  // Creates `folder` and every missing parent, recording each folder it
  // creates. Returns ERROR_SUCCESS when `folder` exists as a folder
  // afterwards. Otherwise `failed` names the path that stopped it and the
  // result is ERROR_FILE_EXISTS when a file occupies that path, or the error
  // of creating it.
  DWORD CreateFolders(const std::wstring& folder, std::wstring& failed);

  // Moves the existing file `target` aside to "<target>.old" (or, when that
  // name is taken, "<target>.1.old", "<target>.2.old" ...) and records it, so
  // that `target` is free for new content. A kept original (`keep`) is not
  // the product's: Commit leaves it under its backup name, which `backup`
  // receives, for the uninstall to put back. ERROR_SUCCESS, or the error of
  // the move (the file then stays where it is and nothing is recorded).
  DWORD MoveAside(const std::wstring& target, bool keep = false, std::wstring* backup = nullptr);

  // Records that this run created `target` and wrote to it.
  void AddWrittenFile(const std::wstring& target);

  // The folders this run created, in the order created.
  const std::vector<std::wstring>& created_folders() const { return created_folders_; }

  // The run succeeded: deletes the originals moved aside that were not kept.
  // One that another program still holds open stays under its backup name.
  void Commit();

  // The run failed: in the reverse order of the records, deletes each written
  // file and moves each original back under its name; then removes the
  // recorded folders, deepest first, as far as they are empty. Returns what
  // could not be restored, one line each: a written file that could not be
  // deleted, or an original that could not be moved back ("<target> ←
  // <backup>", where it waits). Empty when the disk is as it was.
  std::vector<std::wstring> RollBack();

 private:
  struct Step {
    std::wstring target;
    std::wstring backup;  // empty for a written file
    bool keep = false;    // an original that Commit leaves in place
  };

  std::vector<Step> steps_;
  std::vector<std::wstring> created_folders_;
};
