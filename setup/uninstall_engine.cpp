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
#include "setup/same_path.h"
#include "setup/scratch_pool.h"
#include "setup/shell_links.h"
#include "setup/text_convert.h"
#include "setup/uninstall_key.h"
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
      DeleteShortcuts(config_["setup"]["shortcut"]);
      DeleteStartMenuFolder();
    }
    InstallRecord left = record_;
    left.files = DeleteFiles();
    left.kept = RestoreKeptFiles();
    DeleteSettingsFiles();
    result.left = left.files;
    for (const KeptFile& kept : left.kept)
      result.left.push_back(kept.file + L" \u2190 " + kept.backup);
    if (!result.left.empty()) {
      // What is left stays uninstallable: the uninstaller in the folder is
      // rewritten with a record of exactly that, and the entry stays.
      KeepUninstaller(left);
      return;
    }
    DeleteProductFile(UninstallerPathOf(record_));
    RemoveEmptyFolders(record_.folders);
    if (registered_here) DeleteUninstallEntry(product_.id, Scope());
    sink_.FinishWork();
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
    for (const char* member : {"files", "folders", "kept", "uninstaller"}) {
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
    PackageLocation location;
    if (LocatePackage(package_, location)) {
      WriteUninstallerCopyFile(package_, location.package_offset, rewritten,
                               UninstallerPathOf(left));
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

  // The product's start-menu folder with everything in it, whoever made it.
  void DeleteStartMenuFolder() {
    const std::wstring programs = GetStartMenuProgramsFolder();
    if (!programs.empty()) ShellDeletePath(programs + L"\\" + product_.name);
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
