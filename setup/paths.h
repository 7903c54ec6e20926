// Paths of the running executable and of the user's folders. Every function
// returns an empty string when the path cannot be determined.
#pragma once

#include <string>

#include "setup/shortcut_place.h"

// Full path of the running executable.
std::wstring GetModulePath();

// The user's temporary folder as the platform reports it, ending with a
// backslash.
std::wstring GetTempFolder();

// Path of a special folder by CSIDL (CSIDL_APPDATA, CSIDL_PROGRAM_FILES,
// CSIDL_DESKTOPDIRECTORY), without a trailing backslash. The folder is never
// created.
std::wstring GetSpecialFolder(int csidl);

// <application data>\Microsoft\Internet Explorer\Quick Launch.
std::wstring GetQuickLaunchFolder();

// The start menu's programs folder of the shortcut place in use: the
// account's <application data>\Microsoft\Windows\Start Menu\Programs, or
// the all-users one (CSIDL_COMMON_PROGRAMS).
std::wstring GetStartMenuProgramsFolder();

// The desktop folder of the shortcut place in use: the account's
// (CSIDL_DESKTOPDIRECTORY) or the all-users one (CSIDL_COMMON_DESKTOPDIRECTORY).
std::wstring GetDesktopFolder();

// Whose desktop and start menu the folders above are, for the whole process
// (default: the running account's). Set once before an engine runs. Quick
// Launch and taskbar pins belong to one account and never move.
void UseShortcutPlace(ShortcutPlace place);
ShortcutPlace ShortcutPlaceInUse();

// True when the process runs as the LocalSystem account, as deployment tools
// (Intune, Configuration Manager) run machine installs; false when the token
// cannot be read.
bool RunsAsLocalSystem();
