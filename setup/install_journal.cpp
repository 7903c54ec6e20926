#include "setup/install_journal.h"

#include <algorithm>
#include <utility>

#include "setup/number_text.h"

namespace {

// Backup names tried for one original before MoveAside gives up.
constexpr int kBackupNames = 100;

void (*g_disk_step_hook)() = nullptr;

// `path` without its last component; empty when it has no "\".
std::wstring ParentOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// True when `path` is `root` or lies below it. `root` may end with "\".
bool IsSameOrBelow(const std::wstring& path, const std::wstring& root) {
  if (path.compare(0, root.size(), root) != 0) return false;
  return path.size() == root.size() || root.back() == L'\\' || path[root.size()] == L'\\';
}

std::wstring BackupName(const std::wstring& target, int attempt) {
  return attempt == 0 ? target + L".old" : target + FormatLong(L".%ld.old", attempt);
}

JournalRecord PathRecord(JournalKind kind, const std::wstring& path) {
  return {kind, {PathField(path)}};
}

}  // namespace

std::string PathField(const std::wstring& path) {
  return std::string(reinterpret_cast<const char*>(path.data()), path.size() * sizeof(wchar_t));
}

std::wstring FieldPath(const std::string& field) {
  std::wstring path(field.size() / sizeof(wchar_t), L'\0');
  if (!path.empty()) field.copy(reinterpret_cast<char*>(&path[0]), path.size() * sizeof(wchar_t));
  return path;
}

void SetDiskStepHookForTesting(void (*hook)()) { g_disk_step_hook = hook; }

void AfterDiskStep() {
  if (g_disk_step_hook) g_disk_step_hook();
}

DWORD InstallJournal::Durable(const JournalRecord& record) {
  return Durable(std::vector<JournalRecord>{record});
}

DWORD InstallJournal::Durable(const std::vector<JournalRecord>& records) {
  const DWORD error = disk_ && disk_->is_open() ? disk_->Append(records) : ERROR_SUCCESS;
  if (error == ERROR_SUCCESS) records_.insert(records_.end(), records.begin(), records.end());
  return error;
}

DWORD InstallJournal::Begin(const std::wstring& folder, const std::vector<std::wstring>& new_files,
                            std::vector<std::wstring> new_folders) {
  new_folders.insert(new_folders.end(), created_folders_.begin(), created_folders_.end());
  JournalRecord creates{JournalKind::kRunCreates, {}};
  creates.fields.reserve(new_files.size() + new_folders.size());
  for (const std::wstring& file : new_files) {
    creates.fields.push_back(PathField(file));
    announced_.Add(file);
  }
  for (const std::wstring& folder_path : new_folders) {
    creates.fields.push_back(PathField(folder_path + L"\\"));
    announced_.Add(folder_path);
  }
  const DWORD error = Durable({PathRecord(JournalKind::kInstallBegun, folder), std::move(creates)});
  if (error == ERROR_SUCCESS) AfterDiskStep();
  return error;
}

void InstallJournal::AddCreatedFolders(const std::wstring& folder, const std::wstring& root) {
  if (root.empty() || !IsSameOrBelow(folder, root)) return;
  for (std::wstring path = folder; path.size() >= root.size(); path = ParentOf(path)) {
    created_folders_.push_back(path);
  }
}

DWORD InstallJournal::CreateFolders(const std::wstring& folder, std::wstring& failed) {
  // The folders to create, innermost first.
  std::vector<std::wstring> missing;
  for (std::wstring path = folder; !path.empty(); path = ParentOf(path)) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      if (attributes & FILE_ATTRIBUTE_DIRECTORY) break;
      failed = path;
      return ERROR_FILE_EXISTS;
    }
    missing.push_back(path);
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    if (!announced_.Contains(*it)) {
      const DWORD error = Durable(PathRecord(JournalKind::kNewFolder, *it));
      if (error != ERROR_SUCCESS) {
        failed = *it;
        return error;
      }
    }
    if (CreateDirectoryW(it->c_str(), nullptr)) {
      created_folders_.push_back(*it);
      AfterDiskStep();
      continue;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS && IsFolder(*it)) continue;
    failed = *it;
    return error == ERROR_ALREADY_EXISTS ? ERROR_FILE_EXISTS : error;
  }
  return ERROR_SUCCESS;
}

DWORD InstallJournal::MoveAside(const std::wstring& target, bool keep, std::wstring* backup_name) {
  DWORD error = ERROR_FILE_EXISTS;
  for (int attempt = 0; attempt < kBackupNames; ++attempt) {
    const std::wstring backup = BackupName(target, attempt);
    // A recovery moves back whatever has the recorded backup name: the
    // record names only a free one.
    if (Exists(backup)) continue;
    error = Durable(
        {JournalKind::kMovedAside, {PathField(target), PathField(backup), keep ? "1" : "0"}});
    if (error != ERROR_SUCCESS) return error;
    // No MOVEFILE_REPLACE_EXISTING: whatever has the backup name stays.
    if (MoveFileExW(target.c_str(), backup.c_str(), 0)) {
      steps_.push_back({target, backup, keep});
      if (backup_name) *backup_name = backup;
      AfterDiskStep();
      return ERROR_SUCCESS;
    }
    error = GetLastError();
    const DWORD cancelled =
        Durable({JournalKind::kMoveCancelled, {PathField(target), PathField(backup)}});
    if (cancelled != ERROR_SUCCESS) return cancelled;
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return error;
  }
  return error;
}

DWORD InstallJournal::WillCreateFile(const std::wstring& target) {
  if (announced_.Contains(target)) return ERROR_SUCCESS;
  return Durable(PathRecord(JournalKind::kNewFile, target));
}

void InstallJournal::AddWrittenFile(const std::wstring& target) {
  steps_.push_back({target, std::wstring(), false});
}

DWORD InstallJournal::Note(const JournalRecord& record) { return Durable(record); }

void InstallJournal::Commit() {
  // A journal without this record would make the next start undo a finished
  // run: when it cannot be written, the journal goes instead (an
  // interruption of the cleanup below then leaves backups behind).
  if (Durable({JournalKind::kCommitted, {}}) != ERROR_SUCCESS) Finish();
  AfterDiskStep();
  for (const Step& step : steps_) {
    if (step.backup.empty() || step.keep) continue;
    SetFileAttributesW(step.backup.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileW(step.backup.c_str())) AfterDiskStep();
  }
  steps_.clear();
  created_folders_.clear();
}

void InstallJournal::Finish() {
  if (disk_) disk_->Remove();
}

std::vector<std::wstring> InstallJournal::RollBack() {
  std::vector<std::wstring> unrestored;
  // Each step's target is free again when the later steps are undone: a
  // written file whose deletion failed keeps its original out.
  for (auto it = steps_.rbegin(); it != steps_.rend(); ++it) {
    if (it->backup.empty()) {
      if (!DeleteFileW(it->target.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) {
        unrestored.push_back(it->target);
      }
    } else if (!MoveFileExW(it->backup.c_str(), it->target.c_str(), 0)) {
      unrestored.push_back(it->target + L" \u2190 " + it->backup);
    }
  }
  steps_.clear();
  // An inner folder's path is longer than that of any folder containing it.
  std::stable_sort(
      created_folders_.begin(), created_folders_.end(),
      [](const std::wstring& a, const std::wstring& b) { return a.size() > b.size(); });
  for (const std::wstring& folder : created_folders_) RemoveDirectoryW(folder.c_str());
  created_folders_.clear();
  Finish();
  return unrestored;
}
