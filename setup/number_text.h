// Texts with one number, as the engines' step texts ("正在复制文件: %ld%%") need them: the part
// of printf's formatting that they use, without the C library's printf family, which would
// bring about 11 KB of wide formatting code into the program for these texts alone.
// Portable: no Win32.
#pragma once

#include <string>

// `format` with every "%ld" replaced by the decimal digits of `value` (with a minus sign when it
// is negative) and every "%%" by one "%"; every other character, a "%" before anything else
// included, is copied unchanged. A null `format` gives an empty text.
std::wstring FormatLong(const wchar_t* format, long value);
