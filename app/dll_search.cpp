#include "app/dll_search.h"

#include <windows.h>

#include <iterator>

#include "ui/framework/system_libraries.h"

namespace {

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

// Looked up at run time: the function is missing on systems without the
// update, and a static import of it would keep the program from starting.
SetDefaultDllDirectoriesFunction FindSetDefaultDllDirectories() {
  const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  if (!kernel) return nullptr;
  return reinterpret_cast<SetDefaultDllDirectoriesFunction>(
      reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")));
}

}  // namespace

bool RestrictDllSearch() {
  const SetDefaultDllDirectoriesFunction set_default = FindSetDefaultDllDirectories();
  if (set_default && set_default(LOAD_LIBRARY_SEARCH_SYSTEM32)) return true;
  ::SetDllDirectoryW(L"");
  return false;
}

const wchar_t* const kPreloadedSystemLibraries[] = {L"uxtheme.dll", L"dwmapi.dll", L"version.dll",
                                                    L"propsys.dll", L"cryptbase.dll"};
const size_t kPreloadedSystemLibraryCount = std::size(kPreloadedSystemLibraries);

size_t PreloadSystemLibraries() {
  size_t loaded = 0;
  for (const wchar_t* name : kPreloadedSystemLibraries) {
    if (brindle::LoadSystemLibrary(name)) ++loaded;
  }
  return loaded;
}
