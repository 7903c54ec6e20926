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

// Starts `program` with `arguments` (the shell's "open"); the started process
// in `started`, empty when the start failed.
void StartProgram(const std::wstring& program, const std::wstring& arguments,
                  UniqueHandle& started);

// Where the installed uninstaller waits, moved out of the install folder,
// while its temporary copy runs: "waiting-uninstaller-<process_id>.exe" in a
// new run folder made with `protect` (an elevated uninstall: only
// Administrators and SYSTEM may write there, and the folder is held open in
// `held_folder`), or directly in `temp_folder` without it (a per-user
// uninstall, whose installed uninstaller nothing elevated starts). Empty when
// no protected run folder can be made.
std::wstring WaitingUninstallerPath(const std::wstring& temp_folder, bool protect,
                                    unsigned long process_id, UniqueHandle& held_folder);

// Moves the waiting uninstaller `waiting` back to `home` only when it holds
// exactly `moved_bytes` (what was moved out): checked and renamed through one
// handle that shares only reading, so that nothing changes it in between.
// True when it was moved back; otherwise nothing is moved.
bool ReturnWaitingUninstaller(const std::wstring& waiting, const std::wstring& home,
                              const std::string& moved_bytes);

#endif  // BRINDLE_APP_TEMPORARY_UNINSTALLER_H_
