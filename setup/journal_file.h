// Where the journal of a product's runs lives, and durable appends to it.
//
// The journal of product `id` is the file "run.journal" in a folder keyed by
// the product, outside every install folder (the rollback it drives never
// removes it), so that every setup and uninstaller of the product finds it.
// Its area depends on who runs:
//
// - a process with administrator rights (an elevated run, SYSTEM), and every
//   install for all users: the admin area "%ProgramData%\Brindle", journal
//   folder "journal\<id>" for an install for every user and
//   "journal\<id>\<user's SID>" for an install for the current user. Each
//   level is created with a protected access list that lets only
//   Administrators and SYSTEM change it, owned by Administrators, and is
//   trusted only while its owner and access list let nobody else write,
//   delete, rename, change permissions or take ownership (write_access.h),
//   from "Brindle" down to the file itself. A level that fails is neither
//   repaired, read nor deleted: the run goes on with its journal in memory;
// - an install for the current user without administrator rights: the
//   user's own area "%LOCALAPPDATA%\Brindle", folder "journal\<id>", with a
//   protected list that lets the user, Administrators and SYSTEM write. A
//   level there that the user does not own (an earlier elevated run of an
//   older setup made it for administrators only) is moved aside and made
//   again, so that the user's runs keep a journal on disk.
//
// A folder or file that is a link is never trusted.
#pragma once

#include <windows.h>

#include <string>

#include "setup/journal_format.h"
#include "setup/product.h"
#include "setup/win_handles.h"

// The journal folder of `product_id` for installs of `scope` in this
// process's area (see above); empty when the
// application data folder is unknown or the id is empty.
std::wstring JournalFolderOf(const std::wstring& product_id, InstallScope scope);

// Makes (or takes) the folder "Brindle\journal" of this process's area for
// `scope` (see above) and returns it when it and "Brindle" are trusted;
// empty otherwise. What lies directly in it is as safe from other users as
// the journals.
std::wstring TrustedJournalRoot(InstallScope scope);

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
// `bytes`. False when there is none, or when it or a level of its folder is
// not trusted (see above).
bool ReadTrustedJournal(const std::wstring& product_id, InstallScope scope, std::string& bytes);

// Deletes the journal of `product_id` for installs of `scope`, if any and
// only when its folder is trusted; the folder stays.
void DeleteJournal(const std::wstring& product_id, InstallScope scope);

// Why the journal area of `product_id` for `scope` is not trusted, for the
// log: "<path>: <reason>" of the first level (or the file) that fails the
// judgement; empty when every existing level is trusted or none exists.
std::wstring JournalTrustProblem(const std::wstring& product_id, InstallScope scope);
