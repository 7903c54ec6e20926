// Test helper: the access list of a file or folder as the system reports it,
// in the text form of security descriptors ("D:P(A;OICI;FA;;;BA)...").
//
// Wine (8.0) keeps no access lists: it reports one made from the Unix mode
// bits (full access for the system and the user, read access for Everyone,
// "WD", unless the mode bits withhold it), takes from a list given at
// creation only what fits into those bits, and passes nothing on to what is
// created inside. Tests check the whole list on Windows and, under Wine, only
// whether Everyone is granted anything.
#ifndef BRINDLE_TESTS_APP_ACCESS_LIST_H_
#define BRINDLE_TESTS_APP_ACCESS_LIST_H_

#include <windows.h>
// clang-format off
#include <aclapi.h>
#include <sddl.h>
// clang-format on

#include <string>

namespace app_test {

inline bool RunsUnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

struct AccessList {
  std::wstring flags;    // "P" when protected from inheritance, "AI", ...
  std::wstring entries;  // "(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)"
};

// Empty when the list cannot be read.
inline AccessList ReadAccessList(const std::wstring& path) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                            nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
    return {};
  }
  LPWSTR text = nullptr;
  ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1,
                                                       DACL_SECURITY_INFORMATION, &text, nullptr);
  LocalFree(descriptor);
  const std::wstring dacl = text ? text : L"";
  LocalFree(text);
  const size_t start = dacl.find(L"D:");
  const size_t first = dacl.find(L'(');
  if (start == std::wstring::npos || first == std::wstring::npos) return {};
  return {dacl.substr(start + 2, first - start - 2), dacl.substr(first)};
}

inline bool GrantsEveryone(const AccessList& list) {
  return list.entries.find(L";;;WD)") != std::wstring::npos;
}

}  // namespace app_test

#endif  // BRINDLE_TESTS_APP_ACCESS_LIST_H_
