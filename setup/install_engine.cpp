#include "setup/install_engine.h"

#include <shlobj.h>
#include <shlwapi.h>
#include <unzip.h>
#include <windows.h>

#include <memory>
#include <utility>
#include <vector>

#include "json/json_value.h"
#include "setup/base64.h"
#include "setup/config_lists.h"
#include "setup/engine_texts.h"
#include "setup/entry_snapshot.h"
#include "setup/file_utils.h"
#include "setup/install_journal.h"
#include "setup/install_record.h"
#include "setup/journal_file.h"
#include "setup/link_check.h"
#include "setup/number_text.h"
#include "setup/os_version.h"
#include "setup/package_layout.h"
#include "setup/paths.h"
#include "setup/payload_reader.h"
#include "setup/processes.h"
#include "setup/product.h"
#include "setup/product_identity.h"
#include "setup/same_path.h"
#include "setup/scratch_pool.h"
#include "setup/shell_links.h"
#include "setup/text_convert.h"
#include "setup/uninstall_key.h"
#include "setup/volume_space.h"
#include "setup/win_handles.h"

namespace {

// Room for an entry name of up to 1023 bytes and its terminating zero.
constexpr unsigned kEntryNameBufferSize = 1024;
// Decompressed data goes through one buffer of this size, made once per install.
constexpr unsigned kCopyBufferSize = 524288;
// Longest time given to ended processes to go away and release their files.
constexpr DWORD kWaitAfterEndingMs = 5000;

std::wstring ReplaceSlashes(std::wstring path) {
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

std::wstring TrimWhiteSpace(const std::wstring& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && iswspace(text[begin])) ++begin;
  while (end > begin && iswspace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

InstallResult Failure(InstallError error, const std::wstring& path = std::wstring()) {
  return {error, path, {}};
}

// The failure of creating, writing or moving `path` with the Win32 `error`.
InstallResult WriteFailure(DWORD error, const std::wstring& path) {
  switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return Failure(InstallError::kDiskFull, path);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
      return Failure(InstallError::kFileInUse, path);
    default:
      return Failure(InstallError::kCannotWrite, path);
  }
}

// True when the existing file `path` cannot be opened for writing because
// another program holds it (a running program's own file, for one). Opening
// changes nothing: the file is neither created nor truncated.
bool IsHeldForWriting(const std::wstring& path) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file) return false;
  const DWORD error = GetLastError();
  return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
         error == ERROR_LOCK_VIOLATION;
}

// Writes all `size` bytes of `data` to `file`; ERROR_SUCCESS or the error of
// the write that failed (a short write is retried, so that a full disk is
// reported as such).
DWORD WriteAll(HANDLE file, const char* data, DWORD size) {
  while (size > 0) {
    DWORD written = 0;
    if (!WriteFile(file, data, size, &written, nullptr)) return GetLastError();
    if (written == 0) return ERROR_WRITE_FAULT;
    data += written;
    size -= written;
  }
  return ERROR_SUCCESS;
}

void SetStringValue(HKEY key, const wchar_t* name, const std::wstring& data) {
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                 static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

// One run of the installation; all state lives for that run only.
class InstallRun {
 public:
  InstallRun(const PackageFile& package, ProgressSink& sink)
      : package_(package), sink_(sink), folder_(sink.InstallFolder()), links_(folder_) {}

  InstallResult Run() {
    // In memory only: the journal on disk starts once the product is known.
    journal_.AddCreatedFolders(folder_, sink_.CreatedFolderRoot());
    InstallResult result = WriteFiles();
    if (!result) {
      result.unrestored = journal_.RollBack();
      if (result.error == InstallError::kDiskFull) AddSpaceFigures(result);
      return result;
    }
    // Nothing below can fail the installation any more, but until the commit
    // an interruption is still undone at the next start, registration and
    // shortcuts included.
    MoveEarlierLeftoversAside();
    sink_.SetProgressPosition(70);
    CreateShortcuts();
    Register();
    Commit();
    sink_.SetLaunchPath(folder_ + L"\\" + Wide(setup_config_["lastrun"].toCString()));
    SendMessageTimeoutW(sink_.WindowHandle(), kInstallFinishedMessage, 0, 0, SMTO_BLOCK, 0,
                        nullptr);
    return result;
  }

 private:
  // Everything that can fail: the payload's files and the uninstaller copy.
  InstallResult WriteFiles() {
    if (!ReadPackage()) return Failure(InstallError::kPackageDamaged);
    FindEarlierInstall();
    Report(10, Texts().copying_step);
    UnzipArchive zip = OpenArchiveInFile(package_, archive_.offset, archive_.length);
    if (!zip) return Failure(InstallError::kPackageDamaged);
    InstallResult result = CheckFreeSpace(zip.get());
    if (result) result = BeginJournal(zip.get());
    if (result) result = ExtractEntries(zip.get());
    if (result) result = WriteUninstaller();
    return result;
  }

  // Holds the space the run needs against what the install folder's volume
  // has free. A volume that cannot be asked is not refused: the copy then
  // finds out.
  InstallResult CheckFreeSpace(unzFile zip) {
    VolumeSpace space;
    if (!QueryVolumeSpace(folder_, space)) return InstallResult();
    needed_bytes_ = NeededBytes(zip, space.cluster_bytes);
    if (needed_bytes_ <= space.free_bytes) return InstallResult();
    InstallResult result = Failure(InstallError::kNotEnoughSpace, folder_);
    result.needed_bytes = needed_bytes_;
    result.free_bytes = space.free_bytes;
    return result;
  }

  // Every file entry's size and the uninstaller copy's (about the setup
  // program's image and its config), each in whole clusters. Folder entries
  // and the journal are not counted.
  uint64_t NeededBytes(unzFile zip, uint64_t cluster_bytes) {
    uint64_t needed = RoundUpToClusters(
        uint64_t{location_.package_offset} + location_.config_length, cluster_bytes);
    for (int status = unzGoToFirstFile(zip); status == UNZ_OK; status = unzGoToNextFile(zip)) {
      std::wstring name;
      unz_file_info64 info = {};
      if (!CurrentEntry(zip, name, info) || name.back() == L'/') continue;
      needed += RoundUpToClusters(info.uncompressed_size, cluster_bytes);
    }
    return needed;
  }

  // The figures of a full disk: what the check found needed, and what is free
  // now that the run's files are gone again.
  void AddSpaceFigures(InstallResult& result) const {
    VolumeSpace space;
    if (needed_bytes_ == 0 || !QueryVolumeSpace(folder_, space)) return;
    result.needed_bytes = needed_bytes_;
    result.free_bytes = space.free_bytes;
  }

  // The journal on disk, begun with the files and folders that the run may
  // create and that do not exist now. Without rights to its folder (no
  // administrator) the run is undone in memory only.
  InstallResult BeginJournal(unzFile zip) {
    if (disk_.Create(product_.id, Scope()) == ERROR_SUCCESS) journal_.set_disk(&disk_);
    // A fresh install needs no look at the entries: all of the folder will be the run's.
    const DWORD attributes = GetFileAttributesW(folder_.c_str());
    DWORD error;
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      std::vector<std::wstring> absent;
      PathSet seen;
      AddAbsent(folder_, absent, seen);
      error = journal_.Begin(folder_, absent, {});
    } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && IsEmptyFolder(folder_)) {
      error = journal_.Begin(folder_, {}, {folder_});
    } else {
      error = journal_.Begin(folder_, AbsentPaths(zip), {});
    }
    if (error == ERROR_SUCCESS) return InstallResult();
    journal_.set_disk(nullptr);
    disk_.Remove();
    return WriteFailure(error, JournalFolderOf(product_.id, Scope()));
  }

  // The install folder with its missing parents, every entry's target with
  // its missing folders, and the uninstaller copy: those that do not exist.
  // Entries that fail the extraction's checks are passed over here.
  std::vector<std::wstring> AbsentPaths(unzFile zip) {
    std::vector<std::wstring> absent;
    PathSet seen;
    AddAbsent(folder_, absent, seen);
    for (int status = unzGoToFirstFile(zip); status == UNZ_OK; status = unzGoToNextFile(zip)) {
      std::wstring name;
      unz_file_info64 info = {};
      if (!CurrentEntry(zip, name, info)) continue;
      if (name.back() == L'/') name.pop_back();
      AddAbsent(folder_ + L"\\" + ReplaceSlashes(name), absent, seen);
    }
    AddAbsent(UninstallerPath(), absent, seen);
    return absent;
  }

  static bool IsEmptyFolder(const std::wstring& folder) {
    return PathIsDirectoryEmptyW(folder.c_str()) != FALSE;
  }

  // Adds `path` and its parents to `absent`, up to the first that exists or
  // was seen before.
  static void AddAbsent(const std::wstring& path, std::vector<std::wstring>& absent,
                        PathSet& seen) {
    for (std::wstring walk = path; !walk.empty() && !seen.Contains(walk);) {
      seen.Add(walk);
      if (GetFileAttributesW(walk.c_str()) != INVALID_FILE_ATTRIBUTES) break;
      absent.push_back(walk);
      const size_t slash = walk.find_last_of(L'\\');
      walk.resize(slash == std::wstring::npos ? 0 : slash);
    }
  }

  // A. The package config with the product it describes, and where the
  // payload archive lies in the package.
  bool ReadPackage() {
    return LoadPackageConfig(package_, setup_config_, &location_) &&
           ReadProduct(setup_config_, product_) &&
           LocatePayloadArchive(package_, location_.package_offset, location_.config_length,
                                archive_);
  }

  // B. The record of an earlier install of this product in the folder, and
  // the uninstaller's name.
  void FindEarlierInstall() {
    EarlierInstall earlier = ::FindEarlierInstall(folder_, product_.id);
    earlier_found_ = earlier.found;
    earlier_ = std::move(earlier.record);
    earlier_files_ = PathSet(earlier_.files);
    uninstaller_name_ = earlier.uninstaller_name;
  }

  // C. Extracts every entry.
  InstallResult ExtractEntries(unzFile zip) {
    unz_global_info64 global = {};
    if (unzGetGlobalInfo64(zip, &global) != UNZ_OK) return Failure(InstallError::kPackageDamaged);
    if (global.number_entry == 0) return InstallResult();
    int status = unzGoToFirstFile(zip);
    while (status == UNZ_OK) {
      InstallResult result = ExtractEntry(zip);
      if (!result) return result;
      status = unzGoToNextFile(zip);
    }
    // Anything but the end of the list means entries that were never reached.
    if (status != UNZ_END_OF_LIST_OF_FILE) return Failure(InstallError::kPackageDamaged);
    return InstallResult();
  }

  // The current entry's name (trimmed, "/" separators) and details; false
  // when they cannot be read or the name is not safe.
  bool CurrentEntry(unzFile zip, std::wstring& name, unz_file_info64& info) {
    char name_buffer[kEntryNameBufferSize] = {};
    if (unzGetCurrentFileInfo64(zip, &info, name_buffer, kEntryNameBufferSize, nullptr, 0, nullptr,
                                0) != UNZ_OK ||
        info.size_filename >= kEntryNameBufferSize) {
      return false;
    }
    name = TrimWhiteSpace(ToWide(pool_, name_buffer, CP_UTF8));
    return IsSafeEntryName(name);
  }

  InstallResult ExtractEntry(unzFile zip) {
    std::wstring name;
    unz_file_info64 info = {};
    if (!CurrentEntry(zip, name, info)) return Failure(InstallError::kPackageDamaged);
    if (name.back() == L'/') {
      name.pop_back();
      return ExtractFolder(name);
    }
    return ExtractFile(zip, name, info.uncompressed_size);
  }

  InstallResult ExtractFolder(const std::wstring& name) {
    return CreateFolders(folder_ + L"\\" + ReplaceSlashes(name));
  }

  InstallResult ExtractFile(unzFile zip, const std::wstring& name, uint64_t size) {
    std::wstring target = folder_ + L"\\" + ReplaceSlashes(name);
    std::wstring parent = target;
    PathRemoveFileSpecW(&parent[0]);
    parent.resize(wcslen(parent.c_str()));
    if (parent.size() != target.size()) {
      // Entries of one folder come together: its creation is checked once for all of them.
      if (parent != last_parent_) {
        InstallResult result = CreateFolders(parent);
        if (!result) return result;
        last_parent_ = parent;
      }
    }
    if (unzOpenCurrentFile(zip) != UNZ_OK) return Failure(InstallError::kPackageDamaged);
    UniqueHandle file;
    InstallResult result = OpenTarget(target, file);
    if (!result) {
      unzCloseCurrentFile(zip);
      return result;
    }
    files_.push_back(target);
    result = CopyEntryData(zip, file.get(), size, target);
    const bool closed = CloseHandle(file.release()) != 0;
    const DWORD close_error = closed ? ERROR_SUCCESS : GetLastError();
    // The CRC of the whole entry is checked here.
    const bool intact = unzCloseCurrentFile(zip) == UNZ_OK;
    if (!result) return result;
    if (!closed) return WriteFailure(close_error, target);
    if (!intact) return Failure(InstallError::kPackageDamaged);
    AfterDiskStep();
    return result;
  }

  // Copies the current entry's decompressed data to `file`, the new `target`.
  // A data error, or data that is not the size the entry states, means a
  // damaged package.
  InstallResult CopyEntryData(unzFile zip, HANDLE file, uint64_t size, const std::wstring& target) {
    // One buffer for every entry: a block this large is mapped and unmapped anew for each
    // allocation.
    if (!copy_buffer_) copy_buffer_.reset(new char[kCopyBufferSize]);
    char* buffer = copy_buffer_.get();
    uint64_t total = 0;
    int read;
    while ((read = unzReadCurrentFile(zip, buffer, kCopyBufferSize)) > 0) {
      const DWORD error = WriteAll(file, buffer, static_cast<DWORD>(read));
      if (error != ERROR_SUCCESS) return WriteFailure(error, target);
      total += static_cast<unsigned>(read);
    }
    if (read != 0 || total != size) return Failure(InstallError::kPackageDamaged);
    return InstallResult();
  }

  // Creates `folder` with its missing parents, recording them for a rollback;
  // never through a link below the install folder.
  InstallResult CreateFolders(const std::wstring& folder) {
    const std::wstring link = links_.FirstLink(folder);
    if (!link.empty()) return Failure(InstallError::kLinkInTheWay, link);
    std::wstring failed;
    const DWORD error = journal_.CreateFolders(folder, failed);
    if (error == ERROR_SUCCESS) return InstallResult();
    if (error == ERROR_FILE_EXISTS) return Failure(InstallError::kFileInTheWay, failed);
    return WriteFailure(error, failed);
  }

  // Creates `target` anew for writing, after FreeTarget.
  InstallResult OpenTarget(const std::wstring& target, UniqueHandle& file) {
    InstallResult result = FreeTarget(target);
    if (!result) return result;
    file.reset(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return WriteFailure(GetLastError(), target);
    journal_.AddWrittenFile(target);
    return result;
  }

  // Makes the place of the file `target` free for new content. An existing
  // file is moved aside, to be deleted when the installation has succeeded
  // or put back when it fails; when the program running from `target` holds
  // it, the user is first asked to let the setup end that program. A folder
  // in the way fails the installation: it is never moved or deleted.
  InstallResult FreeTarget(const std::wstring& target) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return InstallResult();
    if (links_.IsLink(target)) return Failure(InstallError::kLinkInTheWay, target);
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      return Failure(InstallError::kFolderInTheWay, target);
    }
    if (IsHeldForWriting(target) && IsProcessRunning(target)) {
      if (AskToEnd(target) != IDYES) return Failure(InstallError::kProgramNotClosed, target);
      TerminateProcessesByPath(target, kWaitAfterEndingMs);
    }
    // Only what an earlier install of this product wrote is replaced for good;
    // anything else waits under its backup name for the uninstall.
    const bool owned = earlier_files_.Contains(target) ||
                       (earlier_found_ && IsSamePath(target, UninstallerPathOf(earlier_)));
    std::wstring backup;
    const DWORD error = journal_.MoveAside(target, !owned, &backup);
    if (error != ERROR_SUCCESS) return WriteFailure(error, target);
    if (!owned) kept_.push_back({target, backup});
    return InstallResult();
  }

  int AskToEnd(const std::wstring& target) {
    std::wstring text = FillText(Texts().in_use_question, PathFindFileNameW(target.c_str()));
    return sink_.Ask(text, Texts().in_use_caption, MB_YESNO | MB_ICONQUESTION);
  }

  // E. The uninstaller copy with the record of this run; it replaces an
  // older copy as the payload's files replace theirs.
  InstallResult WriteUninstaller() {
    JsonValue config(JsonKind::Object);
    WriteInstallRecord(NewRecord(), config);
    config["mode"] = 0;
    config["setup"]["shortcut"] = setup_config_["shortcut"];
    // The uninstaller removes the entry from the Uninstall key this run registers under; without
    // the member, the machine's, as for every uninstaller written before per-user installs.
    if (Scope() == InstallScope::kUser) WritePackageScope(PackageScope::kUser, config);
    // The uninstall removes the shortcuts from the folders this run put them in.
    WriteShortcutPlace(ShortcutPlaceInUse(), config);
    // The uninstaller speaks of the same product, in the same skin.
    for (const char* member : {kProductMember, kSkinMember}) {
      if (setup_config_.hasMember(member)) config[member] = setup_config_[member];
    }
    const std::wstring target = UninstallerPath();
    InstallResult result = FreeTarget(target);
    if (!result) return result;
    // Recorded first, so that a partly written copy goes with a rollback.
    journal_.AddWrittenFile(target);
    DWORD error = ERROR_SUCCESS;
    if (WriteUninstallerCopyFile(package_, location_.package_offset, config, target, &error)) {
      AfterDiskStep();
      // An uninstaller that cannot read its own record could never remove the product.
      return ReadsBack(target) ? result : Failure(InstallError::kPackageDamaged);
    }
    if (error == ERROR_SUCCESS) return Failure(InstallError::kPackageDamaged);
    return WriteFailure(error, target);
  }

  bool ReadsBack(const std::wstring& uninstaller) {
    JsonValue config;
    if (!LoadPackageConfig(uninstaller, config)) return false;
    const InstallRecord record = ReadInstallRecord(config);
    return IsSamePath(record.folder, folder_) && record.files.size() == files_.size() &&
           record.outside.empty();
  }

  // What the uninstall removes: the files written now; the folders made now
  // and those of the earlier install; the originals kept now, and those the
  // earlier install kept whose place the product still takes.
  InstallRecord NewRecord() const {
    InstallRecord record;
    record.folder = folder_;
    record.files = files_;
    record.folders = journal_.created_folders();
    record.uninstaller_name = uninstaller_name_;
    record.kept = kept_;
    const PathSet written(files_);
    const PathSet made(record.folders);
    for (const std::wstring& folder : earlier_.folders) {
      if (!made.Contains(folder)) record.folders.push_back(folder);
    }
    for (const KeptFile& kept : earlier_.kept) {
      if (written.Contains(kept.file)) record.kept.push_back(kept);
    }
    return record;
  }

  // After a successful upgrade: the earlier install's files that the new
  // package no longer has are moved aside, to go with the commit as its
  // uninstall would remove them; an original it kept in the place of such a
  // file comes back.
  void MoveEarlierLeftoversAside() {
    if (!earlier_found_) return;
    const PathSet written(files_);
    for (const std::wstring& file : earlier_.files) {
      if (written.Contains(file) || !links_.FirstLink(file).empty()) continue;
      if (GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES) journal_.MoveAside(file);
    }
    for (const KeptFile& kept : earlier_.kept) {
      if (written.Contains(kept.file)) continue;
      if (journal_.Note({JournalKind::kKeptRestored,
                         {PathField(kept.file), PathField(kept.backup)}}) != ERROR_SUCCESS) {
        continue;
      }
      if (MoveFileExW(kept.backup.c_str(), kept.file.c_str(), 0)) AfterDiskStep();
    }
  }

  // The run succeeded: the originals replaced for good go, then the earlier
  // install's folders that are empty now, deepest first, then the journal.
  void Commit() {
    JournalRecord prune{JournalKind::kFoldersToPrune, {}};
    for (const std::wstring& folder : earlier_.folders) prune.fields.push_back(PathField(folder));
    journal_.Note(prune);
    journal_.Commit();
    RemoveEmptyFolders(earlier_.folders);
    journal_.Finish();
  }

  // Frees the place of the link file `link` with an undo record: a link
  // already there is moved aside, a new one is recorded. False when that
  // cannot be recorded: the link is then left as it is.
  bool PrepareLink(const std::wstring& link) {
    if (link.empty()) return false;
    if (GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES) {
      return journal_.MoveAside(link) == ERROR_SUCCESS;
    }
    return journal_.WillCreateFile(link) == ERROR_SUCCESS;
  }

  // D. Desktop, Quick Launch (with taskbar pin) and start-menu shortcuts.
  void CreateShortcuts() {
    const JsonValue& shortcuts = setup_config_["shortcut"];
    if (sink_.DesktopOption()) {
      Report(70, Texts().desktop_step);
      ForEachShortcut(shortcuts["desktop"],
                      [this](const std::wstring& name, const std::wstring& target) {
                        if (!PrepareLink(DesktopLinkPath(name))) return;
                        CreateDesktopShortcut(name, target);
                        AfterDiskStep();
                      });
    }
    sink_.SetProgressPosition(80);
    if (sink_.TaskbarOption()) {
      sink_.SetStepText(FormatLong(Texts().taskbar_step, 80));
      ForEachShortcut(shortcuts["taskbar"],
                      [this](const std::wstring& name, const std::wstring& target) {
                        CreateTaskbarShortcut(name, target);
                      });
    }
    sink_.SetProgressPosition(90);
    if (sink_.StartMenuOption()) {
      sink_.SetStepText(FormatLong(Texts().start_menu_step, 90));
      CreateStartMenuShortcut(shortcuts["desktop"]);
    }
  }

  // Calls `create(name, target)` for each entry of a shortcut list whose name
  // is not empty and whose target exists.
  template <typename Create>
  void ForEachShortcut(const JsonValue& value, Create create) {
    const JsonValue& list = ConfigList(value);
    for (size_t i = 0; i < list.size(); ++i) {
      const JsonValue& entry = list[i];
      std::wstring name = Wide(entry["name"].toCString());
      std::wstring target = ShortcutTarget(entry);
      if (!name.empty() && PathFileExistsW(target.c_str())) create(name, target);
    }
  }

  // The Quick Launch link, pinned to the taskbar. Only a new link's pin is
  // recorded for undoing: an earlier install's link was pinned already.
  void CreateTaskbarShortcut(const std::wstring& name, const std::wstring& target) {
    const std::wstring link = QuickLaunchLinkPath(name);
    const bool fresh = GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES;
    if (!PrepareLink(link)) return;
    CreateQuickLaunchShortcut(name, target);
    AfterDiskStep();
    if (!IsVistaOrLater()) return;
    if (fresh && journal_.Note({JournalKind::kPinned, {PathField(name)}}) != ERROR_SUCCESS) return;
    PinQuickLaunchShortcut(name);
    AfterDiskStep();
  }

  std::wstring ShortcutTarget(const JsonValue& entry) {
    return ReplaceSlashes(folder_ + L"\\" + Wide(entry["file"].toCString()));
  }

  // The start-menu link points to the file of the desktop list's last entry.
  void CreateStartMenuShortcut(const JsonValue& desktop_value) {
    const JsonValue& desktop = ConfigList(desktop_value);
    const std::wstring programs = GetStartMenuProgramsFolder();
    if (programs.empty()) return;
    std::wstring target = ReplaceSlashes(folder_ + L"\\");
    if (desktop.size() > 0) target = ShortcutTarget(desktop[desktop.size() - 1]);
    const std::wstring product_folder = programs + L"\\" + product_.name;
    std::wstring failed;
    if (journal_.CreateFolders(product_folder, failed) != ERROR_SUCCESS) return;
    const std::wstring link = product_folder + L"\\" + product_.name + L".lnk";
    if (!PrepareLink(link)) return;
    ScopedComInit com;
    CreateDescribedShortcut(target, product_.name, link);
    AfterDiskStep();
  }

  // F. The product's entry under the Uninstall key; skipped without rights.
  // What the entry held before is recorded first, for a recovery to put back.
  void Register() {
    if (journal_.Note(SnapshotUninstallEntry(product_.id, Scope())) != ERROR_SUCCESS) return;
    RegKey key;
    if (OpenUninstallKey(product_.id, key, Scope()) != ERROR_SUCCESS) return;
    const std::wstring uninstaller = UninstallerPath();
    SetStringValue(key.get(), L"DisplayName", product_.name);
    SetStringValue(key.get(), L"DisplayIcon", uninstaller);
    if (!product_.help_link.empty()) SetStringValue(key.get(), L"HelpLink", product_.help_link);
    // Quoted: the path may hold blanks.
    SetStringValue(key.get(), L"UninstallString", L"\"" + uninstaller + L"\"");
    // What deployment tools run to uninstall without a window.
    SetStringValue(key.get(), L"QuietUninstallString", L"\"" + uninstaller + L"\" /S");
    if (!product_.publisher.empty()) SetStringValue(key.get(), L"Publisher", product_.publisher);
    WriteAppsEntryDetails(key.get(), AppsEntry(uninstaller));
    CloseUninstallKey(key);
    AfterDiskStep();
  }

  // The version the package names (none in packages made without one), the install folder, the
  // bytes of every file written (the uninstaller copy included) and today's date.
  AppsEntryDetails AppsEntry(const std::wstring& uninstaller) {
    AppsEntryDetails details;
    const JsonValue& config = setup_config_;
    details.version = Wide(config["version"].toCString());
    details.install_folder = folder_;
    std::vector<std::wstring> installed = files_;
    installed.push_back(uninstaller);
    details.installed_bytes = SizeOfFiles(installed);
    GetLocalTime(&details.install_date);
    return details;
  }

  std::wstring UninstallerPath() const { return folder_ + L"\\" + uninstaller_name_; }

  // The package's scope, or the sink's choice when the package offers both.
  InstallScope Scope() const {
    return product_.scope == PackageScope::kBoth ? sink_.Scope()
                                                 : DefaultInstallScope(product_.scope);
  }

  std::wstring Wide(const char* utf8) { return ToWide(pool_, utf8, CP_UTF8); }

  const EngineTexts& Texts() const { return EngineTextsFor(product_.language); }

  void Report(int position, const wchar_t* format) {
    sink_.SetStepText(FormatLong(format, position));
    sink_.SetProgressPosition(position);
  }

  const PackageFile package_;
  ProgressSink& sink_;
  const std::wstring folder_;
  ScratchPool pool_;
  JsonValue setup_config_;
  Product product_ = DefaultProduct();
  PackageLocation location_;
  ArchiveRange archive_;
  std::vector<std::wstring> files_;  // targets written, in archive order
  std::vector<KeptFile> kept_;       // files in the way that no install of the product wrote
  InstallRecord earlier_;            // the earlier install's record; empty without one
  PathSet earlier_files_;
  bool earlier_found_ = false;
  std::wstring uninstaller_name_ = kUninstallerFileName;
  LinkCheck links_;
  JournalFile disk_;  // the journal on disk; closed without administrator rights
  InstallJournal journal_;
  std::wstring last_parent_;  // the folder of the last file, known to exist
  std::unique_ptr<char[]> copy_buffer_;
  uint64_t needed_bytes_ = 0;  // CheckFreeSpace's figure; 0 when the volume did not answer
};

}  // namespace

InstallResult RunInstall(ProgressSink& sink) {
  return RunInstallFromPackage(GetModulePath(), sink);
}

InstallResult RunInstallFromPackage(const PackageFile& package, ProgressSink& sink) {
  return InstallRun(package, sink).Run();
}
