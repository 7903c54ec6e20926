// Test helper: reads a link file back through IShellLinkW.
#pragma once

#include <shlobj.h>
#include <windows.h>

#include <string>

#include "setup/shell_links.h"
#include "setup/win_handles.h"

struct LinkContents {
  bool loaded = false;
  std::wstring target;
  std::wstring working_folder;
  std::wstring description;
};

inline LinkContents ReadLink(const std::wstring& link_file) {
  LinkContents contents;
  ScopedComInit com;
  ComPtr<IShellLinkW> link;
  ComPtr<IPersistFile> file;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              link.put_void())) ||
      FAILED(link.As(file)) || FAILED(file->Load(link_file.c_str(), STGM_READ))) {
    return contents;
  }
  wchar_t text[MAX_PATH * 2] = {};
  link->GetPath(text, MAX_PATH * 2, nullptr, 0);
  contents.target = text;
  text[0] = L'\0';
  link->GetWorkingDirectory(text, MAX_PATH * 2);
  contents.working_folder = text;
  text[0] = L'\0';
  link->GetDescription(text, MAX_PATH * 2);
  contents.description = text;
  contents.loaded = true;
  return contents;
}

// Wine (8.0) keeps a link's target path only in the system's ANSI code page:
// characters outside it read back as "?". Windows keeps the full path. Tests
// that read back such a target skip that comparison under Wine.
inline bool RunsOnWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
