// Keeps DLLs beside the setup program out of the process. A setup program is
// started from download folders that others can write to; a DLL placed there
// under a system DLL's name must never be loaded.
#ifndef BRINDLE_APP_DLL_SEARCH_H_
#define BRINDLE_APP_DLL_SEARCH_H_

// Restricts the search of every later LoadLibrary (and of delay-loaded
// imports) to the system folder: SetDefaultDllDirectories with
// LOAD_LIBRARY_SEARCH_SYSTEM32 where the system has it (Windows 8, Windows 7
// with KB2533623), otherwise SetDllDirectoryW(L""), which at least drops the
// current folder. Call first thing in the entry point. Returns true when the
// search is limited to the system folder, false when only the fallback
// applied.
bool RestrictDllSearch();

#endif  // BRINDLE_APP_DLL_SEARCH_H_
