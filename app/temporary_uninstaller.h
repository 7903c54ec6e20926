// The uninstaller never runs from the install folder it removes: started
// there, it copies itself to the user's temporary folder as "unins000.exe"
// and starts that copy, which recognises itself and shows the uninstall page.
#ifndef BRINDLE_APP_TEMPORARY_UNINSTALLER_H_
#define BRINDLE_APP_TEMPORARY_UNINSTALLER_H_

#include <string>

// `temp_folder` (ending with a backslash, as GetTempFolder gives it) +
// "unins000.exe".
std::wstring TemporaryUninstallerPath(const std::wstring& temp_folder);

// `path` as a full path (GetFullPathNameW) with every existing part in its
// long form (GetLongPathNameW): a path given with 8.3 short names, forward
// slashes, "." or ".." names the same text as its plain long form. A missing
// file keeps its own name after its (long) folder. Empty for an empty path.
std::wstring NormalizePath(const std::wstring& path);

// True when both paths name the same file: their normalised forms compare
// equal without regard to case (ordinal, as the file system compares names).
bool IsSamePath(const std::wstring& first, const std::wstring& second);

// Copies `self` to `target` (silent, overwriting) and starts the copy: with
// the verb "runas" on Windows Vista and later, "open" before. Results are not
// examined; the caller ends the process either way.
void StartTemporaryUninstaller(const std::wstring& self, const std::wstring& target);

#endif  // BRINDLE_APP_TEMPORARY_UNINSTALLER_H_
