// The install folder the main window offers and accepts.
#ifndef BRINDLE_APP_INSTALL_FOLDER_H_
#define BRINDLE_APP_INSTALL_FOLDER_H_

#include <string>

// The folder offered first: `program_files` + "\" + `product_name`
// ("\Velto" when the Program Files folder is unknown and `program_files` is
// empty).
std::wstring DefaultInstallFolder(const std::wstring& program_files,
                                  const std::wstring& product_name);

// The user's own programs folder, where a per-user install goes:
// FOLDERID_UserProgramFiles ("%LOCALAPPDATA%\Programs"), or, where the system
// does not know that folder, "Programs" under the user's local application
// data folder. Never created here; empty when neither can be determined.
std::wstring UserProgramsFolder();

// The folder to offer after `chosen` was picked in the folder dialog: a drive
// root ("D:\", 3 characters or fewer) gets `product_name` appended without a
// separator ("D:\Velto"); any other folder is used unchanged.
std::wstring ChosenInstallFolder(const std::wstring& chosen, const std::wstring& product_name);

// True for a full path: a drive letter, a colon and a backslash ("C:\..."), or
// a UNC path ("\\server\share..."). A relative or drive-relative folder
// ("Velto", "C:Velto", "\Velto") would be resolved against whatever folder
// the process runs in, and the uninstaller, which runs elsewhere, would then
// remove files by that same relative path.
bool IsFullPath(const std::wstring& path);

// The install folder as the folder check hands it on.
struct PreparedFolder {
  // The typed folder with every "/" turned into "\".
  std::wstring path;
  // The outermost folder that the check created: `path` itself or one of its
  // parents; empty when `path` existed before.
  std::wstring created_root;
};

// The folder check of the install button. Takes the folder exactly as typed,
// except that every "/" becomes "\" and a drive root ("D:\", or "D:") gets
// `product_name` appended as the folder dialog does; it must be a full path.
// When nothing exists there, creates the folder with every missing parent.
// True, with `folder` filled in, when a folder exists at the path afterwards;
// false when the path is not a full path, cannot be created, or is taken by a
// file (the folders it made on the way are removed again).
bool PrepareInstallFolder(const std::wstring& typed, const std::wstring& product_name,
                          PreparedFolder& folder);

// Removes again the folders PrepareInstallFolder made for `folder` (from its
// path up to its created root), as far as they are empty.
void RemoveCreatedFolders(const PreparedFolder& folder);

// True when `folder` holds any file or folder.
bool IsFolderNotEmpty(const std::wstring& folder);

#endif  // BRINDLE_APP_INSTALL_FOLDER_H_
