// Whole-file reading and writing, folder creation, silent shell file
// operations and the folder picker. Paths are full paths; no function shows a
// message, each reports failure only through its result.
#pragma once

#include <windows.h>

#include <string>

// Replaces `bytes` with the content of the file at `path`, opened for reading
// with read sharing. False if the file cannot be opened or a read fails; after
// a failed read `bytes` holds what was read so far. An empty file gives true
// and empty `bytes`.
bool ReadWholeFile(const std::wstring& path, std::string& bytes);

// The same for the file open in `file` (with read access), from its current
// position to its end.
bool ReadOpenFile(HANDLE file, std::string& bytes);

// Creates or truncates the file at `path` and writes `bytes` to it. False if
// the file cannot be opened, or if not every byte reached the file (a short
// write, or a failure while flushing and closing); the file may then hold
// part of the content.
bool WriteWholeFile(const std::wstring& path, const std::string& bytes);

// Creates the folder `path` (a full path) with every missing parent. True if
// the folder was created or already existed; false if anything else, such as
// a file, occupies the path, or for a relative path.
bool EnsureDirectory(const std::wstring& path);

// The shell operations below share one behaviour: silent, no confirmation, no
// error interface, never the recycle bin. Each returns true if the shell
// reports success.

// Copies the file or folder (with its content) `source` to `destination`,
// overwriting existing files. The source may hold wildcards ("dir\*"); the
// destination folder of such a copy must exist beforehand.
bool ShellCopy(const std::wstring& destination, const std::wstring& source);

// Renames (moves) the file or folder `source` to `destination`.
bool ShellRename(const std::wstring& destination, const std::wstring& source);

// Deletes the file at `path`. False, without asking the shell, if nothing
// exists at `path` or a folder does: a folder is never removed this way.
bool ShellDeleteFile(const std::wstring& path);

// Deletes the file or folder `path` with everything below it. Refuses, with
// false and without asking the shell, a path that trimmed of white space has 3
// characters or fewer (a drive root such as "C:\") or is any other root.
bool ShellDeletePath(const std::wstring& path);

// Shows the shell's folder picker owned by `owner` (may be null) and sets
// `path` to the chosen file-system folder. `path` is emptied first; false when
// the user cancels or the choice is no file-system folder. COM must be
// initialised on the calling thread.
bool BrowseForFolder(HWND owner, std::wstring& path);
