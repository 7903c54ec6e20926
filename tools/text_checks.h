// Text rules of the packing tool: UTF-8 validity, names that Windows accepts, and the licence
// text as the setup program shows it.
#ifndef BRINDLE_TOOLS_TEXT_CHECKS_H_
#define BRINDLE_TOOLS_TEXT_CHECKS_H_

#include <string>
#include <string_view>

// True when `text` is well-formed UTF-8: no stray continuation bytes, no truncated or overlong
// sequences, no surrogates, nothing beyond U+10FFFF.
bool IsValidUtf8(std::string_view text);

// Why Windows would refuse `name` as one file or folder name, or empty when it accepts it: empty
// names, "." and "..", the characters \ / : * ? " < > | and control characters, a trailing dot
// or space, and the reserved device names (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or without
// an extension, in any case). `name` must be valid UTF-8.
std::string WindowsNameProblem(std::string_view name);

// Turns the bytes of a licence file into the text the setup program shows: UTF-8 without a byte
// order mark, every line break (LF, CR or CR LF) as CR LF. Returns false with `problem` set when
// the bytes are UTF-16 or UTF-32 (a byte order mark), not valid UTF-8, or hold a zero byte.
bool NormaliseLicenceText(std::string_view bytes, std::string& text, std::string& problem);

#endif  // BRINDLE_TOOLS_TEXT_CHECKS_H_
