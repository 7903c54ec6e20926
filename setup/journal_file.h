// Where the journal of a product's runs lives, and durable appends to it.
//
// The journal of product `id` is the file "run.journal" in
// "%ProgramData%\Brindle\journal\<id>": outside every install folder, so that
// the rollback it drives never removes it, and keyed by the product so that
// every setup and uninstaller of the product finds it. Each level of that
// folder is created, and set again on every open, with a protected access
// list that lets only Administrators and SYSTEM write, and owned by
// Administrators: a standard user can neither plant nor alter the journal of
// a per-machine install. A folder or file that another owner holds, or a
// link in its place, is never trusted.
#pragma once

#include <windows.h>

#include <string>

#include "setup/journal_format.h"
#include "setup/win_handles.h"

// The journal folder of `product_id` ("<ProgramData>\Brindle\journal\<id>");
// empty when the common application data folder is unknown or the id is
// empty.
std::wstring JournalFolderOf(const std::wstring& product_id);

// The journal file of one run, open for appending.
class JournalFile {
 public:
  JournalFile() = default;
  JournalFile(const JournalFile&) = delete;
  JournalFile& operator=(const JournalFile&) = delete;

  // Creates the journal of `product_id` (replacing an older one) in its
  // protected folder and writes its header through to the disk.
  // ERROR_SUCCESS, or the error that stopped it (ERROR_ACCESS_DENIED when the
  // folder cannot be made safe).
  DWORD Create(const std::wstring& product_id);

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

// Reads the whole journal of `product_id` into `bytes`. False when there is
// none, or when it or its folder is not safely owned (see above).
bool ReadTrustedJournal(const std::wstring& product_id, std::string& bytes);

// Deletes the journal of `product_id`, if any; the folder stays.
void DeleteJournal(const std::wstring& product_id);
