#include "setup/write_access.h"

#include <cstring>

namespace {

// Every right that changes an object or what it holds: writing or
// appending data (adding files and folders to a folder), extended
// attributes and attributes, deleting a folder's entries, deleting or
// renaming the object, changing its access list or owner, and the generic
// rights that include any of them.
constexpr ACCESS_MASK kChangingRights =
    FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_DELETE_CHILD | FILE_WRITE_ATTRIBUTES |
    DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL | MAXIMUM_ALLOWED;

// NT SERVICE\TrustedInstaller.
constexpr DWORD kTrustedInstallerRids[] = {80,         956008885,  3418522649,
                                           1831038044, 1853292631, 2271478464};

bool IsTrustedInstaller(PSID sid) {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  const PSID_IDENTIFIER_AUTHORITY authority = GetSidIdentifierAuthority(sid);
  constexpr BYTE kCount = sizeof kTrustedInstallerRids / sizeof kTrustedInstallerRids[0];
  if (!authority || memcmp(authority, &nt, sizeof nt) != 0 ||
      *GetSidSubAuthorityCount(sid) != kCount) {
    return false;
  }
  for (BYTE i = 0; i < kCount; ++i) {
    if (*GetSidSubAuthority(sid, i) != kTrustedInstallerRids[i]) return false;
  }
  return true;
}

bool IsTrustedSid(PSID sid, PSID also_trusted) {
  if (!sid || !IsValidSid(sid)) return false;
  return IsWellKnownSid(sid, WinBuiltinAdministratorsSid) ||
         IsWellKnownSid(sid, WinLocalSystemSid) || IsTrustedInstaller(sid) ||
         (also_trusted && IsValidSid(also_trusted) && EqualSid(sid, also_trusted));
}

// The judgement of one access list entry.
WriteTrust JudgeEntry(const ACE_HEADER* header, PSID also_trusted) {
  if (header->AceFlags & INHERIT_ONLY_ACE) return WriteTrust::kTrusted;
  switch (header->AceType) {
    case ACCESS_DENIED_ACE_TYPE:
    case ACCESS_DENIED_OBJECT_ACE_TYPE:
    case ACCESS_DENIED_CALLBACK_ACE_TYPE:
    case ACCESS_DENIED_CALLBACK_OBJECT_ACE_TYPE:
    case SYSTEM_AUDIT_ACE_TYPE:
    case SYSTEM_ALARM_ACE_TYPE:
    case SYSTEM_MANDATORY_LABEL_ACE_TYPE:
      return WriteTrust::kTrusted;
    case ACCESS_ALLOWED_ACE_TYPE:
    case ACCESS_ALLOWED_CALLBACK_ACE_TYPE: {
      // Both begin with the header, the mask and the SID.
      const auto* entry = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
      if (!(entry->Mask & kChangingRights)) return WriteTrust::kTrusted;
      const PSID sid = const_cast<DWORD*>(&entry->SidStart);
      return IsTrustedSid(sid, also_trusted) ? WriteTrust::kTrusted : WriteTrust::kOtherWriter;
    }
    default: {
      // Object entries and kinds this code does not read: only one granting
      // no changing right at all passes.
      if (header->AceSize < sizeof(ACE_HEADER) + sizeof(ACCESS_MASK))
        return WriteTrust::kUnknownEntry;
      const auto* mask = reinterpret_cast<const ACCESS_MASK*>(header + 1);
      return (*mask & kChangingRights) ? WriteTrust::kUnknownEntry : WriteTrust::kTrusted;
    }
  }
}

}  // namespace

WriteTrust JudgeWriteAccess(PSECURITY_DESCRIPTOR descriptor, PSID also_trusted) {
  if (!descriptor || !IsValidSecurityDescriptor(descriptor)) return WriteTrust::kNoDescriptor;
  PSID owner = nullptr;
  BOOL owner_defaulted = FALSE;
  if (!GetSecurityDescriptorOwner(descriptor, &owner, &owner_defaulted) ||
      !IsTrustedSid(owner, also_trusted)) {
    return WriteTrust::kOtherOwner;
  }
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL dacl = nullptr;
  if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) || !present || !dacl) {
    return WriteTrust::kNoAccessList;
  }
  for (DWORD index = 0; index < dacl->AceCount; ++index) {
    void* entry = nullptr;
    if (!GetAce(dacl, index, &entry)) return WriteTrust::kUnknownEntry;
    const WriteTrust trust = JudgeEntry(static_cast<const ACE_HEADER*>(entry), also_trusted);
    if (trust != WriteTrust::kTrusted) return trust;
  }
  return WriteTrust::kTrusted;
}

const wchar_t* WriteTrustText(WriteTrust trust) {
  switch (trust) {
    case WriteTrust::kTrusted:
      return L"trusted";
    case WriteTrust::kNoDescriptor:
      return L"no security descriptor";
    case WriteTrust::kOtherOwner:
      return L"owned by an untrusted user";
    case WriteTrust::kNoAccessList:
      return L"no access list (everybody may write)";
    case WriteTrust::kOtherWriter:
      return L"an untrusted user may change it";
    case WriteTrust::kUnknownEntry:
      return L"an access list entry that may grant changes";
  }
  return L"unknown";
}
