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
#include "setup/journal_recovery.h"
#include "setup/language.h"
#include "setup/link_check.h"
#include "setup/number_text.h"
#include "setup/os_version.h"
#include "setup/package_layout.h"
#include "setup/paths.h"
#include "setup/payload_reader.h"
#include "setup/processes.h"
#include "setup/product.h"
#include "setup/product_identity.h"
#include "setup/record_file.h"
#include "setup/same_path.h"
#include "setup/scratch_pool.h"
#include "setup/shell_links.h"
#include "setup/text_convert.h"
#include "setup/uninstall_key.h"
#include "setup/uninstaller_image.h"
#include "setup/volume_space.h"
#include "setup/win_handles.h"
#include "setup/write_behind.h"

namespace {

// Room for an entry name of up to 1023 bytes and its terminating zero.
constexpr unsigned kEntryNameBufferSize = 1024;
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
    // Until the commit a failure, or an interruption at the next start, is
    // undone from the journal's records, registration and shortcuts
    // included.
    result = FinishSteps();
    if (!result) {
      result.unrestored = UndoJournalRecords(product_.id, Scope(), journal_.records());
      // What could not be put back is tried again at the next start.
      if (result.unrestored.empty()) journal_.Finish();
      return result;
    }
    Commit();
    sink_.SetLaunchPath(folder_ + L"\\" + Wide(setup_config_["lastrun"].toCString()));
    SendMessageTimeoutW(sink_.WindowHandle(), kInstallFinishedMessage, 0, 0, SMTO_BLOCK, 0,
                        nullptr);
    return result;
  }

 private:
  // The steps after the files: the upgrade's clean-up, shortcuts and
  // registration. Each failure fails the installation.
  InstallResult FinishSteps() {
    InstallResult result = MoveEarlierLeftoversAside();
    if (!result) return result;
    sink_.SetProgressPosition(70);
    result = CreateShortcuts();
    return result ? Register() : result;
  }

  // The payload's files and the uninstaller copy.
  InstallResult WriteFiles() {
    if (!ReadPackage()) return Failure(InstallError::kPackageDamaged);
    FindEarlierInstall();
    Report(10, Texts().copying_step);
    UnzipArchive zip = OpenArchiveInFile(package_, archive_.offset, archive_.length);
    if (!zip) return Failure(InstallError::kPackageDamaged);
    InstallResult result = CheckFreeSpace(zip.get());
    if (result) result = BeginJournal(zip.get());
    if (result) result = ExtractEntries(zip.get());
    if (result) result = SetLinksAside();
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

  // The journal on disk, begun with the names of the files and folders that
  // the run may create and that do not exist now. Without rights to its
  // folder (no administrator) the run is undone in memory only.
  InstallResult BeginJournal(unzFile zip) {
    if (disk_.Create(product_.id, Scope()) == ERROR_SUCCESS) journal_.set_disk(&disk_);
    const RunNames names = AbsentNames(zip);
    const DWORD error = journal_.Begin(folder_, names.files, names.folders);
    if (error == ERROR_SUCCESS) return InstallResult();
    journal_.set_disk(nullptr);
    disk_.Remove();
    return WriteFailure(error, JournalFolderOf(product_.id, Scope()));
  }

  struct RunNames {
    std::vector<std::wstring> files;
    std::vector<std::wstring> folders;
  };

  // The install folder with its missing parents, every entry's target with
  // its missing folders, and the uninstaller copy (with a signed one's record
  // file): those that do not exist.
  // In a folder that is not there or is empty nothing below it exists: no
  // entry's target is looked at. Entries that fail the extraction's checks
  // are passed over here.
  RunNames AbsentNames(unzFile zip) {
    RunNames names;
    PathSet seen;
    const DWORD attributes = GetFileAttributesW(folder_.c_str());
    const bool look = attributes != INVALID_FILE_ATTRIBUTES &&
                      !((attributes & FILE_ATTRIBUTE_DIRECTORY) && IsEmptyFolder(folder_));
    AddAbsent(folder_, true, true, names, seen);
    for (int status = unzGoToFirstFile(zip); status == UNZ_OK; status = unzGoToNextFile(zip)) {
      std::wstring name;
      unz_file_info64 info = {};
      if (!CurrentEntry(zip, name, info)) continue;
      const bool folder = name.back() == L'/';
      if (folder) name.pop_back();
      AddAbsent(folder_ + L"\\" + ReplaceSlashes(name), folder, look, names, seen);
    }
    AddAbsent(UninstallerPath(), false, look, names, seen);
    if (!signed_image_.empty()) {
      AddAbsent(RecordPathBeside(UninstallerPath()), false, look, names, seen);
    }
    return names;
  }

  static bool IsEmptyFolder(const std::wstring& folder) {
    return PathIsDirectoryEmptyW(folder.c_str()) != FALSE;
  }

  // Adds `path` (a folder when `folder`) and its parents to `names`, up to
  // the first that was seen before or, when `look`, that exists.
  static void AddAbsent(const std::wstring& path, bool folder, bool look, RunNames& names,
                        PathSet& seen) {
    for (std::wstring walk = path; !walk.empty() && !seen.Contains(walk); folder = true) {
      seen.Add(walk);
      if (look && GetFileAttributesW(walk.c_str()) != INVALID_FILE_ATTRIBUTES) break;
      (folder ? names.folders : names.files).push_back(walk);
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
                                archive_) &&
           (!setup_config_.hasMember(kSignedUninstallerMember) ||
            SignedUninstallerImage(setup_config_, signed_image_));
  }

  // B. The record of an earlier install of this product in the folder, and
  // the uninstaller's name.
  void FindEarlierInstall() {
    EarlierInstall earlier = ::FindEarlierInstall(folder_, product_.id);
    earlier_found_ = earlier.found;
    earlier_ = std::move(earlier.record);
    earlier_files_ = PathSet(earlier_.files);
    uninstaller_name_ = earlier.uninstaller_name;
    // Asked now: the earlier uninstaller is moved aside before its record.
    if (earlier_found_ && KeepsRecordBeside(UninstallerPathOf(earlier_))) {
      earlier_record_file_ = RecordPathBeside(UninstallerPathOf(earlier_));
    }
  }

  // C. Extracts every entry.
  InstallResult ExtractEntries(unzFile zip) {
    unz_global_info64 global = {};
    if (unzGetGlobalInfo64(zip, &global) != UNZ_OK) return Failure(InstallError::kPackageDamaged);
    if (global.number_entry == 0) return InstallResult();
    InstallResult result;
    int status = unzGoToFirstFile(zip);
    while (status == UNZ_OK && (result = ExtractEntry(zip))) status = unzGoToNextFile(zip);
    // Every file handed to the writer is written and closed before anything else happens,
    // a rollback included.
    size_t failed = 0;
    const DWORD error = writer_.Finish(failed);
    if (!result) return result;
    if (error != ERROR_SUCCESS) return WriteFailure(error, files_[failed]);
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
    const size_t tag = files_.size() - 1;
    const bool whole = CopyEntryData(zip, file.get(), size, tag);
    writer_.Close(file.release(), tag);
    // The CRC of the whole entry is checked here.
    const bool intact = unzCloseCurrentFile(zip) == UNZ_OK;
    if (!whole || !intact) return Failure(InstallError::kPackageDamaged);
    // A write that failed (a full disk, say) stops the run at the next file.
    size_t failed = 0;
    const DWORD error = writer_.Error(failed);
    if (error != ERROR_SUCCESS) return WriteFailure(error, files_[failed]);
    AfterDiskStep();
    return result;
  }

  // Hands the current entry's decompressed data to the writer for `file`, whose tag is `tag`.
  // False on a data error, or data that is not the size the entry states: a damaged package.
  bool CopyEntryData(unzFile zip, HANDLE file, uint64_t size, size_t tag) {
    uint64_t total = 0;
    int read;
    for (;;) {
      DWORD space = 0;
      char* buffer = writer_.Space(space);
      if ((read = unzReadCurrentFile(zip, buffer, space)) <= 0) break;
      writer_.Write(file, static_cast<DWORD>(read), tag);
      total += static_cast<unsigned>(read);
    }
    return read == 0 && total == size;
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

  // Creates `target` anew for writing. Most targets are new, so the
  // creation is the first look at the name; a name that is taken goes
  // through FreeTarget first. The creation never follows a link at the name
  // (a link there is a taken name), so it never writes elsewhere.
  InstallResult OpenTarget(const std::wstring& target, UniqueHandle& file) {
    if (CreateNewTarget(target, file)) return InstallResult();
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS &&
        error != ERROR_ACCESS_DENIED) {
      return WriteFailure(error, target);
    }
    InstallResult result = FreeTarget(target);
    if (!result) return result;
    if (!CreateNewTarget(target, file)) return WriteFailure(GetLastError(), target);
    return result;
  }

  bool CreateNewTarget(const std::wstring& target, UniqueHandle& file) {
    file.reset(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return false;
    journal_.AddWrittenFile(target);
    return true;
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
                       (earlier_found_ && IsSamePath(target, UninstallerPathOf(earlier_))) ||
                       IsEarlierRecordFile(target);
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
    KeepChosenLanguage(setup_config_, product_.language.tag(), config);
    const std::wstring target = UninstallerPath();
    InstallResult result = FreeTarget(target);
    if (result) result = FreeRecordFile();
    if (!result) return result;
    // Recorded first, so that a partly written copy goes with a rollback.
    journal_.AddWrittenFile(target);
    if (!signed_image_.empty()) return WriteSignedUninstaller(config);
    DWORD error = ERROR_SUCCESS;
    if (WriteUninstallerCopyFile(package_, location_.package_offset, config, target, &error)) {
      AfterDiskStep();
      // An uninstaller that cannot read its own record could never remove the product.
      return ReadsBack(target) ? result : Failure(InstallError::kPackageDamaged);
    }
    if (error == ERROR_SUCCESS) return Failure(InstallError::kPackageDamaged);
    return WriteFailure(error, target);
  }

  // The signed uninstaller image as the package carries it, and the record in the file beside it.
  InstallResult WriteSignedUninstaller(JsonValue& config) {
    const std::wstring target = UninstallerPath();
    const std::wstring record = RecordPathBeside(target);
    config[kRecordMember] = JsonValue(kRecordBeside);
    journal_.AddWrittenFile(record);
    DWORD error = WriteRecordFile(record, config);
    if (error == ERROR_SUCCESS) {
      AfterDiskStep();
      error = WriteCheckedFile(target, signed_image_);
    }
    if (error == ERROR_INVALID_DATA) return Failure(InstallError::kCannotWrite, record);
    if (error != ERROR_SUCCESS) return WriteFailure(error, target);
    AfterDiskStep();
    return ReadsBack(target) ? InstallResult() : Failure(InstallError::kPackageDamaged);
  }

  // Frees the place of the record file beside the uninstaller: the earlier
  // signed uninstaller's record goes with it (as FreeTarget moves files
  // aside). Another file of that name is no part of the product: it stays,
  // and an install that needs the place for its record fails.
  InstallResult FreeRecordFile() {
    const std::wstring record = RecordPathBeside(UninstallerPath());
    if (GetFileAttributesW(record.c_str()) == INVALID_FILE_ATTRIBUTES) return InstallResult();
    if (IsEarlierRecordFile(record)) return FreeTarget(record);
    if (signed_image_.empty()) return InstallResult();
    return Failure(InstallError::kCannotWrite, record);
  }

  // True when `path` is the record file of the earlier install's signed uninstaller.
  bool IsEarlierRecordFile(const std::wstring& path) const {
    return !earlier_record_file_.empty() && IsSamePath(path, earlier_record_file_);
  }

  bool ReadsBack(const std::wstring& uninstaller) {
    JsonValue config;
    if (!LoadPackageConfig(uninstaller, config)) return false;
    const InstallRecord record = ReadInstallRecord(config);
    return IsSamePath(record.folder, folder_) && record.files.size() == files_.size() &&
           record.outside.empty();
  }

  // The link files the shortcuts step writes, in order: the desktop's and
  // Quick Launch's (each entry with a name and an existing target) and the
  // start menu's, as the sink's options choose them.
  std::vector<std::wstring> PlannedLinks() {
    std::vector<std::wstring> links;
    const JsonValue& shortcuts = setup_config_["shortcut"];
    auto add = [&links](const std::wstring& link) {
      if (!link.empty()) links.push_back(link);
      return InstallResult();
    };
    if (sink_.DesktopOption()) {
      ForEachShortcut(shortcuts["desktop"], [&](const std::wstring& name, const std::wstring&) {
        return add(DesktopLinkPath(name));
      });
    }
    if (sink_.TaskbarOption()) {
      ForEachShortcut(shortcuts["taskbar"], [&](const std::wstring& name, const std::wstring&) {
        return add(QuickLaunchLinkPath(name));
      });
    }
    if (sink_.StartMenuOption()) add(StartMenuLinkPath());
    return links;
  }

  // The product's start-menu folder; empty when the programs folder is unknown.
  std::wstring StartMenuFolder() const {
    const std::wstring programs = GetStartMenuProgramsFolder();
    return programs.empty() ? programs : programs + L"\\" + product_.name;
  }

  std::wstring StartMenuLinkPath() const {
    const std::wstring folder = StartMenuFolder();
    return folder.empty() ? folder : folder + L"\\" + product_.name + L".lnk";
  }

  // Before the uninstaller's record is written: every link already where
  // the run writes one is moved aside. A link an earlier install of the
  // product wrote is replaced for good; any other (the user's own) is kept
  // under its backup name, for the uninstall to put back.
  InstallResult SetLinksAside() {
    const PathSet earlier_links(earlier_.links);
    const std::wstring start_menu = StartMenuFolder();
    if (sink_.StartMenuOption() && !start_menu.empty() &&
        GetFileAttributesW(start_menu.c_str()) == INVALID_FILE_ATTRIBUTES) {
      start_menu_made_ = start_menu;
    }
    for (const std::wstring& link : PlannedLinks()) {
      if (GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
      const bool owned =
          earlier_found_ && (!earlier_.links_recorded || earlier_links.Contains(link));
      std::wstring backup;
      const DWORD error = journal_.MoveAside(link, !owned, &backup);
      if (error != ERROR_SUCCESS) return WriteFailure(error, link);
      if (owned) {
        replaced_links_.Add(link);
      } else {
        kept_links_.push_back({link, backup});
      }
    }
    return InstallResult();
  }

  // What the uninstall removes: the files written now; the folders made now
  // and those of the earlier install; the originals kept now, and those the
  // earlier install kept whose place the product still takes; the links
  // written now and those of the earlier install, and the user's links kept
  // by either.
  InstallRecord NewRecord() {
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
    record.links_recorded = true;
    record.links = PlannedLinks();
    const PathSet planned(record.links);
    for (const std::wstring& link : earlier_.links) {
      if (!planned.Contains(link)) record.links.push_back(link);
    }
    record.kept_links = kept_links_;
    record.kept_links.insert(record.kept_links.end(), earlier_.kept_links.begin(),
                             earlier_.kept_links.end());
    record.start_menu_folder =
        start_menu_made_.empty() ? earlier_.start_menu_folder : start_menu_made_;
    return record;
  }

  // After a successful upgrade: the earlier install's files that the new
  // package no longer has are moved aside, to go with the commit as its
  // uninstall would remove them; an original it kept in the place of such a
  // file comes back. A file that cannot be moved, or an original that cannot
  // come back, fails the run: the new record would name neither.
  InstallResult MoveEarlierLeftoversAside() {
    if (!earlier_found_) return InstallResult();
    const PathSet written(files_);
    for (const std::wstring& file : earlier_.files) {
      if (written.Contains(file) || !links_.FirstLink(file).empty()) continue;
      if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
      const DWORD error = journal_.MoveAside(file);
      if (error != ERROR_SUCCESS) return WriteFailure(error, file);
    }
    for (const KeptFile& kept : earlier_.kept) {
      if (written.Contains(kept.file)) continue;
      const DWORD error = journal_.Note(
          {JournalKind::kKeptRestored, {PathField(kept.file), PathField(kept.backup)}});
      if (error != ERROR_SUCCESS) return WriteFailure(error, JournalFolderOf(product_.id, Scope()));
      if (!MoveFileExW(kept.backup.c_str(), kept.file.c_str(), 0)) {
        return WriteFailure(GetLastError(), kept.file);
      }
      AfterDiskStep();
    }
    return InstallResult();
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

  // Records the link file `link` as the run's before it is written (what
  // was there was set aside, SetLinksAside).
  InstallResult PrepareLink(const std::wstring& link) {
    if (link.empty()) return Failure(InstallError::kCannotWrite, link);
    if (GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES) {
      return Failure(InstallError::kFileInTheWay, link);
    }
    const DWORD error = journal_.WillCreateFile(link);
    return error == ERROR_SUCCESS ? InstallResult() : WriteFailure(error, link);
  }

  // A link written by `create` (true when saved) at `link`, after
  // PrepareLink.
  // A link this run wrote already (a name given twice) is written again.
  template <typename Create>
  InstallResult WriteLink(const std::wstring& link, Create create) {
    InstallResult result = links_written_.Contains(link) ? InstallResult() : PrepareLink(link);
    if (!result) return result;
    if (!create()) return Failure(InstallError::kCannotWrite, link);
    links_written_.Add(link);
    AfterDiskStep();
    return result;
  }

  // D. Desktop, Quick Launch (with taskbar pin) and start-menu shortcuts.
  InstallResult CreateShortcuts() {
    const JsonValue& shortcuts = setup_config_["shortcut"];
    InstallResult result;
    if (sink_.DesktopOption()) {
      Report(70, Texts().desktop_step);
      result = ForEachShortcut(
          shortcuts["desktop"], [this](const std::wstring& name, const std::wstring& target) {
            return WriteLink(DesktopLinkPath(name),
                             [&] { return CreateDesktopShortcut(name, target); });
          });
      if (!result) return result;
    }
    sink_.SetProgressPosition(80);
    if (sink_.TaskbarOption()) {
      sink_.SetStepText(FormatLong(Texts().taskbar_step, 80));
      result = ForEachShortcut(shortcuts["taskbar"],
                               [this](const std::wstring& name, const std::wstring& target) {
                                 return CreateTaskbarShortcut(name, target);
                               });
      if (!result) return result;
    }
    sink_.SetProgressPosition(90);
    if (sink_.StartMenuOption()) {
      sink_.SetStepText(FormatLong(Texts().start_menu_step, 90));
      result = CreateStartMenuShortcut(shortcuts["desktop"]);
    }
    return result;
  }

  // Calls `create(name, target)` for each entry of a shortcut list whose name
  // is not empty and whose target exists, up to the first failure.
  template <typename Create>
  InstallResult ForEachShortcut(const JsonValue& value, Create create) {
    const JsonValue& list = ConfigList(value);
    for (size_t i = 0; i < list.size(); ++i) {
      const JsonValue& entry = list[i];
      std::wstring name = Wide(entry["name"].toCString());
      std::wstring target = ShortcutTarget(entry);
      if (name.empty() || !PathFileExistsW(target.c_str())) continue;
      InstallResult result = create(name, target);
      if (!result) return result;
    }
    return InstallResult();
  }

  // The Quick Launch link, pinned to the taskbar. Only a new link's pin is
  // recorded for undoing: an earlier install's link was pinned already. The
  // pin's own result is not looked at: shells that no longer offer the verb
  // refuse it.
  InstallResult CreateTaskbarShortcut(const std::wstring& name, const std::wstring& target) {
    const std::wstring link = QuickLaunchLinkPath(name);
    const bool fresh = !replaced_links_.Contains(link);
    InstallResult result = WriteLink(link, [&] { return CreateQuickLaunchShortcut(name, target); });
    if (!result || !IsVistaOrLater()) return result;
    if (fresh) {
      const DWORD error = journal_.Note({JournalKind::kPinned, {PathField(name)}});
      if (error != ERROR_SUCCESS) return WriteFailure(error, JournalFolderOf(product_.id, Scope()));
    }
    PinQuickLaunchShortcut(name);
    AfterDiskStep();
    return result;
  }

  std::wstring ShortcutTarget(const JsonValue& entry) {
    return ReplaceSlashes(folder_ + L"\\" + Wide(entry["file"].toCString()));
  }

  // The start-menu link points to the file of the desktop list's last entry.
  // Without a known start-menu folder there is none.
  InstallResult CreateStartMenuShortcut(const JsonValue& desktop_value) {
    const JsonValue& desktop = ConfigList(desktop_value);
    const std::wstring product_folder = StartMenuFolder();
    if (product_folder.empty()) return InstallResult();
    std::wstring target = ReplaceSlashes(folder_ + L"\\");
    if (desktop.size() > 0) target = ShortcutTarget(desktop[desktop.size() - 1]);
    std::wstring failed;
    const DWORD error = journal_.CreateFolders(product_folder, failed);
    if (error != ERROR_SUCCESS) return WriteFailure(error, failed);
    const std::wstring link = StartMenuLinkPath();
    return WriteLink(link, [&] {
      ScopedComInit com;
      return CreateDescribedShortcut(target, product_.name, link);
    });
  }

  // F. The product's entry under the Uninstall key. What the entry held
  // before is recorded first, for a rollback or recovery to put back. A key
  // or value that cannot be written fails the run (kCannotWrite, the key's
  // full name).
  InstallResult Register() {
    const DWORD noted = journal_.Note(SnapshotUninstallEntry(product_.id, Scope()));
    if (noted != ERROR_SUCCESS) return WriteFailure(noted, JournalFolderOf(product_.id, Scope()));
    RegKey key;
    LONG error = OpenUninstallKey(product_.id, key, Scope());
    if (error == ERROR_SUCCESS) error = WriteEntryValues(key.get());
    const LONG closed = CloseUninstallKey(key);
    if (error == ERROR_SUCCESS) error = closed;
    AfterDiskStep();
    if (error == ERROR_SUCCESS) return InstallResult();
    return Failure(InstallError::kCannotWrite, EntryKeyName());
  }

  // Every value of the entry; the error of the first write that failed.
  LONG WriteEntryValues(HKEY key) {
    const std::wstring uninstaller = UninstallerPath();
    std::vector<std::pair<const wchar_t*, std::wstring>> values = {
        {L"DisplayName", product_.name},
        {L"DisplayIcon", uninstaller},
        {L"HelpLink", product_.help_link},
        // Quoted: the path may hold blanks.
        {L"UninstallString", L"\"" + uninstaller + L"\""},
        // What deployment tools run to uninstall without a window.
        {L"QuietUninstallString", L"\"" + uninstaller + L"\" /S"},
        {L"Publisher", product_.publisher}};
    for (const auto& value : values) {
      if (value.second.empty()) continue;
      const LONG error = SetUninstallString(key, value.first, value.second);
      if (error != ERROR_SUCCESS) return error;
    }
    return WriteAppsEntryDetails(key, AppsEntry(uninstaller));
  }

  // The entry's key as a person finds it in the registry editor.
  std::wstring EntryKeyName() const {
    return std::wstring(Scope() == InstallScope::kUser ? L"HKEY_CURRENT_USER\\"
                                                       : L"HKEY_LOCAL_MACHINE\\") +
           UninstallKeyPath(product_.id);
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

  EngineTexts Texts() const { return EngineTextsFor(product_.language); }

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
  std::vector<std::wstring> files_;   // targets written, in archive order
  std::vector<KeptFile> kept_;        // files in the way that no install of the product wrote
  std::vector<KeptFile> kept_links_;  // links in the way that no install of the product wrote
  PathSet replaced_links_;            // an earlier install's links, replaced for good
  PathSet links_written_;             // the links this run wrote
  std::wstring start_menu_made_;      // the start-menu folder when the run makes it
  InstallRecord earlier_;             // the earlier install's record; empty without one
  PathSet earlier_files_;
  bool earlier_found_ = false;
  std::wstring uninstaller_name_ = kUninstallerFileName;
  std::string signed_image_;  // the package's signed uninstaller; empty: the setup's own image
  std::wstring earlier_record_file_;  // the earlier signed uninstaller's record file, or empty
  LinkCheck links_;
  JournalFile disk_;  // the journal on disk; closed without administrator rights
  InstallJournal journal_;
  std::wstring last_parent_;  // the folder of the last file, known to exist
  // Writes and closes the payload's files behind the extraction; idle after ExtractEntries.
  WriteBehind writer_;
  uint64_t needed_bytes_ = 0;  // CheckFreeSpace's figure; 0 when the volume did not answer
};

}  // namespace

InstallResult RunInstall(ProgressSink& sink) {
  return RunInstallFromPackage(GetModulePath(), sink);
}

InstallResult RunInstallFromPackage(const PackageFile& package, ProgressSink& sink) {
  return InstallRun(package, sink).Run();
}
