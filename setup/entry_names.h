// The rule for names of payload archive entries: which names the install engine extracts. Portable:
// the engine applies it to every entry, and the package reader's fuzz target checks it on the host.
#ifndef BRINDLE_SETUP_ENTRY_NAMES_H_
#define BRINDLE_SETUP_ENTRY_NAMES_H_

#include <string>

// True when the entry name `name` (UTF-16 on Windows, trimmed of white space; a trailing "/"
// marks a folder) names a place inside the folder it is extracted to, as written: not empty, not
// starting with "/" or "\", no ":" (drive letters, stream names), and no component between
// separators ("/" or "\") that ends with a dot or a blank (such as "..", which the platform would
// resolve to a parent), holds one of * ? " < > | or a control character, or is a device name such
// as "NUL" or "com1.txt" (setup/device_names.h).
bool IsSafeEntryName(const std::wstring& name);

#endif  // BRINDLE_SETUP_ENTRY_NAMES_H_
