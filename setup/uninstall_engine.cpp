#include "setup/uninstall_engine.h"

#include <shlobj.h>
#include <shlwapi.h>
#include <windows.h>

#include <string>
#include <vector>

#include "json/json_value.h"
#include "json/json_writer.h"
#include "setup/config_lists.h"
#include "setup/engine_texts.h"
#include "setup/file_utils.h"
#include "setup/install_record.h"
#include "setup/journal_file.h"
#include "setup/link_check.h"
#include "setup/number_text.h"
#include "setup/os_version.h"
#include "setup/package_layout.h"
#include "setup/paths.h"
#include "setup/processes.h"
#include "setup/product.h"
#include "setup/record_file.h"
#include "setup/same_path.h"
#include "setup/scratch_pool.h"
#include "setup/shell_links.h"
#include "setup/text_convert.h"
#include "setup/uninstall_key.h"
#include "setup/uninstaller_image.h"
#include "setup/win_handles.h"

namespace {

// Longest time given to ended processes to go away and release their files.
constexpr DWORD kWaitAfterEndingMs = 5000;
constexpr long kDeletingStepPercent = 90;

class UninstallRun {
 public:
  // `config`: the package config, already read (null: read through `package`).
  UninstallRun(const PackageFile& package, ProgressSink& sink, const JsonValue* config = nullptr)
      : package_(package), sink_(sink), preloaded_(config) {}

  UninstallResult Run() {
    UninstallResult result;
    if (preloaded_) {
      config_ = *preloaded_;
    } else if (!LoadPackageConfig(package_, config_)) {
      return result;
    }
    if (!ReadProduct(config_, product_)) return result;
    // The shortcuts are removed from the folders the install put them in.
    UseShortcutPlace(product_.shortcuts);
    record_ = ReadInstallRecord(config_);
    folder_ = record_.folder;
    if (folder_.empty()) return result;
    result.read = true;
    result.skipped = record_.outside;
    // From here on an interruption is finished by the next start of a setup
    // or uninstaller of the product, from the config the journal keeps.
    if (disk_.Create(product_.id, Scope()) == ERROR_SUCCESS) {
      disk_.Append({JournalKind::kUninstallBegun, {JsonWriter().write(config_)}});
    }
    Remove(result);
    disk_.Remove();
    return result;
  }

 private:
  void Remove(UninstallResult& result) {
    sink_.SetStepText(
        FormatLong(EngineTextsFor(product_.language).deleting_step, kDeletingStepPercent));
    // What is registered for the whole product (entry, shortcuts, start-menu
    // folder) belongs to the install the entry names; an uninstaller of an
    // earlier install elsewhere leaves it to the live one.
    const bool registered_here = IsRegisteredHere();
    if (registered_here) {
      if (record_.links_recorded) {
        DeleteRecordedLinks(config_["setup"]["shortcut"]);
      } else {
        DeleteShortcuts(config_["setup"]["shortcut"]);
        DeleteStartMenuLink();
      }
    }
    InstallRecord left = record_;
    left.files = DeleteFiles();
    left.kept = RestoreKeptFiles();
    DeleteSettingsFiles();
    result.left = left.files;
    for (const KeptFile& kept : left.kept)
      result.left.push_back(kept.file + L" \u2190 " + kept.backup);
    if (!result.left.empty()) {
      result.restart_scheduled = Scope() == InstallScope::kMachine && ScheduleAtRestart(left);
      if (!result.restart_scheduled) {
        // What is left stays uninstallable: the uninstaller in the folder is
        // rewritten with a record of exactly that, and the entry stays.
        KeepUninstaller(left);
        return;
      }
    }
    // The entry before the uninstaller it names: stopped in between, the
    // entry never names a missing program (the journal finishes the rest).
    if (registered_here) DeleteUninstallEntry(product_.id, Scope());
    DeleteProductFile(UninstallerPathOf(record_));
    // A signed uninstaller's record goes with it.
    if (NamesRecordBeside(config_)) DeleteProductFile(RecordPathBeside(UninstallerPathOf(record_)));
    RemoveEmptyFolders(record_.folders);
    if (result.restart_scheduled) ScheduleFoldersAtRestart();
    if (result.left.empty()) sink_.FinishWork();
  }

  // Has the system delete the files of `left` and then put its kept
  // originals back when it restarts; false when any of it cannot be
  // scheduled (no administrator rights).
  static bool ScheduleAtRestart(const InstallRecord& left) {
    for (const std::wstring& file : left.files) {
      if (!MoveFileExW(file.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return false;
    }
    for (const KeptFile& kept : left.kept) {
      if (!MoveFileExW(kept.backup.c_str(), kept.file.c_str(),
                       MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING)) {
        return false;
      }
    }
    return true;
  }

  // The recorded folders that are still there, deepest first: the system
  // removes each at the restart when it is empty then.
  void ScheduleFoldersAtRestart() const {
    for (const std::wstring& folder : FoldersDeepestFirst(record_.folders)) {
      MoveFileExW(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
  }

  void DeleteShortcuts(const JsonValue& shortcuts) {
    const JsonValue& desktop = ConfigList(shortcuts["desktop"]);
    for (size_t i = 0; i < desktop.size(); ++i) {
      std::wstring name = Wide(desktop[i]["name"].toCString());
      if (!name.empty()) DeleteDesktopShortcut(name);
    }
    const JsonValue& taskbar = ConfigList(shortcuts["taskbar"]);
    for (size_t i = 0; i < taskbar.size(); ++i) {
      std::wstring name = Wide(taskbar[i]["name"].toCString());
      if (name.empty()) continue;
      if (IsVistaOrLater()) UnpinQuickLaunchShortcut(name);
      DeleteQuickLaunchShortcut(name);
    }
  }

  // The links the install recorded: the Quick Launch ones among them are
  // unpinned first; then the user's own links it kept come back, and the
  // start-menu folder goes when the install made it and it is empty now.
  void DeleteRecordedLinks(const JsonValue& shortcuts) {
    const PathSet links(record_.links);
    const JsonValue& taskbar = ConfigList(shortcuts["taskbar"]);
    for (size_t i = 0; i < taskbar.size() && IsVistaOrLater(); ++i) {
      std::wstring name = Wide(taskbar[i]["name"].toCString());
      if (!name.empty() && links.Contains(QuickLaunchLinkPath(name)))
        UnpinQuickLaunchShortcut(name);
    }
    for (const std::wstring& link : record_.links) DeleteProductFile(link);
    for (const KeptFile& kept : record_.kept_links) {
      if (GetFileAttributesW(kept.file.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
      MoveFileExW(kept.backup.c_str(), kept.file.c_str(), 0);
    }
    if (!record_.start_menu_folder.empty()) RemoveEmptyFolders({record_.start_menu_folder});
  }

  // Deletes each recorded file, the read-only ones too. One that another
  // program holds is deleted after the programs running from that very file
  // have been ended, without asking; a file that is already gone is passed
  // over, and so is one behind a link below the install folder (what the
  // link leads to is not the product's). Returns the files that remain.
  std::vector<std::wstring> DeleteFiles() {
    std::vector<std::wstring> left;
    const LinkCheck links(folder_);
    for (const std::wstring& path : record_.files) {
      if (!links.FirstLink(path).empty()) continue;
      if (!DeleteProductFile(path) && !EndHoldersAndDelete(path)) left.push_back(path);
    }
    return left;
  }

  // True when `path` is gone after ending the programs that run from it.
  static bool EndHoldersAndDelete(const std::wstring& path) {
    const DWORD error = GetLastError();
    const bool held = error == ERROR_SHARING_VIOLATION ||
                      (error == ERROR_ACCESS_DENIED && IsProcessRunning(path));
    if (held && TerminateProcessesByPath(path, kWaitAfterEndingMs) > 0) {
      DeleteProductFile(path);
    }
    return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
  }

  // Puts back under its name each file that the install kept aside; returns
  // those that could not be.
  std::vector<KeptFile> RestoreKeptFiles() {
    std::vector<KeptFile> left;
    for (const KeptFile& kept : record_.kept) {
      if (GetFileAttributesW(kept.backup.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
      if (!MoveFileExW(kept.backup.c_str(), kept.file.c_str(), 0)) left.push_back(kept);
    }
    return left;
  }

  // Rewrites the uninstaller in the install folder with the record `left`.
  void KeepUninstaller(const InstallRecord& left) {
    JsonValue config = config_;
    for (const char* member :
         {"files", "folders", "kept", "uninstaller", "links", "kept_links", "start_menu"}) {
      config[member] = JsonValue();
    }
    JsonValue rewritten(JsonKind::Object);
    for (const std::string& name : config.memberNames()) {
      if (config[name].kind() != JsonKind::Null) rewritten[name] = config[name];
    }
    WriteInstallRecord(left, rewritten);
    // Without a package (an interrupted uninstall finished from the journal)
    // there is nothing to write the uninstaller from: the one in the folder
    // still records everything that is left.
    if (!package_.IsOpen()) return;
    if (NamesRecordBeside(rewritten)) {
      KeepSignedUninstaller(rewritten, UninstallerPathOf(left));
      return;
    }
    PackageLocation location;
    if (LocatePackage(package_, location)) {
      WriteUninstallerCopyFile(package_, location.package_offset, rewritten,
                               UninstallerPathOf(left));
    }
  }

  // A signed uninstaller cannot take a new record into its image: the record
  // file beside it is rewritten, and the uninstaller itself, when its place
  // is empty (the hand-off moved it away), is this program's image again,
  // byte for byte the signed one.
  void KeepSignedUninstaller(const JsonValue& rewritten, const std::wstring& uninstaller) {
    WriteRecordFile(RecordPathBeside(uninstaller), rewritten);
    if (GetFileAttributesW(uninstaller.c_str()) == INVALID_FILE_ATTRIBUTES) {
      CopyFileW(package_.path().c_str(), uninstaller.c_str(), TRUE);
    }
  }

  // True when the product's Uninstall entry names this install folder, or
  // there is no entry (or one without "InstallLocation", as older installs
  // wrote it) that could name another.
  bool IsRegisteredHere() {
    std::wstring location;
    const LONG result = ReadUninstallValue(product_.id, L"InstallLocation", location, Scope());
    if (result == ERROR_FILE_NOT_FOUND) return true;
    return result == ERROR_SUCCESS && IsSamePath(location, folder_);
  }

  // An older install's start-menu link, known by the product's name only;
  // its folder goes when it is empty then (whoever made it, nothing in it
  // is lost).
  void DeleteStartMenuLink() {
    const std::wstring programs = GetStartMenuProgramsFolder();
    if (programs.empty()) return;
    const std::wstring folder = programs + L"\\" + product_.name;
    DeleteProductFile(folder + L"\\" + product_.name + L".lnk");
    RemoveEmptyFolders({folder});
  }

  // The files the product names in the user's application data folder (its
  // settings); their folders stay.
  void DeleteSettingsFiles() {
    const std::wstring app_data = GetSpecialFolder(CSIDL_APPDATA);
    if (app_data.empty()) return;
    for (const std::wstring& file : product_.remove_on_uninstall) {
      DeleteFileW((app_data + L"\\" + file).c_str());
    }
  }

  // The scope its install chose, as the uninstaller's config records it:
  // the entry is under that scope's Uninstall key.
  InstallScope Scope() const { return DefaultInstallScope(product_.scope); }

  std::wstring Wide(const char* utf8) { return ToWide(pool_, utf8, CP_UTF8); }

  const PackageFile package_;
  ProgressSink& sink_;
  const JsonValue* preloaded_;
  JournalFile disk_;
  ScratchPool pool_;
  JsonValue config_;
  Product product_ = DefaultProduct();
  InstallRecord record_;
  std::wstring folder_;
};

}  // namespace

UninstallResult RunUninstall(ProgressSink& sink) {
  return RunUninstallFromPackage(GetModulePath(), sink);
}

UninstallResult RunUninstallFromPackage(const PackageFile& package, ProgressSink& sink) {
  return UninstallRun(package, sink).Run();
}

UninstallResult FinishUninstall(const JsonValue& config, ProgressSink& sink) {
  return UninstallRun(PackageFile(), sink, &config).Run();
}
