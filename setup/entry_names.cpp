#include "setup/entry_names.h"

#include <cwchar>
#include <string_view>

#include "setup/device_names.h"

namespace {

// A component between separators that Windows would not take as written: one
// ending with a dot or a blank (it strips them, and resolves ".." and its
// like to a parent), one holding a wildcard, a quote, a pipe or a control
// character (the shell would expand or refuse them), or a device name. An
// empty component (a doubled or final separator) is harmless.
bool IsUnsafeComponent(std::wstring_view component) {
  if (component.empty()) return false;
  if (component.back() == L'.' || component.back() == L' ') return true;
  for (wchar_t c : component) {
    if (c < 0x20 || c == 0x7F || wcschr(L"*?\"<>|", c)) return true;
  }
  return IsReservedDeviceName(component);
}

}  // namespace

bool IsSafeEntryName(const std::wstring& name) {
  if (name.empty() || name[0] == L'/' || name[0] == L'\\') return false;
  if (name.find(L':') != std::wstring::npos) return false;
  size_t begin = 0;
  while (begin <= name.size()) {
    size_t end = name.find_first_of(L"/\\", begin);
    if (end == std::wstring::npos) end = name.size();
    if (IsUnsafeComponent(std::wstring_view(name).substr(begin, end - begin))) return false;
    begin = end + 1;
  }
  return true;
}
