#include "setup/entry_snapshot.h"

#include <windows.h>

#include <vector>

#include "setup/install_journal.h"
#include "setup/product.h"
#include "setup/uninstall_key.h"
#include "setup/win_handles.h"

namespace {

// Longest value name, in characters, with room for its terminating zero.
constexpr DWORD kNameBufferSize = 16384;

// The names of every value of `key`.
std::vector<std::wstring> ValueNames(HKEY key) {
  std::vector<std::wstring> names;
  std::wstring buffer(kNameBufferSize, L'\0');
  for (DWORD index = 0;; ++index) {
    DWORD length = kNameBufferSize;
    if (RegEnumValueW(key, index, &buffer[0], &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    names.emplace_back(buffer.c_str(), length);
  }
  return names;
}

// Appends the name, type and data of the value `name` of `key`.
bool AddValue(HKEY key, const std::wstring& name, JournalRecord& record) {
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
    return false;
  }
  std::string data(size, '\0');
  if (RegQueryValueExW(key, name.c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(data.empty() ? nullptr : &data[0]),
                       &size) != ERROR_SUCCESS) {
    return false;
  }
  data.resize(size);
  record.fields.push_back(PathField(name));
  record.fields.push_back(JournalNumber(type));
  record.fields.push_back(data);
  return true;
}

}  // namespace

JournalRecord SnapshotUninstallEntry(const std::wstring& product_id, InstallScope scope) {
  JournalRecord record{JournalKind::kEntryBefore, {"0"}};
  RegKey key;
  if (RegOpenKeyExW(UninstallRootOf(scope), UninstallKeyPath(product_id).c_str(), 0, KEY_READ,
                    key.put()) != ERROR_SUCCESS) {
    return record;
  }
  record.fields[0] = "1";
  for (const std::wstring& name : ValueNames(key.get())) AddValue(key.get(), name, record);
  return record;
}

bool RestoreUninstallEntry(const std::wstring& product_id, InstallScope scope,
                           const JournalRecord& record) {
  if (record.kind != JournalKind::kEntryBefore || record.fields.empty() ||
      record.fields.size() % 3 != 1) {
    return false;
  }
  const std::wstring path = UninstallKeyPath(product_id);
  if (record.fields[0] != "1") {
    const LONG result = RegDeleteTreeW(UninstallRootOf(scope), path.c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
  }
  RegKey key;
  if (RegCreateKeyExW(UninstallRootOf(scope), path.c_str(), 0, nullptr, 0, KEY_READ | KEY_SET_VALUE,
                      nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
    return false;
  }
  bool restored = true;
  for (const std::wstring& name : ValueNames(key.get())) {
    restored = RegDeleteValueW(key.get(), name.c_str()) == ERROR_SUCCESS && restored;
  }
  for (size_t i = 1; i + 2 < record.fields.size(); i += 3) {
    const std::string& data = record.fields[i + 2];
    restored = RegSetValueExW(key.get(), FieldPath(record.fields[i]).c_str(), 0,
                              ReadJournalNumber(record.fields[i + 1]),
                              reinterpret_cast<const BYTE*>(data.data()),
                              static_cast<DWORD>(data.size())) == ERROR_SUCCESS &&
               restored;
  }
  return restored;
}
