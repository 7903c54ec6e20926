#include "setup/uninstall_key.h"

const wchar_t kUninstallKeyPath[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velto";

LONG OpenKeyInto(HKEY root, const wchar_t* subKey, RegKey& holder) {
  HKEY key = nullptr;
  const LONG result =
      RegCreateKeyExW(root, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE, nullptr, &key, nullptr);
  if (result == ERROR_SUCCESS) holder.reset(key);
  return result;
}

LONG OpenUninstallKey(RegKey& holder) {
  return OpenKeyInto(HKEY_LOCAL_MACHINE, kUninstallKeyPath, holder);
}

LONG CloseUninstallKey(RegKey& holder) { return holder.Close(); }
