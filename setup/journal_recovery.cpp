#include "setup/journal_recovery.h"

#include <windows.h>

#include <algorithm>
#include <set>
#include <utility>

#include "json/json_reader.h"
#include "json/json_value.h"
#include "setup/entry_snapshot.h"
#include "setup/install_journal.h"
#include "setup/install_record.h"
#include "setup/journal_file.h"
#include "setup/link_check.h"
#include "setup/os_version.h"
#include "setup/shell_links.h"
#include "setup/uninstall_engine.h"

namespace {

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Deletes the run's file `path`, read-only or not; true when it is gone.
bool DeleteRunFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  return DeleteFileW(path.c_str()) != 0;
}

using MoveKey = std::pair<std::string, std::string>;  // target, backup fields

// `path` without its last component; empty when it has no "\". A drive's
// root keeps its "\" ("C:\").
std::wstring ParentOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L'\\');
  if (slash == std::wstring::npos || slash + 1 == path.size()) return std::wstring();
  return slash == 2 && path[1] == L':' ? path.substr(0, 3) : path.substr(0, slash);
}

// Undoes the records of a run that did not commit, the last first; then
// the files the run created are deleted, and its folders removed where they
// are empty. Only the names the records give are touched: a file is deleted
// only as a file, never through a link, and a folder is never entered, so
// whatever else is there now (put there after the run stopped) stays.
class Undo {
 public:
  Undo(const std::wstring& product_id, InstallScope scope, RecoveryResult& result)
      : product_id_(product_id), scope_(scope), result_(result) {}

  void Run(const std::vector<JournalRecord>& records) {
    for (auto it = records.rbegin(); it != records.rend(); ++it) Step(*it);
    const LinkCheck links(ExistingRoot());
    for (const std::wstring& file : files_) DeleteRunName(file, links);
    // An inner folder's path is longer than that of any folder containing it.
    std::stable_sort(
        folders_.begin(), folders_.end(),
        [](const std::wstring& a, const std::wstring& b) { return a.size() > b.size(); });
    for (const std::wstring& folder : folders_) {
      if (links.FirstLink(folder).empty()) {
        RemoveEmptyFolders({folder});
        AfterDiskStep();
      }
    }
  }

 private:
  void Step(const JournalRecord& record) {
    const std::vector<std::string>& f = record.fields;
    switch (record.kind) {
      case JournalKind::kInstallBegun:
        if (f.size() == 1) install_folder_ = FieldPath(f[0]);
        break;
      case JournalKind::kMoveCancelled:
        if (f.size() == 2) cancelled_.insert({f[0], f[1]});
        break;
      case JournalKind::kMovedAside:
        if (f.size() == 3) MoveBack(f);
        break;
      case JournalKind::kNewFile:
        if (f.size() == 1) DeleteNamed(FieldPath(f[0]));
        break;
      case JournalKind::kNewFolder:
        if (f.size() == 1) AddFolder(FieldPath(f[0]));
        break;
      case JournalKind::kRunCreates:
      case JournalKind::kNewPaths:
        for (const std::string& field : f) AddName(FieldPath(field));
        break;
      case JournalKind::kKeptRestored:
        if (f.size() == 2) SetKeptAsideAgain(FieldPath(f[0]), FieldPath(f[1]));
        break;
      case JournalKind::kEntryBefore:
        RestoreUninstallEntry(product_id_, scope_, record);
        AfterDiskStep();
        break;
      case JournalKind::kPinned:
        if (f.size() == 1 && IsVistaOrLater()) UnpinQuickLaunchShortcut(FieldPath(f[0]));
        break;
      default:
        break;
    }
  }

  // A name of the run: a folder when it ends with "\", else a file. (The
  // names of older journals carry no "\": what is a folder now is taken as
  // one, which is only ever removed when empty.)
  void AddName(const std::wstring& name) {
    if (!name.empty() && name.back() == L'\\') {
      AddFolder(name.substr(0, name.size() - 1));
    } else if (IsFolder(name)) {
      AddFolder(name);
    } else {
      files_.push_back(name);
    }
  }

  void AddFolder(const std::wstring& folder) {
    folders_.push_back(folder);
    made_.Add(folder);
  }

  // The deepest folder above the install folder (or the install folder
  // itself) that the run did not make: only below it is anything the run's.
  std::wstring ExistingRoot() const {
    std::wstring root = install_folder_;
    while (!root.empty() && made_.Contains(root)) root = ParentOf(root);
    return root;
  }

  // Deletes the run's file `path` unless a link now stands on the way to it
  // or a folder has taken its name: then it is not the run's any more.
  void DeleteRunName(const std::wstring& path, const LinkCheck& links) {
    if (!Exists(path) || IsFolder(path) || !links.FirstLink(path).empty()) return;
    DeleteNamed(path);
  }

  // The original under its backup name comes back; the run's file in its
  // place goes first. A backup name that is not there means the move never
  // happened (or was undone): the target is then the original itself.
  void MoveBack(const std::vector<std::string>& f) {
    const auto cancelled = cancelled_.find({f[0], f[1]});
    if (cancelled != cancelled_.end()) {
      cancelled_.erase(cancelled);
      return;
    }
    const std::wstring target = FieldPath(f[0]);
    const std::wstring backup = FieldPath(f[1]);
    if (!Exists(backup)) return;
    if (!DeleteRunFile(target) || !MoveFileExW(backup.c_str(), target.c_str(), 0)) {
      result_.unrestored.push_back(target + L" \u2190 " + backup);
      return;
    }
    AfterDiskStep();
  }

  void DeleteNamed(const std::wstring& path) {
    if (!Exists(path)) return;
    if (!DeleteRunFile(path)) {
      result_.unrestored.push_back(path);
      return;
    }
    AfterDiskStep();
  }

  // An earlier install's kept original that the run put back under its name
  // returns under its backup name.
  void SetKeptAsideAgain(const std::wstring& file, const std::wstring& backup) {
    if (Exists(file) && !Exists(backup) && MoveFileExW(file.c_str(), backup.c_str(), 0)) {
      AfterDiskStep();
    }
  }

  const std::wstring& product_id_;
  const InstallScope scope_;
  RecoveryResult& result_;
  std::multiset<MoveKey> cancelled_;
  std::wstring install_folder_;
  std::vector<std::wstring> files_;
  std::vector<std::wstring> folders_;
  PathSet made_;  // the folders the run made
};

// Finishes the cleanup of a run that committed: the originals it replaced
// for good go, then the earlier install's folders that are empty now.
void Complete(const std::vector<JournalRecord>& records) {
  std::multiset<MoveKey> cancelled;
  for (const JournalRecord& record : records) {
    if (record.kind == JournalKind::kMoveCancelled && record.fields.size() == 2) {
      cancelled.insert({record.fields[0], record.fields[1]});
    }
  }
  for (const JournalRecord& record : records) {
    const std::vector<std::string>& f = record.fields;
    if (record.kind == JournalKind::kMovedAside && f.size() == 3 && f[2] == "0" &&
        cancelled.count({f[0], f[1]}) == 0) {
      DeleteRunFile(FieldPath(f[1]));
    } else if (record.kind == JournalKind::kFoldersToPrune) {
      std::vector<std::wstring> folders;
      for (const std::string& field : f) folders.push_back(FieldPath(field));
      RemoveEmptyFolders(folders);
    }
  }
}

// The progress of a recovery goes nowhere: no page is shown yet.
class SilentSink final : public ProgressSink {
 public:
  HWND WindowHandle() const override { return nullptr; }
  int Ask(const std::wstring&, const wchar_t*, UINT) override { return IDYES; }
  void SetStepText(const std::wstring&) override {}
  void SetProgressPosition(int) override {}
  std::wstring InstallFolder() const override { return std::wstring(); }
  std::wstring CreatedFolderRoot() const override { return std::wstring(); }
  bool DesktopOption() const override { return false; }
  bool TaskbarOption() const override { return false; }
  bool StartMenuOption() const override { return false; }
  void SetLaunchPath(const std::wstring&) override {}
  void FinishWork() override {}
};

// Finishes the uninstall whose config `text` the journal kept.
void FinishUninstallFrom(const std::string& text, RecoveryResult& result) {
  JsonValue config;
  if (!JsonReader().parse(text.c_str(), config)) return;
  SilentSink sink;
  result.unrestored = FinishUninstall(config, sink).left;
}

bool IsCommitted(const std::vector<JournalRecord>& records) {
  return std::any_of(records.begin(), records.end(), [](const JournalRecord& record) {
    return record.kind == JournalKind::kCommitted;
  });
}

}  // namespace

std::vector<std::wstring> UndoJournalRecords(const std::wstring& product_id, InstallScope scope,
                                             const std::vector<JournalRecord>& records) {
  RecoveryResult result;
  Undo(product_id, scope, result).Run(records);
  return result.unrestored;
}

RecoveryResult RecoverFromJournal(const std::wstring& product_id, InstallScope scope,
                                  const std::string& bytes) {
  RecoveryResult result;
  const ParsedJournal journal = ParseJournal(bytes);
  result.found = true;
  result.torn = journal.torn || !journal.recognised;
  const std::vector<JournalRecord>& records = journal.records;
  if (!records.empty() && records[0].kind == JournalKind::kUninstallBegun) {
    result.uninstall = true;
    if (records[0].fields.size() == 1) FinishUninstallFrom(records[0].fields[0], result);
  } else if (IsCommitted(records)) {
    result.committed = true;
    Complete(journal.records);
  } else {
    Undo(product_id, scope, result).Run(journal.records);
  }
  return result;
}

RecoveryResult RecoverInterruptedRun(const std::wstring& product_id, InstallScope scope) {
  std::string bytes;
  if (!ReadTrustedJournal(product_id, scope, bytes)) return RecoveryResult();
  RecoveryResult result = RecoverFromJournal(product_id, scope, bytes);
  if (result.unrestored.empty()) DeleteJournal(product_id, scope);
  return result;
}
