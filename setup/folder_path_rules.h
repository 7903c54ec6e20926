// What the text of an install folder alone says about it, before the disk is
// asked, and the causes the folder check reports. Portable: the rules are
// plain text rules, tested on every tree.
#ifndef BRINDLE_SETUP_FOLDER_PATH_RULES_H_
#define BRINDLE_SETUP_FOLDER_PATH_RULES_H_

#include <cstddef>
#include <string>

// Why an install folder cannot be used. The first three follow from the text
// (FolderTextProblem); the others come from what Windows reports for the
// disk (app/install_folder.h).
enum class FolderProblem {
  kNone,
  kNotFullPath,  // relative or drive-relative ("Velto", "C:Velto", "\Velto", "\\server")
  kBadName,      // a component Windows refuses (see FolderTextProblem)
  kTooLong,      // longer than kMaxInstallFolderLength characters
  kUnreachable,  // the drive or network share does not exist or does not answer
  kNotWritable,  // the nearest existing folder refuses new entries (read-only, access denied)
  kIsFile,       // the path, or one of its parents, is a file
  kOther,        // any other refusal of the disk
};

// The longest install folder, in UTF-16 units: its uninstaller copy
// ("\unins000.exe", 13 units) still fits in MAX_PATH (259 units and the
// terminating zero), and CreateDirectoryW's limit (MAX_PATH - 12) holds.
inline constexpr size_t kMaxInstallFolderLength = 246;

// True for a full path: a drive letter, a colon and a backslash ("C:\..."), or
// a UNC path ("\\server\share..."). A relative or drive-relative folder
// ("Velto", "C:Velto", "\Velto") would be resolved against whatever folder
// the process runs in, and the uninstaller, which runs elsewhere, would then
// remove files by that same relative path.
bool IsFullPath(const std::wstring& path);

// The root of the full path `path`, with its trailing backslash: "C:\" or
// "\\server\share\"; empty when `path` is not a full path or a UNC path
// names no share.
std::wstring PathRoot(const std::wstring& path);

// The problem that the text of `path` ("\" separators) shows by itself, or
// kNone: kNotFullPath when PathRoot is empty; kBadName when a component
// after the root holds one of : * ? " < > | or a control character, ends
// with a dot or a blank ("." and ".." included), or is a device name ("NUL",
// "com1.txt"); kTooLong beyond kMaxInstallFolderLength. Empty components (a
// doubled or final "\") are passed over, as Windows passes them over.
FolderProblem FolderTextProblem(const std::wstring& path);

#endif  // BRINDLE_SETUP_FOLDER_PATH_RULES_H_
