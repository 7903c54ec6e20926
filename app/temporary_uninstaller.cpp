#include "app/temporary_uninstaller.h"

// windows.h first.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <cwchar>
#include <utility>
#include <vector>

#include "app/elevation.h"
#include "app/run_folder.h"
#include "setup/file_utils.h"
#include "setup/number_text.h"
#include "setup/product.h"
#include "setup/same_path.h"
#include "setup/uninstaller_image.h"
#include "setup/win_handles.h"

namespace {

// `path` split at its last backslash: the part before it (empty when there
// is none) and the name after it.
std::pair<std::wstring, std::wstring> SplitLast(const std::wstring& path) {
  const size_t slash = path.find_last_of(L'\\');
  if (slash == std::wstring::npos) return {std::wstring(), path};
  return {path.substr(0, slash), path.substr(slash + 1)};
}

// Copies `source` to `copy`, which must not exist yet, and opens the copy
// into `held` sharing reading only: while `held` stays open nobody writes,
// renames or removes it. True when the copy holds exactly the bytes of
// `source`.
bool CopyAndCheck(const std::wstring& source, const std::wstring& copy, UniqueHandle& held) {
  if (!::CopyFileW(source.c_str(), copy.c_str(), TRUE)) return false;
  // A read-only source would make a copy that nothing can remove later.
  ::SetFileAttributesW(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
  held.reset(::CreateFileW(copy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
  std::string original;
  std::string copied;
  return held && ReadWholeFile(source, original) && ReadWholeFile(copy, copied) &&
         original == copied;
}

}  // namespace

void StartProgram(const std::wstring& program, const std::wstring& arguments,
                  UniqueHandle& started) {
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
  info.hwnd = nullptr;
  info.lpVerb = L"open";
  info.lpFile = program.c_str();
  info.lpParameters = arguments.c_str();
  info.lpDirectory = L"";
  info.nShow = SW_SHOWNORMAL;
  started.reset(::ShellExecuteExW(&info) ? info.hProcess : nullptr);
}

bool IsTemporaryUninstaller(const std::wstring& self, const std::wstring& temp_folder) {
  if (temp_folder.empty()) return false;
  const auto [folder, file] = SplitLast(NormalizePath(self));
  const auto [parent, folder_name] = SplitLast(folder);
  return _wcsicmp(file.c_str(), kUninstallerFileName) == 0 && IsRunFolderName(folder_name) &&
         IsSamePath(parent + L"\\", temp_folder);
}

bool StartTemporaryUninstaller(const std::wstring& self, const std::wstring& temp_folder,
                               const std::wstring& arguments, UniqueHandle& started,
                               const std::wstring& record) {
  if (temp_folder.empty()) return false;
  RemoveEarlierRunFolders(temp_folder);
  UniqueHandle held_folder;
  const std::wstring folder = CreateRunFolder(temp_folder, RunsAsAdministrator(), held_folder);
  if (folder.empty()) return false;
  const std::wstring copy = folder + L"\\" + kUninstallerFileName;
  const std::wstring record_copy = folder + L"\\" + kUninstallerRecordFileName;
  UniqueHandle held_copy;
  UniqueHandle held_record;
  if (!CopyAndCheck(self, copy, held_copy) ||
      (!record.empty() && !CopyAndCheck(record, record_copy, held_record))) {
    held_copy.reset();
    held_record.reset();
    ::DeleteFileW(copy.c_str());
    if (!record.empty()) ::DeleteFileW(record_copy.c_str());
    held_folder.reset();
    ::RemoveDirectoryW(folder.c_str());
    return false;
  }
  // The files first: the system removes a folder at restart only when empty.
  ::MoveFileExW(copy.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  if (!record.empty()) ::MoveFileExW(record_copy.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  ::MoveFileExW(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  StartProgram(copy, arguments, started);
  return true;
}

std::wstring WaitingUninstallerPath(const std::wstring& temp_folder, bool protect,
                                    unsigned long process_id, UniqueHandle& held_folder) {
  // Not std::to_wstring, which brings the C library's wide printf into the program.
  const std::wstring name =
      FormatLong(L"waiting-uninstaller-%ld.exe", static_cast<long>(process_id));
  if (!protect) return temp_folder + name;
  const std::wstring folder = CreateRunFolder(temp_folder, true, held_folder);
  return folder.empty() ? std::wstring() : folder + L"\\" + name;
}

bool ReturnWaitingUninstaller(const std::wstring& waiting, const std::wstring& home,
                              const std::string& moved_bytes) {
  const UniqueHandle file(::CreateFileW(waiting.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT,
                                        nullptr));
  std::string bytes;
  if (!file || !ReadOpenFile(file.get(), bytes) || bytes != moved_bytes) return false;
  // Renamed through the handle that was checked: FILE_RENAME_INFO with the
  // new full name after it, never replacing a file there.
  std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + home.size() * sizeof(wchar_t));
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  rename->ReplaceIfExists = FALSE;
  rename->RootDirectory = nullptr;
  rename->FileNameLength = static_cast<DWORD>(home.size() * sizeof(wchar_t));
  home.copy(rename->FileName, home.size());
  return ::SetFileInformationByHandle(file.get(), FileRenameInfo, rename,
                                      static_cast<DWORD>(buffer.size())) != FALSE;
}
