// Where the journal of a product's runs lives, and durable appends to it.
//
// The journal of product `id` is the file "run.journal" in a folder keyed by
// the product, outside every install folder (the rollback it drives never
// removes it), so that every setup and uninstaller of the product finds it:
//
// - for an install for every user, "%ProgramData%\Brindle\journal\<id>".
//   Each level is created, and set again on every open, with a protected
//   access list that lets only Administrators and SYSTEM write, owned by
//   Administrators: a standard user can neither plant nor alter it;
// - for an install for the current user, "%LOCALAPPDATA%\Brindle\journal\<id>",
//   with a protected list that lets the user, Administrators and SYSTEM
//   write. A process running with an administrator's elevated token trusts
//   only levels and a file that Administrators or SYSTEM own, and grants the
//   user nothing: the user's programs without elevation can neither plant
//   nor alter what an elevated run reads.
//
// A folder or file that another owner holds, or a link in its place, is
// never trusted.
#pragma once

#include <windows.h>

#include <string>

#include "setup/journal_format.h"
#include "setup/product.h"
#include "setup/win_handles.h"

// The journal folder of `product_id` for installs of `scope`; empty when the
// application data folder is unknown or the id is empty.
std::wstring JournalFolderOf(const std::wstring& product_id, InstallScope scope);

// The journal file of one run, open for appending.
class JournalFile {
 public:
  JournalFile() = default;
  JournalFile(const JournalFile&) = delete;
  JournalFile& operator=(const JournalFile&) = delete;

  // Creates the journal of `product_id` for installs of `scope` (replacing
  // an older one) in its protected folder and writes its header through to
  // the disk. ERROR_SUCCESS, or the error that stopped it
  // (ERROR_ACCESS_DENIED when the folder cannot be made safe).
  DWORD Create(const std::wstring& product_id, InstallScope scope);

  // Appends `records` and returns only when they are on the disk (written
  // through and flushed once). ERROR_SUCCESS or the error of the write.
  DWORD Append(const std::vector<JournalRecord>& records);
  DWORD Append(const JournalRecord& record) { return Append(std::vector<JournalRecord>{record}); }

  // Closes and deletes the file: the run needs no undoing any more.
  void Remove();

  bool is_open() const { return static_cast<bool>(file_); }

 private:
  UniqueHandle file_;
  std::wstring path_;
};

// Reads the whole journal of `product_id` for installs of `scope` into
// `bytes`. False when there is none, or when it or its folder is not safely
// owned (see above).
bool ReadTrustedJournal(const std::wstring& product_id, InstallScope scope, std::string& bytes);

// Deletes the journal of `product_id` for installs of `scope`, if any; the
// folder stays.
void DeleteJournal(const std::wstring& product_id, InstallScope scope);
