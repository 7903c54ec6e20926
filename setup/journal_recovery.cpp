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

// Undoes the records of a run that did not commit, the last first; the
// files the run created are deleted before its folders are removed.
class Undo {
 public:
  Undo(const std::wstring& product_id, InstallScope scope, RecoveryResult& result)
      : product_id_(product_id), scope_(scope), result_(result) {}

  void Run(const std::vector<JournalRecord>& records) {
    for (auto it = records.rbegin(); it != records.rend(); ++it) Step(*it);
    // An inner folder's path is longer than that of any folder containing it.
    std::stable_sort(
        folders_.begin(), folders_.end(),
        [](const std::wstring& a, const std::wstring& b) { return a.size() > b.size(); });
    for (const std::wstring& folder : folders_) RemoveDirectoryW(folder.c_str());
  }

 private:
  void Step(const JournalRecord& record) {
    const std::vector<std::string>& f = record.fields;
    switch (record.kind) {
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
        if (f.size() == 1) folders_.push_back(FieldPath(f[0]));
        break;
      case JournalKind::kNewPaths:
        for (const std::string& field : f) NewPath(FieldPath(field));
        break;
      case JournalKind::kEmptyFolders:
        for (const std::string& field : f) {
          const std::wstring folder = FieldPath(field);
          if (IsFolder(folder)) DeleteContents(folder);
        }
        break;
      case JournalKind::kKeptRestored:
        if (f.size() == 2) SetKeptAsideAgain(FieldPath(f[0]), FieldPath(f[1]));
        break;
      case JournalKind::kEntryBefore:
        RestoreUninstallEntry(product_id_, scope_, record);
        break;
      case JournalKind::kPinned:
        if (f.size() == 1 && IsVistaOrLater()) UnpinQuickLaunchShortcut(FieldPath(f[0]));
        break;
      default:
        break;
    }
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
    }
  }

  void DeleteNamed(const std::wstring& path) {
    if (!DeleteRunFile(path)) result_.unrestored.push_back(path);
  }

  // A path that did not exist before the run, with all it holds now: the
  // run made it.
  void NewPath(const std::wstring& path) {
    if (IsFolder(path)) {
      DeleteContents(path);
      folders_.push_back(path);
    } else if (Exists(path)) {
      DeleteNamed(path);
    }
  }

  // Deletes everything below `folder`, which holds only what the run made.
  // A link found there is removed itself, never followed.
  void DeleteContents(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    const HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteNamed(path);
        continue;
      }
      if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) DeleteContents(path);
      if (!RemoveDirectoryW(path.c_str())) result_.unrestored.push_back(path);
    } while (FindNextFileW(find, &entry));
    FindClose(find);
  }

  // An earlier install's kept original that the run put back under its name
  // returns under its backup name.
  void SetKeptAsideAgain(const std::wstring& file, const std::wstring& backup) {
    if (Exists(file) && !Exists(backup)) MoveFileExW(file.c_str(), backup.c_str(), 0);
  }

  const std::wstring& product_id_;
  const InstallScope scope_;
  RecoveryResult& result_;
  std::multiset<MoveKey> cancelled_;
  std::vector<std::wstring> folders_;
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
  DeleteJournal(product_id, scope);
  return result;
}
