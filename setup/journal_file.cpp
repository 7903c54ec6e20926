#include "setup/journal_file.h"

#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include <vector>

#include "setup/file_utils.h"
#include "setup/paths.h"

namespace {

constexpr wchar_t kJournalFileName[] = L"run.journal";

// Owner Administrators; a protected list (nothing inherited from
// ProgramData, which lets users create files): full access for SYSTEM and
// Administrators, inherited by files and folders below.
constexpr wchar_t kFolderSecurity[] = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
constexpr wchar_t kFileSecurity[] = L"O:BAD:P(A;;FA;;;SY)(A;;FA;;;BA)";

// A security descriptor made from SDDL text, freed with LocalFree.
class SecurityDescriptor {
 public:
  explicit SecurityDescriptor(const wchar_t* sddl) {
    ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor_,
                                                         nullptr);
  }
  ~SecurityDescriptor() {
    if (descriptor_) LocalFree(descriptor_);
  }
  SecurityDescriptor(const SecurityDescriptor&) = delete;
  SecurityDescriptor& operator=(const SecurityDescriptor&) = delete;

  PSECURITY_DESCRIPTOR get() const { return descriptor_; }
  PACL Dacl() const {
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = nullptr;
    if (!descriptor_ || !GetSecurityDescriptorDacl(descriptor_, &present, &dacl, &defaulted)) {
      return nullptr;
    }
    return present ? dacl : nullptr;
  }

 private:
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
};

bool IsPlainFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Wine (8.0) gives every file and folder the process's user as owner,
// whatever the security descriptor asks, and checks no access list (every
// process there has an administrator token).
bool RunsOnWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// True when `sid` is the user of this process's token.
bool IsProcessUser(PSID sid) {
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return false;
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  if (size == 0 || !GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) {
    return false;
  }
  return EqualSid(sid, reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid) != 0;
}

// True when `path` is owned by Administrators or SYSTEM, the only owners
// that a standard user cannot be. Under Wine, where no other owner is
// recorded, the process's own user counts as well.
bool HasTrustedOwner(const std::wstring& path) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner,
                            nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  const bool trusted =
      owner && (IsWellKnownSid(owner, WinBuiltinAdministratorsSid) ||
                IsWellKnownSid(owner, WinLocalSystemSid) || (RunsOnWine() && IsProcessUser(owner)));
  LocalFree(descriptor);
  return trusted;
}

// Creates the folder `path` with the protected list, or sets that list on
// the folder already there. True when it is then a folder (not a link) that
// Administrators or SYSTEM own.
bool MakeProtectedFolder(const std::wstring& path) {
  const SecurityDescriptor security(kFolderSecurity);
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, security.get(), FALSE};
  if (!CreateDirectoryW(path.c_str(), &attributes) && GetLastError() != ERROR_ALREADY_EXISTS) {
    return false;
  }
  if (!IsPlainFolder(path) || !HasTrustedOwner(path)) return false;
  // An existing folder may carry the inherited list of ProgramData.
  return SetNamedSecurityInfoW(const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT,
                               DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                               nullptr, nullptr, security.Dacl(), nullptr) == ERROR_SUCCESS;
}

// The levels of the journal folder of `product_id`, outermost first.
std::vector<std::wstring> FolderLevels(const std::wstring& product_id) {
  const std::wstring data = GetSpecialFolder(CSIDL_COMMON_APPDATA);
  if (data.empty() || product_id.empty()) return {};
  const std::wstring brindle = data + L"\\Brindle";
  return {brindle, brindle + L"\\journal", brindle + L"\\journal\\" + product_id};
}

// The journal file's path when every level of its folder is plain and
// trusted; empty otherwise.
std::wstring TrustedJournalPath(const std::wstring& product_id) {
  const std::vector<std::wstring> levels = FolderLevels(product_id);
  if (levels.empty()) return std::wstring();
  for (const std::wstring& level : levels) {
    if (!IsPlainFolder(level) || !HasTrustedOwner(level)) return std::wstring();
  }
  return levels.back() + L"\\" + kJournalFileName;
}

DWORD WriteAll(HANDLE file, const std::string& bytes) {
  DWORD written = 0;
  if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
    return GetLastError();
  }
  return written == bytes.size() ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
}

}  // namespace

std::wstring JournalFolderOf(const std::wstring& product_id) {
  const std::vector<std::wstring> levels = FolderLevels(product_id);
  return levels.empty() ? std::wstring() : levels.back();
}

DWORD JournalFile::Create(const std::wstring& product_id) {
  const std::vector<std::wstring> levels = FolderLevels(product_id);
  if (levels.empty()) return ERROR_PATH_NOT_FOUND;
  for (const std::wstring& level : levels) {
    if (!MakeProtectedFolder(level)) return ERROR_ACCESS_DENIED;
  }
  path_ = levels.back() + L"\\" + kJournalFileName;
  const SecurityDescriptor security(kFileSecurity);
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, security.get(), FALSE};
  // A file of the same name that is not ours (no trusted owner) is replaced,
  // not appended to.
  DeleteFileW(path_.c_str());
  file_.reset(CreateFileW(path_.c_str(), GENERIC_WRITE, 0, &attributes, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
  if (!file_) return GetLastError();
  const DWORD error = WriteAll(file_.get(), JournalHeader());
  if (error != ERROR_SUCCESS) return error;
  return FlushFileBuffers(file_.get()) ? ERROR_SUCCESS : GetLastError();
}

DWORD JournalFile::Append(const std::vector<JournalRecord>& records) {
  if (!file_) return ERROR_INVALID_HANDLE;
  std::string bytes;
  for (const JournalRecord& record : records) bytes += EncodeJournalRecord(record);
  const DWORD error = WriteAll(file_.get(), bytes);
  if (error != ERROR_SUCCESS) return error;
  return FlushFileBuffers(file_.get()) ? ERROR_SUCCESS : GetLastError();
}

void JournalFile::Remove() {
  if (!file_) return;
  file_.reset();
  DeleteFileW(path_.c_str());
}

bool ReadTrustedJournal(const std::wstring& product_id, std::string& bytes) {
  const std::wstring path = TrustedJournalPath(product_id);
  if (path.empty() || GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
  return HasTrustedOwner(path) && ReadWholeFile(path, bytes);
}

void DeleteJournal(const std::wstring& product_id) {
  const std::wstring folder = JournalFolderOf(product_id);
  if (!folder.empty()) DeleteFileW((folder + L"\\" + kJournalFileName).c_str());
}
