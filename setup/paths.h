// Paths of the running executable and of the user's folders. Every function
// returns an empty string when the path cannot be determined.
#pragma once

#include <string>

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

// <application data>\Microsoft\Windows\Start Menu\Programs.
std::wstring GetStartMenuProgramsFolder();
