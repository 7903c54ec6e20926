// Text rules shared by the packing tool and the setup program: UTF-8 validity and the names that
// Windows accepts for one file or folder. Portable.
#ifndef BRINDLE_SETUP_WINDOWS_NAMES_H_
#define BRINDLE_SETUP_WINDOWS_NAMES_H_

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

#endif  // BRINDLE_SETUP_WINDOWS_NAMES_H_
