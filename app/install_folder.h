// The install folder the main window offers and accepts.
#ifndef BRINDLE_APP_INSTALL_FOLDER_H_
#define BRINDLE_APP_INSTALL_FOLDER_H_

#include <string>

#include "setup/folder_path_rules.h"

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

// The install folder as the folder check hands it on.
struct PreparedFolder {
  // The typed folder with every "/" turned into "\", doubled and final
  // separators dropped.
  std::wstring path;
  // The outermost folder that the check created: `path` itself or one of its
  // parents; empty when `path` existed before.
  std::wstring created_root;
};

// What the folder check found wrong, and where.
struct FolderCheck {
  FolderProblem problem = FolderProblem::kNone;
  // The path the cause concerns: the unreachable root ("D:\", "\\server\share\"), the file in
  // the way, the folder that refuses new entries; for the other causes the folder as checked
  // (as PreparedFolder::path would be). Empty for kNone.
  std::wstring path;

  explicit operator bool() const { return problem == FolderProblem::kNone; }
};

// The folder check of the install button. Takes the folder exactly as typed,
// except that every "/" becomes "\", doubled and final separators go, and a drive root ("D:\", or
// "D:") gets `product_name` appended as the folder dialog does. Refuses, in this order, what its
// text shows (FolderTextProblem), a drive or share that does not answer, a file at the path or at
// one of its parents; then creates the missing folders one by one, outermost first, and finally
// proves that a file can be created in the folder (a hidden probe file, opened delete-on-close, so
// that nothing stays). A refusal of Windows while creating or probing is classified by its error:
// access denied or write protection kNotWritable, a name or length error kBadName or kTooLong, a
// lost path kUnreachable, anything else kOther. On a refusal every folder the check made is removed
// again. Success (kNone) fills in `folder`.
FolderCheck PrepareInstallFolder(const std::wstring& typed, const std::wstring& product_name,
                                 PreparedFolder& folder);

// Removes again the folders PrepareInstallFolder made for `folder` (from its
// path up to its created root), as far as they are empty.
void RemoveCreatedFolders(const PreparedFolder& folder);

// True when `folder` holds any file or folder.
bool IsFolderNotEmpty(const std::wstring& folder);

#endif  // BRINDLE_APP_INSTALL_FOLDER_H_
