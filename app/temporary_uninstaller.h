// The uninstaller never runs from the install folder it removes: started
// there, it copies itself to the user's temporary folder as "unins000.exe"
// and starts that copy, which recognises itself and shows the uninstall page.
#ifndef BRINDLE_APP_TEMPORARY_UNINSTALLER_H_
#define BRINDLE_APP_TEMPORARY_UNINSTALLER_H_

#include <string>

// `temp_folder` (ending with a backslash, as GetTempFolder gives it) +
// "unins000.exe".
std::wstring TemporaryUninstallerPath(const std::wstring& temp_folder);

// Copies `self` to `target` (silent, overwriting) and starts the copy: with
// the verb "runas" on Windows Vista and later, "open" before. Results are not
// examined; the caller ends the process either way.
void StartTemporaryUninstaller(const std::wstring& self, const std::wstring& target);

#endif  // BRINDLE_APP_TEMPORARY_UNINSTALLER_H_
