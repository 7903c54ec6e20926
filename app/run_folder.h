// The folders the temporary uninstaller copy runs from: one per run, made new
// in the user's temporary folder under a name nobody can predict,
//   <temporary folder>\unins-<32 hexadecimal digits>
// A process with administrator rights makes it with an access list that lets
// only the Administrators group and the system write into it, so that a
// program of the same user running without those rights can neither place a
// file there nor swap one. Paths are full paths; the temporary folder ends
// with a backslash.
#ifndef BRINDLE_APP_RUN_FOLDER_H_
#define BRINDLE_APP_RUN_FOLDER_H_

#include <string>

#include "setup/win_handles.h"

// What every run folder's name begins with; 32 hexadecimal digits follow.
inline constexpr wchar_t kRunFolderPrefix[] = L"unins-";
inline constexpr size_t kRunFolderDigits = 32;

// Access list of a protected run folder, inherited by what is created in it:
// full access for the Administrators group and the system, nothing for
// anyone else, nothing inherited from the temporary folder.
inline constexpr wchar_t kProtectedRunFolderAccess[] = L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";

// True when `name` (a folder name, not a path) is a run folder's: the prefix
// and 32 hexadecimal digits, in any case.
bool IsRunFolderName(const std::wstring& name);

// Creates a new run folder in `temp_folder` and returns it open in `held`.
// The folder is created and opened in one step and fails to be created when
// the name exists (another random name is tried then), so `held` is the
// folder made here; it is held without sharing deletion, so that while
// `held` stays open the folder can be neither renamed nor removed. With
// `protect`, the folder gets kProtectedRunFolderAccess. Returns the folder's
// path without a trailing backslash; empty when no folder could be made.
std::wstring CreateRunFolder(const std::wstring& temp_folder, bool protect, UniqueHandle& held);

// Removes what earlier runs left in `temp_folder`: from each run folder the
// uninstaller copy, then the folder itself if that left it empty. Each is
// deleted through a handle opened relative to its folder's handle without
// following a link; a folder or copy that is a link (or is reached through
// one) stays, and so does what it points to. A copy that still runs or is
// held open, or a folder this process may not change, stays. Nothing is
// reported.
void RemoveEarlierRunFolders(const std::wstring& temp_folder);

#endif  // BRINDLE_APP_RUN_FOLDER_H_
