// Text rules of the packing tool: the licence text as the setup program shows it (UTF-8
// validity and the names that Windows accepts are in setup/windows_names.h).
#ifndef BRINDLE_TOOLS_TEXT_CHECKS_H_
#define BRINDLE_TOOLS_TEXT_CHECKS_H_

#include <string>
#include <string_view>

#include "setup/windows_names.h"

// Turns the bytes of a licence file into the text the setup program shows: UTF-8 without a byte
// order mark, every line break (LF, CR or CR LF) as CR LF. Returns false with `problem` set when
// the bytes are UTF-16 or UTF-32 (a byte order mark), not valid UTF-8, or hold a zero byte.
bool NormaliseLicenceText(std::string_view bytes, std::string& text, std::string& problem);

// `name` (valid UTF-8) with its letters in upper case as far as Windows' file names ignore case:
// ASCII, Latin-1, Greek and Cyrillic letters. Two names that fold equal name one file.
std::string FoldNameCase(std::string_view name);

#endif  // BRINDLE_TOOLS_TEXT_CHECKS_H_
