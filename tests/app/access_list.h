// Test helper: the access list of a file or folder as the system reports it,
// reduced to what the run folder tests ask: whether it is protected from
// inheritance and which accounts it grants what.
//
// Wine (8.0) keeps no access lists: it reports one made from the Unix mode
// bits (full access for the system and the user, read access for Everyone
// unless the mode bits withhold it), takes from a list given at creation only
// what fits into those bits, and passes nothing on to what is created inside.
// Tests check the whole list on Windows and, under Wine, only that Everyone is
// granted nothing.
#ifndef BRINDLE_TESTS_APP_ACCESS_LIST_H_
#define BRINDLE_TESTS_APP_ACCESS_LIST_H_

#include <windows.h>
// clang-format off
#include <aclapi.h>
// clang-format on

#include <cwchar>
#include <memory>
#include <string>
#include <vector>

namespace app_test {

struct AccessEntry {
  std::wstring account;  // "BA", "SY", "WD" or the SID's text
  ACCESS_MASK mask = 0;
  BYTE flags = 0;  // ACE flags (inheritance)
  bool allowed = false;
};

struct AccessList {
  bool read = false;  // the list could be read and exists
  bool is_protected = false;
  std::vector<AccessEntry> entries;
};

inline bool RunsUnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

inline std::wstring AccountOf(PSID sid) {
  const struct {
    WELL_KNOWN_SID_TYPE type;
    const wchar_t* name;
  } known[] = {
      {WinBuiltinAdministratorsSid, L"BA"}, {WinLocalSystemSid, L"SY"}, {WinWorldSid, L"WD"}};
  for (const auto& k : known) {
    BYTE buffer[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof(buffer);
    if (CreateWellKnownSid(k.type, nullptr, buffer, &size) && EqualSid(sid, buffer)) return k.name;
  }
  return L"other";
}

inline AccessList ReadAccessList(const std::wstring& path) {
  AccessList list;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                            nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
    return list;
  }
  const std::unique_ptr<void, decltype(&LocalFree)> owned(descriptor, &LocalFree);
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  if (!dacl || !GetSecurityDescriptorControl(descriptor, &control, &revision)) return list;
  list.read = true;
  list.is_protected = (control & SE_DACL_PROTECTED) != 0;
  for (WORD i = 0; i < dacl->AceCount; ++i) {
    void* raw = nullptr;
    if (!GetAce(dacl, i, &raw)) continue;
    const auto* ace = static_cast<ACCESS_ALLOWED_ACE*>(raw);
    AccessEntry entry;
    entry.allowed = ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE;
    entry.flags = ace->Header.AceFlags;
    entry.mask = ace->Mask;
    entry.account = AccountOf(const_cast<DWORD*>(&ace->SidStart));
    list.entries.push_back(entry);
  }
  return list;
}

// "BA:1f01ff/3;SY:1f01ff/3;" for the allowed entries: account, access mask
// (full access is 1f01ff) and inheritance flags without INHERITED_ACE.
inline std::wstring Describe(const AccessList& list) {
  std::wstring text;
  for (const AccessEntry& entry : list.entries) {
    wchar_t line[64];
    swprintf(line, 64, L"%ls:%lx/%x%ls;", entry.account.c_str(), entry.mask,
             entry.flags & ~INHERITED_ACE, entry.allowed ? L"" : L"(denied)");
    text += line;
  }
  return text;
}

inline bool GrantsEveryone(const AccessList& list) {
  for (const AccessEntry& entry : list.entries) {
    if (entry.allowed && entry.account == L"WD" && entry.mask != 0) return true;
  }
  return false;
}

}  // namespace app_test

#endif  // BRINDLE_TESTS_APP_ACCESS_LIST_H_
