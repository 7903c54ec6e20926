// The uninstaller never runs from the install folder it removes: started
// there, it copies itself as "unins000.exe" into a run folder made for this
// run in the user's temporary folder (run_folder.h) and starts exactly that
// copy, which recognises itself by its place and shows the uninstall page.
// The copy cannot remove itself while it runs: the copy and its folder are
// scheduled for removal when the system restarts, and the next uninstaller
// removes what earlier runs left where it may.
#ifndef BRINDLE_APP_TEMPORARY_UNINSTALLER_H_
#define BRINDLE_APP_TEMPORARY_UNINSTALLER_H_

#include <string>

#include "setup/win_handles.h"

// True when `self` is the uninstaller copy of a run folder directly in
// `temp_folder` (as GetTempFolder gives it): <temp_folder>\unins-<32
// hexadecimal digits>\unins000.exe, the paths compared in their normalised
// forms without regard to case. False for an empty temporary folder.
bool IsTemporaryUninstaller(const std::wstring& self, const std::wstring& temp_folder);

// Makes the temporary uninstaller from `self` (the running uninstaller) and
// starts it: removes what earlier runs left in `temp_folder`, creates a new
// run folder there (protected when this process runs as administrator),
// copies `self` into it and checks that the copy holds exactly its bytes,
// schedules the copy and the folder for removal at the next restart
// (MoveFileExW; needs administrator rights, otherwise a later run removes
// them), and starts exactly that copy with the verb "open", so that it runs
// with this process's rights (an uninstaller that needs administrator rights
// has them before it gets here), with `arguments` (this process's, passed on
// in full); `started` receives the started process, empty when the start
// failed. A signed uninstaller's record file `record` (empty: none) is copied
// beside the copy as "unins000.dat" and checked the same way. Folder and
// copies are held open until the start,
// so that nothing renames or swaps them meanwhile. Returns false, having
// started nothing and removed what it made, when `temp_folder` is empty, no
// run folder can be made or the copy fails or differs; whether the started
// program runs is not examined.
bool StartTemporaryUninstaller(const std::wstring& self, const std::wstring& temp_folder,
                               const std::wstring& arguments, UniqueHandle& started,
                               const std::wstring& record = std::wstring());

#endif  // BRINDLE_APP_TEMPORARY_UNINSTALLER_H_
