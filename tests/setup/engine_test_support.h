// Test helper for the engine tests: UTF-8 and Base64 path conversions, setup
// configs, and cleanup of the product's fixed places (its Uninstall key,
// start-menu folder and shortcuts), which the engines write outside any
// scratch folder.
#pragma once

#include <shlobj.h>
#include <shlwapi.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "json/json_value.h"
#include "json/json_writer.h"
#include "setup/base64.h"
#include "setup/file_utils.h"
#include "setup/paths.h"
#include "setup/shell_links.h"
#include "tests/setup/test_package.h"

namespace engine_test {

constexpr wchar_t kProductKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velto";

inline std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr,
                                 0, nullptr, nullptr);
  std::string out(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], size,
                      nullptr, nullptr);
  return out;
}

inline std::wstring Wide(const std::string& text) {
  if (text.empty()) return std::wstring();
  int size =
      MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(size, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], size);
  return out;
}

inline std::string EncodePath(const std::wstring& path) { return Base64EncodeBytes(Utf8(path)); }
inline std::wstring DecodePath(const JsonValue& value) {
  return Wide(Base64DecodeText(value.toCString()));
}

inline std::vector<std::wstring> DecodePaths(const JsonValue& list) {
  std::vector<std::wstring> paths;
  for (size_t i = 0; i < list.size(); ++i) paths.push_back(DecodePath(list[i]));
  return paths;
}

inline JsonValue PathList(const std::vector<std::wstring>& paths) {
  JsonValue list(JsonKind::Array);
  for (size_t i = 0; i < paths.size(); ++i) list[i] = JsonValue(EncodePath(paths[i]));
  return list;
}

inline JsonValue Shortcut(const std::wstring& name, const std::wstring& file) {
  JsonValue entry(JsonKind::Object);
  entry["name"] = JsonValue(Utf8(name));
  entry["file"] = JsonValue(Utf8(file));
  return entry;
}

inline JsonValue ShortcutLists(const std::vector<JsonValue>& desktop,
                               const std::vector<JsonValue>& taskbar) {
  JsonValue shortcuts(JsonKind::Object);
  shortcuts["desktop"] = JsonValue(JsonKind::Array);
  shortcuts["taskbar"] = JsonValue(JsonKind::Array);
  for (size_t i = 0; i < desktop.size(); ++i) shortcuts["desktop"][i] = desktop[i];
  for (size_t i = 0; i < taskbar.size(); ++i) shortcuts["taskbar"][i] = taskbar[i];
  return shortcuts;
}

inline std::string SetupConfigText(const std::wstring& lastrun, const JsonValue& shortcuts) {
  JsonValue config(JsonKind::Object);
  config["lastrun"] = JsonValue(Utf8(lastrun));
  config["mode"] = 1;
  config["protocol"] = JsonValue(Base64EncodeBytes("Licence\r\n"));
  config["shortcut"] = shortcuts;
  return JsonWriter().write(config);
}

inline bool Exists(const std::wstring& path) { return PathFileExistsW(path.c_str()) != 0; }

inline std::string Content(const std::wstring& path) {
  std::string bytes;
  return test_package::ReadFileBytes(path, bytes) ? bytes : std::string("<unreadable>");
}

// Every folder and file below `root` by relative path ("\\name"): "<folder>" or the file's
// content. A link to a folder is listed, not followed.
inline void AddTree(const std::wstring& root, const std::wstring& relative,
                    std::map<std::wstring, std::string>& tree) {
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW((root + relative + L"\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = entry.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring path = relative + L"\\" + name;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      tree[path] = "<folder>";
      if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) AddTree(root, path, tree);
    } else {
      tree[path] = Content(root + path);
    }
  } while (FindNextFileW(find, &entry));
  FindClose(find);
}

inline std::map<std::wstring, std::string> Tree(const std::wstring& root) {
  std::map<std::wstring, std::string> tree;
  AddTree(root, L"", tree);
  return tree;
}

// The text value `name` of the Uninstall entry of product `id`; "<no entry>" or "<missing>".
inline std::wstring EntryValue(const std::wstring& id, const wchar_t* name) {
  HKEY key = nullptr;
  const std::wstring path =
      std::wstring(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + id;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return L"<no entry>";
  }
  wchar_t data[512] = {};
  DWORD size = sizeof data - sizeof(wchar_t);
  const LONG result =
      RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  return result == ERROR_SUCCESS ? std::wstring(data) : L"<missing>";
}

inline bool ProductKeyExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

inline std::wstring StartMenuFolder() { return GetStartMenuProgramsFolder() + L"\\Velto"; }

// Removes what a test left in the product's fixed places: the Uninstall key,
// the start-menu folder, the Quick Launch folder if the test had to make it,
// and the shortcuts named in `link_names`.
class ProductPlaces {
 public:
  ProductPlaces() : quick_launch_(GetQuickLaunchFolder()) {
    made_quick_launch_ = !Exists(quick_launch_);
    EnsureDirectory(quick_launch_);
  }
  ~ProductPlaces() {
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kProductKey);
    ShellDeletePath(StartMenuFolder());
    for (const std::wstring& name : link_names_) {
      DeleteDesktopShortcut(name);
      DeleteQuickLaunchShortcut(name);
    }
    if (made_quick_launch_) RemoveDirectoryW(quick_launch_.c_str());
  }
  ProductPlaces(const ProductPlaces&) = delete;
  ProductPlaces& operator=(const ProductPlaces&) = delete;

  // Removes the shortcuts named `name` at the end.
  void AddLinkName(const std::wstring& name) { link_names_.push_back(name); }

  // A shortcut name unique to this process, removed again at the end.
  std::wstring LinkName(const std::wstring& stem) {
    link_names_.push_back(stem + std::to_wstring(GetCurrentProcessId()));
    return link_names_.back();
  }

 private:
  std::wstring quick_launch_;
  bool made_quick_launch_ = false;
  std::vector<std::wstring> link_names_;
};

}  // namespace engine_test

namespace engine_test {

// Redirects HKEY_LOCAL_MACHINE of this process to a scratch key under
// HKEY_CURRENT_USER in which the product's key cannot be created, as for a
// user without administrator rights, and restores it and removes the scratch
// key at the end. Active() is false when the redirection could not be set up.
// The scratch keys are volatile (so no lasting subkey can be made below them)
// and opened for reading only: Windows refuses the product's key for both
// reasons, Wine (8.0) only for the first, as it does not check the access of
// the parent handle.
class UnwritableMachineKey {
 public:
  UnwritableMachineKey()
      : path_(L"Software\\BrindleTestVolatile\\Machine" + std::to_wstring(GetCurrentProcessId())) {
    HKEY created = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                        KEY_WRITE, nullptr, &created, nullptr) != ERROR_SUCCESS) {
      return;
    }
    RegCloseKey(created);
    std::wstring path = path_;
    for (const wchar_t* part :
         {L"SOFTWARE", L"Microsoft", L"Windows", L"CurrentVersion", L"Uninstall"}) {
      path += std::wstring(L"\\") + part;
      if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                          KEY_WRITE, nullptr, &created, nullptr) != ERROR_SUCCESS) {
        return;
      }
      RegCloseKey(created);
    }
    RegCloseKey(created);
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_READ, &read_only_) !=
        ERROR_SUCCESS) {
      return;
    }
    active_ = RegOverridePredefKey(HKEY_LOCAL_MACHINE, read_only_) == ERROR_SUCCESS;
  }
  ~UnwritableMachineKey() {
    if (active_) RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    if (read_only_) RegCloseKey(read_only_);
    RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\BrindleTestVolatile");
  }
  UnwritableMachineKey(const UnwritableMachineKey&) = delete;
  UnwritableMachineKey& operator=(const UnwritableMachineKey&) = delete;

  bool Active() const { return active_; }
  // Number of subkeys of the redirected Uninstall key.
  DWORD UninstallSubkeys() const {
    HKEY key = nullptr;
    DWORD count = 0;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, (path_ + L"\\" + kUninstallParent).c_str(), 0, KEY_READ,
                      &key) == ERROR_SUCCESS) {
      RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                       nullptr, nullptr, nullptr);
      RegCloseKey(key);
    }
    return count;
  }

 private:
  static constexpr wchar_t kUninstallParent[] =
      L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
  std::wstring path_;
  HKEY read_only_ = nullptr;
  bool active_ = false;
};

}  // namespace engine_test
