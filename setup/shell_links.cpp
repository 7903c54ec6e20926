#include "setup/shell_links.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <windows.h>

#include "setup/entry_names.h"
#include "setup/file_utils.h"
#include "setup/paths.h"
#include "setup/win_handles.h"

namespace {

// Folder in which a link to `target` starts: the target itself when it is a
// folder, else the folder that holds it.
std::wstring WorkingFolderOf(const std::wstring& target) {
  if (PathIsDirectoryW(target.c_str())) return target;
  std::wstring folder = target;
  PathRemoveFileSpecW(&folder[0]);
  folder.resize(wcslen(folder.c_str()));
  return folder;
}

// Creates a shell link to `target` and saves it as `link_file` (which becomes
// the object's current file). Empty `working_folder` or `description` leave
// those properties unset. COM must be initialized on this thread.
bool SaveShellLink(const std::wstring& target, const std::wstring& working_folder,
                   const std::wstring& description, const std::wstring& link_file) {
  ComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              link.put_void()))) {
    return false;
  }
  ComPtr<IPersistFile> file;
  if (FAILED(link.As(file))) return false;
  link->SetPath(target.c_str());
  if (!working_folder.empty()) link->SetWorkingDirectory(working_folder.c_str());
  if (!description.empty()) link->SetDescription(description.c_str());
  return SUCCEEDED(file->Save(link_file.c_str(), TRUE));
}

std::wstring LinkPathIn(const std::wstring& folder, const std::wstring& name) {
  // One file name: a name from a package never reaches another folder.
  if (folder.empty() || name.find_first_of(L"\\/") != std::wstring::npos ||
      !IsSafeEntryName(name)) {
    return std::wstring();
  }
  return folder + L"\\" + name + L".lnk";
}

int RunQuickLaunchVerb(const wchar_t* verb, const std::wstring& name) {
  std::wstring link = QuickLaunchLinkPath(name);
  HINSTANCE result = ShellExecuteW(nullptr, verb, link.c_str(), nullptr, nullptr, SW_HIDE);
  return static_cast<int>(reinterpret_cast<INT_PTR>(result));
}

}  // namespace

bool CreateShortcut(const std::wstring& target, const std::wstring& link_file) {
  if (!PathFileExistsW(target.c_str())) return false;
  ScopedComInit com;
  return SaveShellLink(target, WorkingFolderOf(target), std::wstring(), link_file);
}

bool CreateDescribedShortcut(const std::wstring& target, const std::wstring& description,
                             const std::wstring& link_file) {
  return SaveShellLink(target, std::wstring(), description, link_file);
}

std::wstring DesktopLinkPath(const std::wstring& name) {
  return LinkPathIn(GetDesktopFolder(), name);
}

std::wstring QuickLaunchLinkPath(const std::wstring& name) {
  return LinkPathIn(GetQuickLaunchFolder(), name);
}

bool CreateDesktopShortcut(const std::wstring& name, const std::wstring& target) {
  std::wstring link = DesktopLinkPath(name);
  return !link.empty() && CreateShortcut(target, link);
}

bool CreateQuickLaunchShortcut(const std::wstring& name, const std::wstring& target) {
  std::wstring link = QuickLaunchLinkPath(name);
  return !link.empty() && CreateShortcut(target, link);
}

bool DeleteDesktopShortcut(const std::wstring& name) {
  std::wstring link = DesktopLinkPath(name);
  return !link.empty() && ShellDeleteFile(link);
}

bool DeleteQuickLaunchShortcut(const std::wstring& name) {
  std::wstring link = QuickLaunchLinkPath(name);
  return !link.empty() && ShellDeleteFile(link);
}

int PinQuickLaunchShortcut(const std::wstring& name) {
  return RunQuickLaunchVerb(L"taskbarpin", name);
}

int UnpinQuickLaunchShortcut(const std::wstring& name) {
  return RunQuickLaunchVerb(L"taskbarunpin", name);
}
