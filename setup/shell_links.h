// Shell link files (shortcuts) on the user's desktop and in the Quick Launch
// folder, and the shell verbs that pin or unpin a Quick Launch link on the
// taskbar. A shortcut is named by the file name of its link without ".lnk";
// its file is "<folder>\<name>.lnk". All paths are full paths.
#pragma once

#include <objbase.h>

#include <string>

// Initializes COM for the calling thread for the life of the object and
// uninitializes it again only when the initialization succeeded (including
// the nested case, S_FALSE), so that every scope leaves the count as it was.
class ScopedComInit {
 public:
  ScopedComInit() : result_(CoInitialize(nullptr)) {}
  ~ScopedComInit() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ScopedComInit(const ScopedComInit&) = delete;
  ScopedComInit& operator=(const ScopedComInit&) = delete;

 private:
  HRESULT result_;
};

// Writes a link file that points to `target`, with the target's folder (or the
// target itself when it is a folder) as working folder, overwriting an existing
// link file of that name. No arguments, description, icon or show command are
// set. False, without touching COM, when the target does not exist; false when
// the shell link object cannot be created or the link cannot be saved (for
// example a link file name with characters that file names cannot hold).
// Initializes and uninitializes COM on the calling thread around its work.
bool CreateShortcut(const std::wstring& target, const std::wstring& link_file);

// Writes a link file to `target` with `description` and no working folder,
// without checking that the target exists (the start-menu shortcut). The
// caller initializes COM. False when the shell link object cannot be created
// or the link cannot be saved.
bool CreateDescribedShortcut(const std::wstring& target, const std::wstring& description,
                             const std::wstring& link_file);

// Link file of the desktop shortcut or Quick Launch shortcut `name`; empty
// when the folder cannot be determined or `name` is no single file name (a
// separator, "..", a drive or stream name).
std::wstring DesktopLinkPath(const std::wstring& name);
std::wstring QuickLaunchLinkPath(const std::wstring& name);

// CreateShortcut(target, <folder>\<name>.lnk) in the user's desktop folder or
// the Quick Launch folder.
bool CreateDesktopShortcut(const std::wstring& name, const std::wstring& target);
bool CreateQuickLaunchShortcut(const std::wstring& name, const std::wstring& target);

// Deletes the desktop or Quick Launch link file `name` silently; false when it
// does not exist or the shell cannot delete it.
bool DeleteDesktopShortcut(const std::wstring& name);
bool DeleteQuickLaunchShortcut(const std::wstring& name);

// Runs the shell verb "taskbarpin" or "taskbarunpin" on the Quick Launch link
// file `name` (no owner, no parameters, hidden). Shells that no longer offer the
// verb simply fail; the result is ShellExecuteW's (> 32 on success) for callers
// that want it, and the engines ignore it.
int PinQuickLaunchShortcut(const std::wstring& name);
int UnpinQuickLaunchShortcut(const std::wstring& name);
