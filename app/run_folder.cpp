#include "app/run_folder.h"

// windows.h first.
// clang-format off
#include <windows.h>
#include <ntsecapi.h>
#include <sddl.h>
#include <winternl.h>
// clang-format on

#include <cwchar>
#include <cwctype>
#include <memory>

#include "setup/product.h"
#include "setup/uninstaller_image.h"

namespace {

// Names tried before giving up: with 128 random bits a clash means that the
// names are not random after all.
constexpr int kNameAttempts = 4;
constexpr size_t kRandomBytes = kRunFolderDigits / 2;
// STATUS_OBJECT_NAME_COLLISION.
constexpr NTSTATUS kNameTaken = static_cast<NTSTATUS>(0xC0000035);

// Owns memory the security functions return for LocalFree.
struct LocalFreeDeleter {
  void operator()(void* memory) const { ::LocalFree(memory); }
};
using LocalMemory = std::unique_ptr<void, LocalFreeDeleter>;

// kRunFolderPrefix and 32 hexadecimal digits from the system's random number
// generator; empty if it fails.
std::wstring RandomRunFolderName() {
  unsigned char bytes[kRandomBytes] = {};
  if (!RtlGenRandom(bytes, sizeof(bytes))) return std::wstring();
  static constexpr wchar_t kDigits[] = L"0123456789abcdef";
  std::wstring name = kRunFolderPrefix;
  for (const unsigned char byte : bytes) {
    name += kDigits[byte >> 4];
    name += kDigits[byte & 0xF];
  }
  return name;
}

// The native path of the full path `path`: "\\??\\C:\\..." or, for a network
// path, "\\??\\UNC\\server\\...".
std::wstring NativePath(const std::wstring& path) {
  if (path.compare(0, 2, L"\\\\") == 0) return L"\\??\\UNC\\" + path.substr(2);
  return L"\\??\\" + path;
}

// Creates the folder `path` (a full path), which must not exist yet, with
// `descriptor` (null: what its parent passes on), and returns it open for
// listing and reading its security, sharing everything but deletion. One call
// creates and opens it (NtCreateFile; CreateDirectoryW returns no handle), so
// that no other folder can be put in its place between the two: the user's
// temporary folder lets any of the user's programs rename what lies in it.
// An empty handle on failure; `taken` tells whether the name existed.
UniqueHandle CreateHeldFolder(const std::wstring& path, PSECURITY_DESCRIPTOR descriptor,
                              bool& taken) {
  taken = false;
  using NtCreateFileFunction = decltype(&NtCreateFile);
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  const FARPROC found = ntdll ? ::GetProcAddress(ntdll, "NtCreateFile") : nullptr;
  if (!found) return UniqueHandle();
  const auto nt_create_file =
      reinterpret_cast<NtCreateFileFunction>(reinterpret_cast<void*>(found));
  std::wstring native = NativePath(path);
  UNICODE_STRING name;
  name.Buffer = &native[0];
  name.Length = static_cast<USHORT>(native.size() * sizeof(wchar_t));
  name.MaximumLength = name.Length;
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE, nullptr, descriptor);
  IO_STATUS_BLOCK status = {};
  HANDLE folder = nullptr;
  const NTSTATUS result =
      nt_create_file(&folder, FILE_LIST_DIRECTORY | READ_CONTROL | SYNCHRONIZE, &attributes,
                     &status, nullptr, FILE_ATTRIBUTE_NORMAL, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     FILE_CREATE, FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
  taken = result == kNameTaken;
  return UniqueHandle(result >= 0 ? folder : nullptr);
}

// Opens the entry `name` of the folder open in `parent` (relative to that handle, so that the
// folder cannot be swapped between two opens) for deletion, never through a link: a link at the
// name is opened itself (FILE_OPEN_REPARSE_POINT), so that deleting through the handle removes
// the link and never what it points to. Shares everything but deletion, so that nobody renames
// or removes the entry while this process holds it. `kind` is FILE_DIRECTORY_FILE or
// FILE_NON_DIRECTORY_FILE. Empty on failure.
UniqueHandle OpenForDeletion(HANDLE parent, const std::wstring& name, ULONG kind) {
  using NtCreateFileFunction = decltype(&NtCreateFile);
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  const FARPROC found = ntdll ? ::GetProcAddress(ntdll, "NtCreateFile") : nullptr;
  if (!found) return UniqueHandle();
  const auto nt_create_file =
      reinterpret_cast<NtCreateFileFunction>(reinterpret_cast<void*>(found));
  std::wstring relative = name;
  UNICODE_STRING unicode_name;
  unicode_name.Buffer = &relative[0];
  unicode_name.Length = static_cast<USHORT>(relative.size() * sizeof(wchar_t));
  unicode_name.MaximumLength = unicode_name.Length;
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &unicode_name, OBJ_CASE_INSENSITIVE, parent, nullptr);
  IO_STATUS_BLOCK status = {};
  HANDLE entry = nullptr;
  const NTSTATUS result = nt_create_file(
      &entry, DELETE | FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
      &attributes, &status, nullptr, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_OPEN,
      kind | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
  return UniqueHandle(result >= 0 ? entry : nullptr);
}

// The path of what `handle` refers to, as the file system names it ("\\?\C:\..."); empty when
// it cannot be told.
std::wstring FinalPathOf(HANDLE handle) {
  constexpr DWORD kFlags = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
  const DWORD size = ::GetFinalPathNameByHandleW(handle, nullptr, 0, kFlags);
  if (size == 0) return std::wstring();
  std::wstring path(size, L'\0');
  const DWORD length = ::GetFinalPathNameByHandleW(handle, &path[0], size, kFlags);
  if (length == 0 || length >= size) return std::wstring();
  path.resize(length);
  return path;
}

// True when `entry` is the entry `name` of the folder whose final path is `folder`, neither a
// link nor reached through one. Windows opens a link itself (FILE_OPEN_REPARSE_POINT), which
// shows in its attributes; Wine follows every link whatever the flags say, which shows in the
// final path: the target's.
bool IsPlainEntryOf(HANDLE entry, const std::wstring& folder, const std::wstring& name) {
  BY_HANDLE_FILE_INFORMATION information = {};
  if (!::GetFileInformationByHandle(entry, &information) ||
      (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return false;
  }
  const std::wstring expected =
      folder + (!folder.empty() && folder.back() == L'\\' ? L"" : L"\\") + name;
  const std::wstring actual = FinalPathOf(entry);
  return !folder.empty() && !actual.empty() &&
         ::CompareStringOrdinal(actual.c_str(), static_cast<int>(actual.size()), expected.c_str(),
                                static_cast<int>(expected.size()), TRUE) == CSTR_EQUAL;
}

// Marks the entry open in `entry` for deletion when its last handle closes.
bool DeleteThroughHandle(HANDLE entry) {
  FILE_DISPOSITION_INFO disposition = {};
  disposition.DeleteFile = TRUE;
  return ::SetFileInformationByHandle(entry, FileDispositionInfo, &disposition,
                                      sizeof disposition) != 0;
}

// Removes the run folder `name` of the temporary folder open in `temp` (final path `temp_path`)
// that an earlier run left: its uninstaller copy, then the folder if that left it empty. Each is
// opened relative to the handle of its folder, without following a link, and deleted through
// that handle while the folder is held: a folder or copy swapped for a link after the listing is
// left alone, and so is what the link points to.
void RemoveRunFolder(HANDLE temp, const std::wstring& temp_path, const std::wstring& name) {
  const UniqueHandle held = OpenForDeletion(temp, name, FILE_DIRECTORY_FILE);
  if (!held || !IsPlainEntryOf(held.get(), temp_path, name)) return;
  const std::wstring folder_path = FinalPathOf(held.get());
  // The copy and, for a signed uninstaller, its record.
  for (const wchar_t* file : {kUninstallerFileName, kUninstallerRecordFileName}) {
    const UniqueHandle copy = OpenForDeletion(held.get(), file, FILE_NON_DIRECTORY_FILE);
    if (copy && IsPlainEntryOf(copy.get(), folder_path, file)) DeleteThroughHandle(copy.get());
  }
  // Refused while the folder holds anything else.
  DeleteThroughHandle(held.get());
}

}  // namespace

bool IsRunFolderName(const std::wstring& name) {
  const size_t prefix = std::wstring(kRunFolderPrefix).size();
  if (name.size() != prefix + kRunFolderDigits) return false;
  if (_wcsnicmp(name.c_str(), kRunFolderPrefix, prefix) != 0) return false;
  for (size_t i = prefix; i < name.size(); ++i) {
    if (!std::iswxdigit(name[i])) return false;
  }
  return true;
}

std::wstring CreateRunFolder(const std::wstring& temp_folder, bool protect, UniqueHandle& held) {
  held.reset();
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (protect && !::ConvertStringSecurityDescriptorToSecurityDescriptorW(
                     kProtectedRunFolderAccess, SDDL_REVISION_1, &descriptor, nullptr)) {
    return std::wstring();
  }
  const LocalMemory owned(descriptor);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::wstring name = RandomRunFolderName();
    if (name.empty()) return std::wstring();
    const std::wstring path = temp_folder + name;
    bool taken = false;
    held = CreateHeldFolder(path, descriptor, taken);
    if (held) return path;
    if (!taken) return std::wstring();
  }
  return std::wstring();
}

void RemoveEarlierRunFolders(const std::wstring& temp_folder) {
  const UniqueHandle temp(
      ::CreateFileW(temp_folder.c_str(), FILE_LIST_DIRECTORY | FILE_TRAVERSE | SYNCHRONIZE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  const std::wstring temp_path = temp ? FinalPathOf(temp.get()) : std::wstring();
  if (temp_path.empty()) return;
  WIN32_FIND_DATAW entry;
  const std::wstring pattern = temp_folder + kRunFolderPrefix + L"*";
  const HANDLE first = ::FindFirstFileW(pattern.c_str(), &entry);
  if (first == INVALID_HANDLE_VALUE) return;
  const FindHandle find(first);
  do {
    const DWORD attributes = entry.dwFileAttributes;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        !IsRunFolderName(entry.cFileName)) {
      continue;
    }
    RemoveRunFolder(temp.get(), temp_path, entry.cFileName);
  } while (::FindNextFileW(find.get(), &entry));
}
