// Keeps DLLs beside the setup program out of the process. A setup program is
// started from download folders that others can write to; a DLL placed there
// under a system DLL's name must never be loaded.
#ifndef BRINDLE_APP_DLL_SEARCH_H_
#define BRINDLE_APP_DLL_SEARCH_H_

#include <cstddef>

// Restricts the search of every later LoadLibrary (and of delay-loaded
// imports) to the system folder: SetDefaultDllDirectories with
// LOAD_LIBRARY_SEARCH_SYSTEM32 where the system has it (Windows 8, Windows 7
// with KB2533623), otherwise SetDllDirectoryW(L""), which at least drops the
// current folder. Call first thing in the entry point. Returns true when the
// search is limited to the system folder, false when only the fallback
// applied.
bool RestrictDllSearch();

// The system DLLs that the windows, the common controls and the shell load
// by name later on, and that are not KnownDLLs (which the loader takes from
// the system folder in any case): the theme, window-manager, version,
// property-system and cryptography libraries.
extern const wchar_t* const kPreloadedSystemLibraries[];
extern const size_t kPreloadedSystemLibraryCount;

// Loads each of kPreloadedSystemLibraries by its full path in the system
// folder, so that a later load by name finds the loaded module instead of
// searching (where the search restriction is missing, or under a loader that
// looks beside the program first). Call after RestrictDllSearch, before any
// window is created. A library the system lacks is passed over; those loaded
// stay loaded for the life of the process. Returns how many were loaded.
size_t PreloadSystemLibraries();

#endif  // BRINDLE_APP_DLL_SEARCH_H_
