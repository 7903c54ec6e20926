#include "setup/journal_file.h"

#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include <vector>

#include "setup/file_utils.h"
#include "setup/number_text.h"
#include "setup/paths.h"
#include "setup/process_rights.h"
#include "setup/write_access.h"

namespace {

constexpr wchar_t kJournalFileName[] = L"run.journal";

// The admin area: owner Administrators; a protected list (nothing inherited
// from ProgramData, which lets users create folders): full access for SYSTEM
// and Administrators, inherited by files and folders below.
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

// Wine (8.0) gives every file and folder the process's user as owner and
// an access list made from the Unix mode bits (full access for that user),
// whatever the security descriptor asks, and checks no access list: there
// the process's user counts as trusted in the admin area too.
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

// The journal area of one product and scope in this process.
struct JournalArea {
  std::vector<std::wstring> levels;  // outermost ("...\Brindle") first; empty: none
  bool admin = false;                // the admin area (see the header)
  std::vector<BYTE> user;            // this process's TOKEN_USER

  // Who besides Administrators, SYSTEM and TrustedInstaller may change it.
  PSID AlsoTrusted() { return !admin || RunsOnWine() ? SidOf(user) : nullptr; }
};

// The area of `product_id` (empty: the area's root levels only).
JournalArea AreaOf(const std::wstring& product_id, InstallScope scope) {
  JournalArea area;
  area.user = ProcessUser();
  area.admin = scope == InstallScope::kMachine || RunsAsAdministrator();
  const std::wstring data =
      GetSpecialFolder(area.admin ? CSIDL_COMMON_APPDATA : CSIDL_LOCAL_APPDATA);
  if (data.empty()) return area;
  const std::wstring brindle = data + L"\\Brindle";
  area.levels = {brindle, brindle + L"\\journal"};
  if (product_id.empty()) return area;
  area.levels.push_back(area.levels.back() + L"\\" + product_id);
  if (area.admin && scope == InstallScope::kUser) {
    wchar_t* sid = nullptr;
    if (!SidOf(area.user) || !ConvertSidToStringSidW(SidOf(area.user), &sid)) {
      area.levels.clear();
      return area;
    }
    area.levels.push_back(area.levels.back() + L"\\" + sid);
    LocalFree(sid);
  }
  return area;
}

// The access lists of the area's folders and file (see the header).
struct JournalSecurity {
  std::wstring folder;
  std::wstring file;
};

JournalSecurity SecurityFor(JournalArea& area) {
  wchar_t* sid = nullptr;
  if (area.admin || !ConvertSidToStringSidW(SidOf(area.user), &sid)) {
    return {kFolderSecurity, kFileSecurity};
  }
  const std::wstring ace = std::wstring(L";;;") + sid + L")";
  LocalFree(sid);
  return {L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA" + ace,
          L"D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;FA" + ace};
}

// Owns what the security functions return for LocalFree.
struct LocalDescriptor {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ~LocalDescriptor() { LocalFree(descriptor); }
};

constexpr SECURITY_INFORMATION kOwnerAndList =
    OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;

WriteTrust JudgePath(const std::wstring& path, JournalArea& area) {
  LocalDescriptor held;
  if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, kOwnerAndList, nullptr, nullptr, nullptr,
                            nullptr, &held.descriptor) != ERROR_SUCCESS) {
    return WriteTrust::kNoDescriptor;
  }
  return JudgeWriteAccess(held.descriptor, area.AlsoTrusted());
}

// The same for the file open in `file`: what is read through that handle is
// what the judgement saw, whatever is renamed meanwhile.
WriteTrust JudgeHandle(HANDLE file, JournalArea& area) {
  LocalDescriptor held;
  if (GetSecurityInfo(file, SE_FILE_OBJECT, kOwnerAndList, nullptr, nullptr, nullptr, nullptr,
                      &held.descriptor) != ERROR_SUCCESS) {
    return WriteTrust::kNoDescriptor;
  }
  return JudgeWriteAccess(held.descriptor, area.AlsoTrusted());
}

// Why the existing level `path` is not trusted; empty when it is.
std::wstring LevelProblem(const std::wstring& path, JournalArea& area) {
  if (!IsPlainFolder(path)) return path + L": a link or not a folder";
  const WriteTrust trust = JudgePath(path, area);
  return trust == WriteTrust::kTrusted ? std::wstring() : path + L": " + WriteTrustText(trust);
}

// True when the user's own area level `path` has another owner than the
// process's user: an earlier run with administrator rights made it.
bool OwnedByAnother(const std::wstring& path, JournalArea& area) {
  LocalDescriptor held;
  PSID owner = nullptr;
  if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner,
                            nullptr, nullptr, nullptr, &held.descriptor) != ERROR_SUCCESS) {
    return false;
  }
  return owner && SidOf(area.user) && !EqualSid(owner, SidOf(area.user));
}

// Makes the level `path` of `area`, or takes the one there. True when it is
// then a plain, trusted folder that this process may use.
bool MakeLevel(const std::wstring& path, JournalArea& area) {
  const SecurityDescriptor security(SecurityFor(area).folder.c_str());
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, security.get(), FALSE};
  if (CreateDirectoryW(path.c_str(), &attributes)) return LevelProblem(path, area).empty();
  if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  if (!area.admin && IsPlainFolder(path) && OwnedByAnother(path, area)) {
    // Not this user's to change: kept under another name, and made anew.
    const std::wstring aside =
        path + L".elevated-" + FormatLong(L"%ld", static_cast<long>(GetTickCount()));
    if (!MoveFileExW(path.c_str(), aside.c_str(), 0) ||
        !CreateDirectoryW(path.c_str(), &attributes)) {
      return false;
    }
  }
  return LevelProblem(path, area).empty();
}

// The journal file's path when every level of its folder is plain and
// trusted; empty otherwise.
std::wstring TrustedJournalPath(JournalArea& area) {
  if (area.levels.empty()) return std::wstring();
  for (const std::wstring& level : area.levels) {
    if (!LevelProblem(level, area).empty()) return std::wstring();
  }
  return area.levels.back() + L"\\" + kJournalFileName;
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
  if (product_id.empty()) return std::wstring();
  const JournalArea area = AreaOf(product_id, scope);
  return area.levels.empty() ? std::wstring() : area.levels.back();
}

std::wstring TrustedJournalRoot(InstallScope scope) {
  JournalArea area = AreaOf(std::wstring(), scope);
  if (area.levels.empty()) return std::wstring();
  for (const std::wstring& level : area.levels) {
    if (!MakeLevel(level, area)) return std::wstring();
  }
  return area.levels.back();
}

DWORD JournalFile::Create(const std::wstring& product_id, InstallScope scope) {
  JournalArea area = AreaOf(product_id, scope);
  if (product_id.empty() || area.levels.empty()) return ERROR_PATH_NOT_FOUND;
  for (const std::wstring& level : area.levels) {
    if (!MakeLevel(level, area)) return ERROR_ACCESS_DENIED;
  }
  path_ = area.levels.back() + L"\\" + kJournalFileName;
  const SecurityDescriptor security(SecurityFor(area).file.c_str());
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, security.get(), FALSE};
  // A file of the same name in the trusted folder is an earlier run's: it is
  // replaced, not appended to.
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
  JournalArea area = AreaOf(product_id, scope);
  const std::wstring path = TrustedJournalPath(area);
  if (path.empty()) return false;
  // Opened without following a link, and judged and read through the handle.
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ | READ_CONTROL, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION info = {};
  return file && GetFileInformationByHandle(file.get(), &info) &&
         !(info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) &&
         JudgeHandle(file.get(), area) == WriteTrust::kTrusted && ReadOpenFile(file.get(), bytes);
}

void DeleteJournal(const std::wstring& product_id, InstallScope scope) {
  JournalArea area = AreaOf(product_id, scope);
  const std::wstring path = TrustedJournalPath(area);
  if (!path.empty()) DeleteFileW(path.c_str());
}

std::wstring JournalTrustProblem(const std::wstring& product_id, InstallScope scope) {
  JournalArea area = AreaOf(product_id, scope);
  for (const std::wstring& level : area.levels) {
    if (GetFileAttributesW(level.c_str()) == INVALID_FILE_ATTRIBUTES) return std::wstring();
    const std::wstring problem = LevelProblem(level, area);
    if (!problem.empty()) return problem;
  }
  if (area.levels.empty()) return std::wstring();
  const std::wstring file = area.levels.back() + L"\\" + kJournalFileName;
  if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) return std::wstring();
  const WriteTrust trust = JudgePath(file, area);
  return trust == WriteTrust::kTrusted ? std::wstring() : file + L": " + WriteTrustText(trust);
}
