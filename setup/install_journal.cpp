#include "setup/install_journal.h"

#include <algorithm>

#include "setup/number_text.h"

namespace {

// Backup names tried for one original before MoveAside gives up.
constexpr int kBackupNames = 100;

// `path` without its last component; empty when it has no "\".
std::wstring ParentOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// True when `path` is `root` or lies below it. `root` may end with "\".
bool IsSameOrBelow(const std::wstring& path, const std::wstring& root) {
  if (path.compare(0, root.size(), root) != 0) return false;
  return path.size() == root.size() || root.back() == L'\\' || path[root.size()] == L'\\';
}

std::wstring BackupName(const std::wstring& target, int attempt) {
  return attempt == 0 ? target + L".old" : target + FormatLong(L".%ld.old", attempt);
}

}  // namespace

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
    if (CreateDirectoryW(it->c_str(), nullptr)) {
      created_folders_.push_back(*it);
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
    // No MOVEFILE_REPLACE_EXISTING: whatever has the backup name stays.
    if (MoveFileExW(target.c_str(), backup.c_str(), 0)) {
      steps_.push_back({target, backup, keep});
      if (backup_name) *backup_name = backup;
      return ERROR_SUCCESS;
    }
    error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return error;
  }
  return error;
}

void InstallJournal::AddWrittenFile(const std::wstring& target) {
  steps_.push_back({target, std::wstring(), false});
}

void InstallJournal::Commit() {
  for (const Step& step : steps_) {
    if (step.backup.empty() || step.keep) continue;
    SetFileAttributesW(step.backup.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(step.backup.c_str());
  }
  steps_.clear();
  created_folders_.clear();
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
  return unrestored;
}
