#include "setup/number_text.h"

namespace {

void AppendDecimal(long value, std::wstring& out) {
  // The magnitude as unsigned: -LONG_MIN does not fit in a long.
  unsigned long magnitude = static_cast<unsigned long>(value);
  if (value < 0) {
    out += L'-';
    magnitude = 0UL - magnitude;
  }
  wchar_t digits[24];
  size_t count = 0;
  do {
    digits[count++] = static_cast<wchar_t>(L'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  while (count > 0) out += digits[--count];
}

}  // namespace

std::wstring FormatLong(const wchar_t* format, long value) {
  std::wstring out;
  if (format == nullptr) return out;
  for (const wchar_t* p = format; *p != L'\0'; ++p) {
    if (p[0] == L'%' && p[1] == L'%') {
      out += L'%';
      ++p;
    } else if (p[0] == L'%' && p[1] == L'l' && p[2] == L'd') {
      AppendDecimal(value, out);
      p += 2;
    } else {
      out += *p;
    }
  }
  return out;
}
