#include "setup/uninstall_engine.h"

#include <shlobj.h>
#include <shlwapi.h>
#include <windows.h>

#include "json/json_value.h"
#include "setup/base64.h"
#include "setup/file_utils.h"
#include "setup/number_text.h"
#include "setup/os_version.h"
#include "setup/package_layout.h"
#include "setup/paths.h"
#include "setup/processes.h"
#include "setup/product.h"
#include "setup/scratch_pool.h"
#include "setup/shell_links.h"
#include "setup/text_convert.h"
#include "setup/win_handles.h"

namespace {

// Time given to processes that were ended to release their files.
constexpr DWORD kWaitAfterEndingMs = 1000;
constexpr wchar_t kDeletingStep[] = L"正在删除快捷方式: %ld%%";
constexpr long kDeletingStepPercent = 90;

// Access to the Uninstall key: KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE.
constexpr REGSAM kUninstallKeyAccess = 0x2001F;

class UninstallRun {
 public:
  UninstallRun(const std::wstring& package_path, ProgressSink& sink)
      : package_path_(package_path), sink_(sink) {}

  bool Run() {
    if (!LoadPackageConfig(package_path_, config_)) return false;
    const JsonValue& setup = config_["setup"];
    folder_ = DecodePath(setup["root"]);
    if (folder_.empty()) return false;
    sink_.SetStepText(FormatLong(kDeletingStep, kDeletingStepPercent));
    DeleteShortcuts(setup["shortcut"]);
    DeleteStartMenuFolder();
    DeleteFiles(config_["files"]);
    DeleteSettingsFile();
    ShellDeleteFile(folder_ + L"\\" + kUninstallerFileName);
    RemoveFolders(config_["folders"]);
    if (PathIsDirectoryEmptyW(folder_.c_str())) ShellDeletePath(folder_);
    DeleteUninstallEntry();
    sink_.FinishWork();
    return true;
  }

 private:
  void DeleteShortcuts(const JsonValue& shortcuts) {
    const JsonValue& desktop = shortcuts["desktop"];
    for (size_t i = 0; i < desktop.size(); ++i) {
      std::wstring name = Wide(desktop[i]["name"].toCString());
      if (!name.empty()) DeleteDesktopShortcut(name);
    }
    const JsonValue& taskbar = shortcuts["taskbar"];
    for (size_t i = 0; i < taskbar.size(); ++i) {
      std::wstring name = Wide(taskbar[i]["name"].toCString());
      if (name.empty()) continue;
      if (IsVistaOrLater()) UnpinQuickLaunchShortcut(name);
      DeleteQuickLaunchShortcut(name);
    }
  }

  // Deletes each recorded file; one that cannot be deleted is retried once
  // after every process of its name has been ended.
  void DeleteFiles(const JsonValue& files) {
    for (size_t i = 0; i < files.size(); ++i) {
      std::wstring path = DecodePath(files[i]);
      if (path.empty() || DeleteFileW(path.c_str())) continue;
      TerminateProcessesByName(path);
      Sleep(kWaitAfterEndingMs);
      DeleteFileW(path.c_str());
    }
  }

  // The product's start-menu folder with everything in it, whoever made it.
  void DeleteStartMenuFolder() {
    const std::wstring programs = GetStartMenuProgramsFolder();
    if (!programs.empty()) ShellDeletePath(programs + L"\\" + kProductName);
  }

  void DeleteSettingsFile() {
    const std::wstring app_data = GetSpecialFolder(CSIDL_APPDATA);
    if (app_data.empty()) return;
    const std::wstring settings = app_data + L"\\" + kProductName + L"\\" + kProductName + L".cfg";
    DeleteFileW(settings.c_str());
  }

  // Removes the recorded folders in order; only empty ones go.
  void RemoveFolders(const JsonValue& folders) {
    for (size_t i = 0; i < folders.size(); ++i) {
      std::wstring path = DecodePath(folders[i]);
      if (!path.empty()) RemoveDirectoryW(path.c_str());
    }
  }

  void DeleteUninstallEntry() {
    RegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallRootKey, 0, kUninstallKeyAccess, key.put()) ==
        ERROR_SUCCESS) {
      RegDeleteKeyW(key.get(), kProductName);
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
  std::wstring folder_;
};

}  // namespace

bool RunUninstall(ProgressSink& sink) { return RunUninstallFromPackage(GetModulePath(), sink); }

bool RunUninstallFromPackage(const std::wstring& package_path, ProgressSink& sink) {
  return UninstallRun(package_path, sink).Run();
}
