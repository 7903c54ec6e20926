#include "app/temporary_uninstaller.h"

// windows.h first.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include "setup/file_utils.h"
#include "setup/os_version.h"
#include "setup/product.h"

std::wstring TemporaryUninstallerPath(const std::wstring& temp_folder) {
  return temp_folder + kUninstallerFileName;
}

void StartTemporaryUninstaller(const std::wstring& self, const std::wstring& target) {
  ShellCopy(target, self);
  if (IsVistaOrLater()) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = 0;
    info.hwnd = nullptr;
    info.lpVerb = L"runas";
    info.lpFile = target.c_str();
    info.lpParameters = L"";
    info.lpDirectory = L"";
    info.nShow = SW_SHOWNORMAL;
    ::ShellExecuteExW(&info);
  } else {
    ::ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOW);
  }
}
