#include "setup/uninstall_key.h"

#include <cwchar>

#include "setup/number_text.h"
#include "setup/product.h"

namespace {

LONG SetNumber(HKEY key, const wchar_t* name, DWORD data) {
  return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
}

// Keeps the first error of a series of writes in `first`.
void Keep(LONG result, LONG& first) {
  if (first == ERROR_SUCCESS) first = result;
}

// Access to the Uninstall key when deleting a product's entry from it.
constexpr REGSAM kUninstallKeyAccess = KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE;

}  // namespace

HKEY UninstallRootOf(InstallScope scope) {
  return scope == InstallScope::kUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

LONG OpenKeyInto(HKEY root, const wchar_t* subKey, RegKey& holder) {
  HKEY key = nullptr;
  const LONG result =
      RegCreateKeyExW(root, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE, nullptr, &key, nullptr);
  if (result == ERROR_SUCCESS) holder.reset(key);
  return result;
}

LONG OpenUninstallKey(const std::wstring& product_id, RegKey& holder, InstallScope scope) {
  return OpenKeyInto(UninstallRootOf(scope), UninstallKeyPath(product_id).c_str(), holder);
}

LONG ReadUninstallValue(const std::wstring& product_id, const wchar_t* name, std::wstring& text,
                        InstallScope scope) {
  RegKey key;
  LONG result = RegOpenKeyExW(UninstallRootOf(scope), UninstallKeyPath(product_id).c_str(), 0,
                              KEY_QUERY_VALUE, key.put());
  if (result != ERROR_SUCCESS) return result;
  DWORD type = 0;
  DWORD size = 0;
  result = RegQueryValueExW(key.get(), name, nullptr, &type, nullptr, &size);
  if (result != ERROR_SUCCESS) return result;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_INVALID_DATA;
  std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
  result = RegQueryValueExW(key.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value[0]),
                            &size);
  if (result != ERROR_SUCCESS) return result;
  value.resize(wcsnlen(value.c_str(), size / sizeof(wchar_t)));
  text = value;
  return ERROR_SUCCESS;
}

LONG DeleteUninstallEntry(const std::wstring& product_id, InstallScope scope) {
  RegKey key;
  const LONG result =
      RegOpenKeyExW(UninstallRootOf(scope), kUninstallRootKey, 0, kUninstallKeyAccess, key.put());
  if (result != ERROR_SUCCESS) return result;
  return RegDeleteKeyW(key.get(), product_id.c_str());
}

LONG CloseUninstallKey(RegKey& holder) { return holder.Close(); }

LONG SetUninstallString(HKEY key, const wchar_t* name, const std::wstring& data) {
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                        static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

LONG WriteAppsEntryDetails(HKEY key, const AppsEntryDetails& details) {
  LONG first = ERROR_SUCCESS;
  if (!details.version.empty()) {
    Keep(SetUninstallString(key, L"DisplayVersion", details.version), first);
  }
  Keep(SetUninstallString(key, L"InstallLocation", details.install_folder), first);
  const uint64_t kilobytes = (details.installed_bytes + 1023) / 1024;
  Keep(SetNumber(key, L"EstimatedSize",
                 static_cast<DWORD>(kilobytes > 0xFFFFFFFFu ? 0xFFFFFFFFu : kilobytes)),
       first);
  // YYYYMMDD, zero-padded to eight digits.
  const SYSTEMTIME& day = details.install_date;
  std::wstring date = FormatLong(L"%ld", day.wYear * 10000L + day.wMonth * 100L + day.wDay);
  if (date.size() < 8) date.insert(0, 8 - date.size(), L'0');
  Keep(SetUninstallString(key, L"InstallDate", date), first);
  Keep(SetNumber(key, L"NoModify", 1), first);
  Keep(SetNumber(key, L"NoRepair", 1), first);
  return first;
}

uint64_t SizeOfFiles(const std::vector<std::wstring>& paths) {
  uint64_t total = 0;
  for (const std::wstring& path : paths) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) &&
        !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      total += uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow;
    }
  }
  return total;
}
