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

// The TOKEN_USER of this process's token; empty when it cannot be read.
std::vector<BYTE> ProcessUser() {
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return {};
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  if (size == 0 || !GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) {
    return {};
  }
  return buffer;
}

PSID SidOf(std::vector<BYTE>& token_user) {
  return token_user.empty() ? nullptr : reinterpret_cast<TOKEN_USER*>(token_user.data())->User.Sid;
}

// True when this process runs with the elevated token of an administrator
// whose programs otherwise run without it: those programs must not be able
// to steer what this process does.
bool RunsElevated() {
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return false;
  TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
  DWORD size = 0;
  return GetTokenInformation(token.get(), TokenElevationType, &type, sizeof type, &size) &&
         type == TokenElevationTypeFull;
}

// Whether the process's own user may own and write the journal of `scope`.
bool UserMayWrite(InstallScope scope) { return scope == InstallScope::kUser && !RunsElevated(); }

// The access lists of the journal's folders and file for `scope` in this
// process (see the header).
struct JournalSecurity {
  std::wstring folder;
  std::wstring file;
};

JournalSecurity SecurityFor(InstallScope scope) {
  std::vector<BYTE> user = ProcessUser();
  wchar_t* sid = nullptr;
  if (!UserMayWrite(scope) || !ConvertSidToStringSidW(SidOf(user), &sid)) {
    return {kFolderSecurity, kFileSecurity};
  }
  const std::wstring ace = std::wstring(L";;;") + sid + L")";
  LocalFree(sid);
  return {L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA" + ace,
          L"D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;FA" + ace};
}

// True when `owner` is Administrators or SYSTEM, the only owners that a
// standard user cannot be, or the process's user where UserMayWrite(`scope`).
// Under Wine, where no other owner is recorded, the process's own user
// counts as well.
bool IsTrustedOwner(PSID owner, InstallScope scope) {
  if (!owner) return false;
  if (IsWellKnownSid(owner, WinBuiltinAdministratorsSid) ||
      IsWellKnownSid(owner, WinLocalSystemSid)) {
    return true;
  }
  std::vector<BYTE> user = ProcessUser();
  return (UserMayWrite(scope) || RunsOnWine()) && SidOf(user) && EqualSid(owner, SidOf(user));
}

bool HasTrustedOwner(const std::wstring& path, InstallScope scope) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner,
                            nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  const bool trusted = IsTrustedOwner(owner, scope);
  LocalFree(descriptor);
  return trusted;
}

// The same for the file open in `file`: what is read through that handle is
// what the check saw, whatever is renamed meanwhile.
bool HasTrustedOwner(HANDLE file, InstallScope scope) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                      nullptr, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  const bool trusted = IsTrustedOwner(owner, scope);
  LocalFree(descriptor);
  return trusted;
}

// Creates the folder `path` with the protected list, or sets that list on
// the folder already there. True when it is then a folder (not a link) that
// Administrators or SYSTEM own.
bool MakeProtectedFolder(const std::wstring& path, InstallScope scope) {
  const SecurityDescriptor security(SecurityFor(scope).folder.c_str());
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, security.get(), FALSE};
  if (!CreateDirectoryW(path.c_str(), &attributes) && GetLastError() != ERROR_ALREADY_EXISTS) {
    return false;
  }
  if (!IsPlainFolder(path) || !HasTrustedOwner(path, scope)) return false;
  // An existing folder may carry the inherited list of its parent.
  return SetNamedSecurityInfoW(const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT,
                               DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                               nullptr, nullptr, security.Dacl(), nullptr) == ERROR_SUCCESS;
}

// The levels of the journal folder of `product_id`, outermost first.
std::vector<std::wstring> FolderLevels(const std::wstring& product_id, InstallScope scope) {
  const std::wstring data =
      GetSpecialFolder(scope == InstallScope::kUser ? CSIDL_LOCAL_APPDATA : CSIDL_COMMON_APPDATA);
  if (data.empty() || product_id.empty()) return {};
  const std::wstring brindle = data + L"\\Brindle";
  return {brindle, brindle + L"\\journal", brindle + L"\\journal\\" + product_id};
}

// The journal file's path when every level of its folder is plain and
// trusted; empty otherwise.
std::wstring TrustedJournalPath(const std::wstring& product_id, InstallScope scope) {
  const std::vector<std::wstring> levels = FolderLevels(product_id, scope);
  if (levels.empty()) return std::wstring();
  for (const std::wstring& level : levels) {
    if (!IsPlainFolder(level) || !HasTrustedOwner(level, scope)) return std::wstring();
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

std::wstring JournalFolderOf(const std::wstring& product_id, InstallScope scope) {
  const std::vector<std::wstring> levels = FolderLevels(product_id, scope);
  return levels.empty() ? std::wstring() : levels.back();
}

DWORD JournalFile::Create(const std::wstring& product_id, InstallScope scope) {
  const std::vector<std::wstring> levels = FolderLevels(product_id, scope);
  if (levels.empty()) return ERROR_PATH_NOT_FOUND;
  for (const std::wstring& level : levels) {
    if (!MakeProtectedFolder(level, scope)) return ERROR_ACCESS_DENIED;
  }
  path_ = levels.back() + L"\\" + kJournalFileName;
  const SecurityDescriptor security(SecurityFor(scope).file.c_str());
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

bool ReadTrustedJournal(const std::wstring& product_id, InstallScope scope, std::string& bytes) {
  const std::wstring path = TrustedJournalPath(product_id, scope);
  if (path.empty()) return false;
  // Opened without following a link, and checked and read through the handle.
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ | READ_CONTROL, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION info = {};
  return file && GetFileInformationByHandle(file.get(), &info) &&
         !(info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) &&
         HasTrustedOwner(file.get(), scope) && ReadOpenFile(file.get(), bytes);
}

void DeleteJournal(const std::wstring& product_id, InstallScope scope) {
  const std::wstring folder = JournalFolderOf(product_id, scope);
  if (!folder.empty()) DeleteFileW((folder + L"\\" + kJournalFileName).c_str());
}
