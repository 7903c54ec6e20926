#include "setup/uninstall_engine.h"

#include <shlobj.h>
#include <shlwapi.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "json/json_value.h"
#include "setup/base64.h"
#include "setup/config_lists.h"
#include "setup/engine_texts.h"
#include "setup/file_utils.h"
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

// Access to the Uninstall key: KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE.
constexpr REGSAM kUninstallKeyAccess = 0x2001F;

class UninstallRun {
 public:
  UninstallRun(const std::wstring& package_path, ProgressSink& sink)
      : package_path_(package_path), sink_(sink) {}

  bool Run() {
    if (!LoadPackageConfig(package_path_, config_) || !ReadProduct(config_, product_)) return false;
    const JsonValue& setup = config_["setup"];
    folder_ = DecodePath(setup["root"]);
    if (folder_.empty()) return false;
    sink_.SetStepText(
        FormatLong(EngineTextsFor(product_.language).deleting_step, kDeletingStepPercent));
    // What is registered for the whole product (entry, shortcuts, start-menu
    // folder) belongs to the install the entry names; an uninstaller of an
    // earlier install elsewhere leaves it to the live one.
    const bool registered_here = IsRegisteredHere();
    if (registered_here) {
      DeleteShortcuts(setup["shortcut"]);
      DeleteStartMenuFolder();
    }
    DeleteFiles(config_["files"]);
    DeleteSettingsFiles();
    ShellDeleteFile(folder_ + L"\\" + kUninstallerFileName);
    RemoveFolders(config_["folders"]);
    RemoveDirectoryW(folder_.c_str());
    if (registered_here) DeleteUninstallEntry();
    sink_.FinishWork();
    return true;
  }

 private:
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

  // Deletes each recorded file. One that is in use is deleted after the
  // programs running from that very file have been ended, without asking; a
  // file that is already gone is passed over.
  void DeleteFiles(const JsonValue& value) {
    const JsonValue& files = ConfigList(value);
    for (size_t i = 0; i < files.size(); ++i) {
      std::wstring path = DecodePath(files[i]);
      if (path.empty() || DeleteFileW(path.c_str())) continue;
      const DWORD error = GetLastError();
      if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) continue;
      if (TerminateProcessesByPath(path, kWaitAfterEndingMs) > 0) DeleteFileW(path.c_str());
    }
  }

  // True when the product's Uninstall entry names this install folder, or
  // there is no entry (or one without "InstallLocation", as older installs
  // wrote it) that could name another.
  bool IsRegisteredHere() {
    std::wstring location;
    const LONG result = ReadInstallLocation(product_.id, location);
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

  // Removes the recorded folders, the deepest first, so that a folder whose
  // subfolders go is empty at its turn; only empty ones go.
  void RemoveFolders(const JsonValue& value) {
    const JsonValue& list = ConfigList(value);
    std::vector<std::wstring> folders;
    for (size_t i = 0; i < list.size(); ++i) {
      std::wstring path = DecodePath(list[i]);
      if (!path.empty()) folders.push_back(path);
    }
    // An inner folder's path is longer than that of any folder containing it.
    std::stable_sort(
        folders.begin(), folders.end(),
        [](const std::wstring& a, const std::wstring& b) { return a.size() > b.size(); });
    for (const std::wstring& folder : folders) RemoveDirectoryW(folder.c_str());
  }

  void DeleteUninstallEntry() {
    RegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallRootKey, 0, kUninstallKeyAccess, key.put()) ==
        ERROR_SUCCESS) {
      RegDeleteKeyW(key.get(), product_.id.c_str());
    }
  }

  // A path recorded as Base64 of UTF-8; empty for a missing value.
  std::wstring DecodePath(const JsonValue& value) {
    return Wide(Base64Decode(value.toCString(), pool_));
  }

  std::wstring Wide(const char* utf8) { return ToWide(pool_, utf8, CP_UTF8); }

  const std::wstring package_path_;
  ProgressSink& sink_;
  ScratchPool pool_;
  JsonValue config_;
  Product product_ = DefaultProduct();
  std::wstring folder_;
};

}  // namespace

bool RunUninstall(ProgressSink& sink) { return RunUninstallFromPackage(GetModulePath(), sink); }

bool RunUninstallFromPackage(const std::wstring& package_path, ProgressSink& sink) {
  return UninstallRun(package_path, sink).Run();
}
