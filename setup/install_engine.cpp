#include "setup/install_engine.h"

#include <shlobj.h>
#include <shlwapi.h>
#include <unzip.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "json/json_value.h"
#include "setup/base64.h"
#include "setup/file_utils.h"
#include "setup/number_text.h"
#include "setup/os_version.h"
#include "setup/package_layout.h"
#include "setup/paths.h"
#include "setup/payload_reader.h"
#include "setup/processes.h"
#include "setup/product.h"
#include "setup/scratch_pool.h"
#include "setup/shell_links.h"
#include "setup/text_convert.h"
#include "setup/uninstall_key.h"
#include "setup/win_handles.h"

namespace {

// Room for an entry name of up to 1023 bytes and its terminating zero.
constexpr unsigned kEntryNameBufferSize = 1024;
// Decompressed data goes through one buffer of this size, made once per install.
constexpr unsigned kCopyBufferSize = 524288;
// Time given to processes that were ended to release their files.
constexpr DWORD kWaitAfterEndingMs = 1000;

constexpr wchar_t kCopyingStep[] = L"正在复制文件: %ld%%";
constexpr wchar_t kDesktopStep[] = L"正在创建桌面快捷方式: %ld%%";
constexpr wchar_t kTaskbarStep[] = L"正在创建任务栏快捷方式: %ld%%";
constexpr wchar_t kStartMenuStep[] = L"正在创建开始菜单快捷方式: %ld%%";
constexpr wchar_t kInUseCaption[] = L"关闭占用";
constexpr wchar_t kInUseQuestion[] =
    L"检测到程序”%s“正在运行, 您必须结束该程序才能继续安装, 是否继续?";

std::wstring FormatText(const wchar_t* format, long value) { return FormatLong(format, value); }

// `format` with its one "%s" replaced by `value`.
std::wstring FormatText(const wchar_t* format, const std::wstring& value) {
  std::wstring text = format;
  const size_t at = text.find(L"%s");
  if (at != std::wstring::npos) text.replace(at, 2, value);
  return text;
}

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

// Opens `path` for binary writing, creating or truncating it.
UniqueHandle OpenForWriting(const std::wstring& path) {
  return UniqueHandle(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool WriteAll(HANDLE file, const char* data, DWORD size) {
  DWORD written = 0;
  return WriteFile(file, data, size, &written, nullptr) && written == size;
}

void SetStringValue(HKEY key, const wchar_t* name, const std::wstring& data) {
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                 static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

// One run of the installation; all state lives for that run only.
class InstallRun {
 public:
  InstallRun(const std::wstring& package_path, ProgressSink& sink)
      : package_path_(package_path), sink_(sink), folder_(sink.InstallFolder()) {}

  bool Run() {
    if (!ReadPackage()) return false;
    Report(10, kCopyingStep);
    if (!Extract()) return false;
    sink_.SetProgressPosition(70);
    CreateShortcuts();
    WriteUninstaller();
    sink_.SetLaunchPath(folder_ + L"\\" + Wide(setup_config_["lastrun"].toCString()));
    Register();
    SendMessageTimeoutW(sink_.WindowHandle(), kInstallFinishedMessage, 0, 0, SMTO_BLOCK, 0,
                        nullptr);
    return true;
  }

 private:
  // A. The package config and where the payload archive lies in the package.
  bool ReadPackage() {
    return LoadPackageConfig(package_path_, setup_config_, &location_) &&
           LocatePayloadArchive(package_path_, location_.package_offset, location_.config_length,
                                archive_);
  }

  // C. Extracts every entry; on failure rolls back what it recorded.
  bool Extract() {
    bool success = false;
    {
      UnzipArchive zip = OpenArchiveInFile(package_path_, archive_.offset, archive_.length);
      if (!zip) return false;
      success = ExtractEntries(zip.get());
    }
    CompleteReplacements();
    if (!success) RollBack();
    return success;
  }

  bool ExtractEntries(unzFile zip) {
    unz_global_info64 global = {};
    if (unzGetGlobalInfo64(zip, &global) != UNZ_OK) return false;
    if (global.number_entry == 0) return true;
    int status = unzGoToFirstFile(zip);
    while (status == UNZ_OK) {
      if (!ExtractEntry(zip)) return false;
      status = unzGoToNextFile(zip);
    }
    // Anything but the end of the list means entries that were never reached.
    return status == UNZ_END_OF_LIST_OF_FILE;
  }

  bool ExtractEntry(unzFile zip) {
    char name_buffer[kEntryNameBufferSize] = {};
    unz_file_info64 info = {};
    if (unzGetCurrentFileInfo64(zip, &info, name_buffer, kEntryNameBufferSize, nullptr, 0, nullptr,
                                0) != UNZ_OK ||
        info.size_filename >= kEntryNameBufferSize) {
      return false;
    }
    std::wstring name = TrimWhiteSpace(ToWide(pool_, name_buffer, CP_UTF8));
    if (!IsSafeEntryName(name)) return false;
    if (name.back() == L'/') {
      name.pop_back();
      return ExtractFolder(name);
    }
    return ExtractFile(zip, name, info.uncompressed_size);
  }

  bool ExtractFolder(const std::wstring& name) {
    std::wstring folder = folder_ + L"\\" + ReplaceSlashes(name);
    if (!EnsureDirectory(folder)) return false;
    folders_.push_back(folder);
    return true;
  }

  bool ExtractFile(unzFile zip, const std::wstring& name, uint64_t size) {
    std::wstring target = folder_ + L"\\" + ReplaceSlashes(name);
    std::wstring parent = target;
    PathRemoveFileSpecW(&parent[0]);
    parent.resize(wcslen(parent.c_str()));
    if (parent.size() != target.size()) {
      // Entries of one folder come together: its creation is checked once for all of them.
      if (parent != last_parent_ && !EnsureDirectory(parent)) return false;
      last_parent_ = parent;
      folders_.push_back(parent);
    }
    if (unzOpenCurrentFile(zip) != UNZ_OK) return false;
    UniqueHandle file = OpenTarget(target);
    if (!file) {
      unzCloseCurrentFile(zip);
      return false;
    }
    // Recorded as soon as it exists, so that a failure below removes it again.
    files_.push_back(target);
    bool copied = CopyEntryData(zip, file.get(), size);
    bool closed = CloseHandle(file.release()) != 0;
    bool intact = unzCloseCurrentFile(zip) == UNZ_OK;
    return copied && closed && intact;
  }

  // Copies the current entry's decompressed data to `file`. False on a data
  // error, a short write, or when the data is not the size the entry states.
  bool CopyEntryData(unzFile zip, HANDLE file, uint64_t size) {
    // One buffer for every entry: a block this large is mapped and unmapped anew for each
    // allocation.
    if (!copy_buffer_) copy_buffer_.reset(new char[kCopyBufferSize]);
    char* buffer = copy_buffer_.get();
    uint64_t total = 0;
    int read;
    while ((read = unzReadCurrentFile(zip, buffer, kCopyBufferSize)) > 0) {
      if (!WriteAll(file, buffer, static_cast<DWORD>(read))) return false;
      total += static_cast<unsigned>(read);
    }
    return read == 0 && total == size;
  }

  // Opens `target` for writing; when it is in use, ends the program that holds
  // it (after asking) or writes to target + ".new" instead.
  UniqueHandle OpenTarget(const std::wstring& target) {
    UniqueHandle file = OpenForWriting(target);
    if (file) return file;
    if (IsProcessRunning(target)) {
      if (AskToEnd(target) == IDYES) {
        TerminateProcessesByName(target);
        Sleep(kWaitAfterEndingMs);
        file = OpenForWriting(target);
      }
      return file;
    }
    const std::wstring old_file = target + L".old";
    if (!ShellRename(old_file, target)) return file;
    file = OpenForWriting(target + L".new");
    if (file) {
      pending_.push_back(target);
    } else {
      ShellRename(target, old_file);
    }
    return file;
  }

  int AskToEnd(const std::wstring& target) {
    std::wstring text = FormatText(kInUseQuestion, PathFindFileNameW(target.c_str()));
    return MessageBoxW(sink_.WindowHandle(), text.c_str(), kInUseCaption,
                       MB_YESNO | MB_ICONQUESTION);
  }

  void CompleteReplacements() {
    for (const std::wstring& target : pending_) {
      ShellDeleteFile(target + L".old");
      ShellRename(target, target + L".new");
    }
  }

  // Removes the recorded files, then the recorded folders that became empty.
  void RollBack() {
    for (const std::wstring& file : files_) DeleteFileW(file.c_str());
    for (const std::wstring& folder : folders_) RemoveDirectoryW(folder.c_str());
  }

  // D. Desktop, Quick Launch (with taskbar pin) and start-menu shortcuts.
  void CreateShortcuts() {
    const JsonValue& shortcuts = setup_config_["shortcut"];
    if (sink_.DesktopOption()) {
      Report(70, kDesktopStep);
      ForEachShortcut(shortcuts["desktop"],
                      [](const std::wstring& name, const std::wstring& target) {
                        CreateDesktopShortcut(name, target);
                      });
    }
    sink_.SetProgressPosition(80);
    if (sink_.TaskbarOption()) {
      sink_.SetStepText(FormatText(kTaskbarStep, 80));
      ForEachShortcut(shortcuts["taskbar"],
                      [](const std::wstring& name, const std::wstring& target) {
                        CreateQuickLaunchShortcut(name, target);
                        if (IsVistaOrLater()) PinQuickLaunchShortcut(name);
                      });
    }
    sink_.SetProgressPosition(90);
    if (sink_.StartMenuOption()) {
      sink_.SetStepText(FormatText(kStartMenuStep, 90));
      CreateStartMenuShortcut(shortcuts["desktop"]);
    }
  }

  // Calls `create(name, target)` for each entry of a shortcut list whose name
  // is not empty and whose target exists.
  template <typename Create>
  void ForEachShortcut(const JsonValue& list, Create create) {
    for (size_t i = 0; i < list.size(); ++i) {
      const JsonValue& entry = list[i];
      std::wstring name = Wide(entry["name"].toCString());
      std::wstring target = ShortcutTarget(entry);
      if (!name.empty() && PathFileExistsW(target.c_str())) create(name, target);
    }
  }

  std::wstring ShortcutTarget(const JsonValue& entry) {
    return ReplaceSlashes(folder_ + L"\\" + Wide(entry["file"].toCString()));
  }

  // The start-menu link points to the file of the desktop list's last entry.
  void CreateStartMenuShortcut(const JsonValue& desktop) {
    const std::wstring programs = GetStartMenuProgramsFolder();
    if (programs.empty()) return;
    std::wstring target = ReplaceSlashes(folder_ + L"\\");
    if (desktop.size() > 0) target = ShortcutTarget(desktop[desktop.size() - 1]);
    const std::wstring product_folder = programs + L"\\" + kProductName;
    EnsureDirectory(product_folder);
    ScopedComInit com;
    CreateDescribedShortcut(target, kProductName, product_folder + L"\\" + kProductName + L".lnk");
  }

  // E. The uninstaller copy with the record of this run.
  void WriteUninstaller() {
    JsonValue config(JsonKind::Object);
    if (!files_.empty()) config["files"] = EncodedPaths(files_);
    if (!folders_.empty()) config["folders"] = EncodedPaths(folders_);
    config["mode"] = 0;
    config["setup"]["shortcut"] = setup_config_["shortcut"];
    config["setup"]["root"] = JsonValue(EncodePath(folder_));
    WriteUninstallerCopyFile(package_path_, location_.package_offset, config, UninstallerPath());
  }

  JsonValue EncodedPaths(const std::vector<std::wstring>& paths) {
    JsonValue list(JsonKind::Array);
    for (size_t i = 0; i < paths.size(); ++i) list[i] = JsonValue(EncodePath(paths[i]));
    return list;
  }

  // Base64 of the path's UTF-8 form.
  const char* EncodePath(const std::wstring& path) {
    return Base64Encode(ToNarrow(path.c_str(), pool_, CP_UTF8), pool_);
  }

  // F. The product's entry under the Uninstall key; skipped without rights.
  void Register() {
    RegKey key;
    if (OpenUninstallKey(key) != ERROR_SUCCESS) return;
    const std::wstring uninstaller = UninstallerPath();
    SetStringValue(key.get(), L"DisplayName", kProductName);
    SetStringValue(key.get(), L"DisplayIcon", uninstaller);
    SetStringValue(key.get(), L"HelpLink", kProductHelpLink);
    SetStringValue(key.get(), L"UninstallString", uninstaller);
    SetStringValue(key.get(), L"Publisher", kProductPublisher);
    CloseUninstallKey(key);
  }

  std::wstring UninstallerPath() const { return folder_ + L"\\" + kUninstallerFileName; }

  std::wstring Wide(const char* utf8) { return ToWide(pool_, utf8, CP_UTF8); }

  void Report(int position, const wchar_t* format) {
    sink_.SetStepText(FormatText(format, position));
    sink_.SetProgressPosition(position);
  }

  const std::wstring package_path_;
  ProgressSink& sink_;
  const std::wstring folder_;
  ScratchPool pool_;
  JsonValue setup_config_;
  PackageLocation location_;
  ArchiveRange archive_;
  std::vector<std::wstring> files_;    // targets written, in archive order
  std::vector<std::wstring> folders_;  // folders made or used, in archive order
  std::wstring last_parent_;           // the folder of the last file, known to exist
  std::unique_ptr<char[]> copy_buffer_;
  std::vector<std::wstring> pending_;  // targets whose content went to ".new"
};

}  // namespace

bool RunInstall(ProgressSink& sink) { return RunInstallFromPackage(GetModulePath(), sink); }

bool RunInstallFromPackage(const std::wstring& package_path, ProgressSink& sink) {
  return InstallRun(package_path, sink).Run();
}
