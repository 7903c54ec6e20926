// A product's key under the Uninstall key of its install's scope: the
// machine's (HKEY_LOCAL_MACHINE) for every user, the user's own
// (HKEY_CURRENT_USER) for a per-user install.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "setup/product.h"
#include "setup/win_handles.h"

// HKEY_LOCAL_MACHINE for kMachine, HKEY_CURRENT_USER for kUser (a predefined
// key: never closed).
HKEY UninstallRootOf(InstallScope scope);

// Creates or opens `subKey` below `root` (non-volatile, access KEY_READ |
// KEY_CREATE_SUB_KEY | KEY_SET_VALUE). On success closes a key already held
// by `holder`, stores the new key there and returns ERROR_SUCCESS; on failure
// returns the platform's error code and leaves `holder` unchanged.
LONG OpenKeyInto(HKEY root, const wchar_t* subKey, RegKey& holder);

// OpenKeyInto for the product's key UninstallKeyPath(`product_id`) below
// UninstallRootOf(`scope`) (the machine's needs administrator rights).
LONG OpenUninstallKey(const std::wstring& product_id, RegKey& holder,
                      InstallScope scope = InstallScope::kMachine);

// The text value `name` of the product's Uninstall entry ("InstallLocation",
// "DisplayVersion"). ERROR_SUCCESS with the value; ERROR_FILE_NOT_FOUND when
// there is no entry, or an entry without the value (as entries written before
// it existed); another error when the entry cannot be read. Reads below
// UninstallRootOf(`scope`).
LONG ReadUninstallValue(const std::wstring& product_id, const wchar_t* name, std::wstring& value,
                        InstallScope scope = InstallScope::kMachine);

// Deletes the product's entry (a key without subkeys) below
// UninstallRootOf(`scope`); the platform's error code.
LONG DeleteUninstallEntry(const std::wstring& product_id, InstallScope scope);

// Closes the key in `holder` and empties it; ERROR_SUCCESS when it was empty.
LONG CloseUninstallKey(RegKey& holder);

// What "Apps & features" (and "Programs and Features") shows of the product beside its name,
// publisher and icon.
struct AppsEntryDetails {
  std::wstring version;          // "DisplayVersion"; not written when empty
  std::wstring install_folder;   // "InstallLocation"
  uint64_t installed_bytes = 0;  // "EstimatedSize", in kilobytes rounded up
  SYSTEMTIME install_date = {};  // "InstallDate", as YYYYMMDD of its year, month and day
};

// Writes into the open product key `key`: "DisplayVersion" (REG_SZ, only with a version),
// "InstallLocation" (REG_SZ), "EstimatedSize" (REG_DWORD, at most 0xFFFFFFFF), "InstallDate"
// (REG_SZ), and "NoModify" and "NoRepair" (REG_DWORD 1: the setup offers neither). Writes every
// value; returns ERROR_SUCCESS, or the error of the first write that failed.
LONG WriteAppsEntryDetails(HKEY key, const AppsEntryDetails& details);

// Sets the REG_SZ value `name` of `key` to `data`; the platform's error code.
LONG SetUninstallString(HKEY key, const wchar_t* name, const std::wstring& data);

// The bytes that the files at `paths` hold now; a file that is missing counts 0.
uint64_t SizeOfFiles(const std::vector<std::wstring>& paths);
