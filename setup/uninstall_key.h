// The product's key under the system's Uninstall key (HKEY_LOCAL_MACHINE).
#pragma once

#include <windows.h>

#include "setup/win_handles.h"

// Path of the product's Uninstall key below HKEY_LOCAL_MACHINE.
extern const wchar_t kUninstallKeyPath[];

// Creates or opens `subKey` below `root` (non-volatile, access KEY_READ |
// KEY_CREATE_SUB_KEY | KEY_SET_VALUE). On success closes a key already held
// by `holder`, stores the new key there and returns ERROR_SUCCESS; on failure
// returns the platform's error code and leaves `holder` unchanged.
LONG OpenKeyInto(HKEY root, const wchar_t* subKey, RegKey& holder);

// OpenKeyInto for kUninstallKeyPath below HKEY_LOCAL_MACHINE (needs
// administrator rights).
LONG OpenUninstallKey(RegKey& holder);

// Closes the key in `holder` and empties it; ERROR_SUCCESS when it was empty.
LONG CloseUninstallKey(RegKey& holder);
