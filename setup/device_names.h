// The names that Windows takes for devices instead of files, in any folder:
// CON, PRN, AUX, NUL, COM1 to COM9 and LPT1 to LPT9, in any case, alone or
// followed by an extension ("nul.txt", "com1.tar.gz"). Opening such a path
// opens the device, so a file of that name can be neither written nor read.
// Portable: the packing tool and the install engine apply the same rule.
#pragma once

#include <string_view>

namespace device_names_detail {

template <typename Char>
Char AsciiUpper(Char c) {
  return c >= 'a' && c <= 'z' ? static_cast<Char>(c - 'a' + 'A') : c;
}

template <typename Char>
bool EqualsUpper(std::basic_string_view<Char> text, const char* upper) {
  size_t i = 0;
  for (; upper[i] != '\0'; ++i) {
    if (i == text.size() || AsciiUpper(text[i]) != static_cast<Char>(upper[i])) return false;
  }
  return i == text.size();
}

}  // namespace device_names_detail

// True when `name`, one path component without separators, is a device name.
// The part before the first dot counts, with its trailing spaces ignored, as
// Windows ignores them.
template <typename Char>
bool IsReservedDeviceName(std::basic_string_view<Char> name) {
  using device_names_detail::AsciiUpper;
  using device_names_detail::EqualsUpper;
  std::basic_string_view<Char> stem = name.substr(0, name.find(static_cast<Char>('.')));
  while (!stem.empty() && stem.back() == static_cast<Char>(' ')) stem.remove_suffix(1);
  for (const char* device : {"CON", "PRN", "AUX", "NUL"}) {
    if (EqualsUpper(stem, device)) return true;
  }
  if (stem.size() != 4 || stem[3] < '1' || stem[3] > '9') return false;
  const std::basic_string_view<Char> prefix = stem.substr(0, 3);
  return EqualsUpper(prefix, "COM") || EqualsUpper(prefix, "LPT");
}
