#include "setup/install_record.h"

#include <windows.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "json/json_value.h"
#include "setup/base64.h"
#include "setup/config_lists.h"
#include "setup/entry_names.h"
#include "setup/link_check.h"
#include "setup/number_text.h"
#include "setup/package_layout.h"
#include "setup/product.h"
#include "setup/same_path.h"
#include "setup/scratch_pool.h"
#include "setup/text_convert.h"
#include "setup/win_handles.h"

namespace {

std::wstring DecodePath(const JsonValue& value, ScratchPool& pool) {
  if (value.kind() != JsonKind::String) return std::wstring();
  return ToWide(pool, Base64Decode(value.toCString(), pool), CP_UTF8);
}

JsonValue EncodePath(const std::wstring& path, ScratchPool& pool) {
  return JsonValue(Base64Encode(ToNarrow(path.c_str(), pool, CP_UTF8), pool));
}

std::vector<std::wstring> DecodePaths(const JsonValue& value, ScratchPool& pool) {
  std::vector<std::wstring> paths;
  const JsonValue& list = ConfigList(value);
  for (size_t i = 0; i < list.size(); ++i) {
    std::wstring path = DecodePath(list[i], pool);
    if (!path.empty()) paths.push_back(path);
  }
  return paths;
}

JsonValue EncodePaths(const std::vector<std::wstring>& paths, ScratchPool& pool) {
  JsonValue list(JsonKind::Array);
  for (size_t i = 0; i < paths.size(); ++i) list[i] = EncodePath(paths[i], pool);
  return list;
}

// A full path as Windows resolves it: its root ("X:" for a drive, "\\\\" for
// a UNC path, whose first two names are the server and the share) and its
// names, "." and empty names dropped and ".." taking away the name before
// it. False for a path that is not full, or whose ".." climbs above its root
// or into a UNC path's share.
bool SplitFullPath(const std::wstring& path, std::wstring& root, std::vector<std::wstring>& names) {
  size_t begin = 0;
  size_t fixed = 0;  // names that ".." may not take away
  if (path.size() >= 3 && iswalpha(path[0]) && path[1] == L':' && path[2] == L'\\') {
    root = path.substr(0, 2);
    begin = 3;
  } else if (path.size() > 2 && path[0] == L'\\' && path[1] == L'\\') {
    root = L"\\\\";
    begin = 2;
    fixed = 2;
  } else {
    return false;
  }
  names.clear();
  while (begin <= path.size()) {
    size_t end = path.find(L'\\', begin);
    if (end == std::wstring::npos) end = path.size();
    const std::wstring name = path.substr(begin, end - begin);
    begin = end + 1;
    if (name.empty() || name == L".") continue;
    if (name == L"..") {
      if (names.size() <= fixed) return false;
      names.pop_back();
      continue;
    }
    names.push_back(name);
  }
  return names.size() >= fixed;
}

bool IsFullFolderPath(const std::wstring& path) {
  std::wstring root;
  std::vector<std::wstring> names;
  return SplitFullPath(path, root, names);
}

// True when the full path `path` begins with the names of the full path
// `folder` (as Windows resolves both, without regard to case); `rest` then
// receives the names that follow.
bool StartsWithFolder(const std::wstring& path, const std::wstring& folder,
                      std::vector<std::wstring>& rest) {
  std::wstring path_root;
  std::wstring folder_root;
  std::vector<std::wstring> folder_names;
  if (!SplitFullPath(path, path_root, rest) || !SplitFullPath(folder, folder_root, folder_names) ||
      _wcsicmp(path_root.c_str(), folder_root.c_str()) != 0 || rest.size() < folder_names.size()) {
    return false;
  }
  for (size_t i = 0; i < folder_names.size(); ++i) {
    if (_wcsicmp(rest[i].c_str(), folder_names[i].c_str()) != 0) return false;
  }
  rest.erase(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(folder_names.size()));
  return true;
}

bool IsSameFolderText(const std::wstring& first, const std::wstring& second) {
  std::vector<std::wstring> rest;
  return StartsWithFolder(first, second, rest) && rest.empty();
}

// The paths of `paths` inside the record's folder (with `or_above`, also the
// folder itself and the folders above it); the others go to its `outside`
// list.
std::vector<std::wstring> KeepInside(std::vector<std::wstring> paths, InstallRecord& record,
                                     bool or_above) {
  std::vector<std::wstring> inside;
  for (std::wstring& path : paths) {
    const bool keep =
        IsInsideFolder(path, record.folder) ||
        (or_above && !record.folder.empty() &&
         (IsSameFolderText(path, record.folder) || IsInsideFolder(record.folder, path)));
    (keep ? inside : record.outside).push_back(std::move(path));
  }
  return inside;
}

// True when the file name `name` names no other folder: no separator, not "." or "..".
bool IsPlainFileName(const std::wstring& name) {
  return !name.empty() && name != L"." && name != L".." &&
         name.find_first_of(L"\\/:") == std::wstring::npos;
}

// True when the full path `path` names a link file (".lnk").
bool IsLinkFile(const std::wstring& path) {
  constexpr wchar_t kExtension[] = L".lnk";
  const size_t size = wcslen(kExtension);
  return IsFullFolderPath(path) && path.size() > size &&
         _wcsicmp(path.c_str() + path.size() - size, kExtension) == 0;
}

// True when `backup` is a backup name of `file` beside it: "<file>.old" or "<file>.N.old".
bool IsBackupNameOf(const std::wstring& backup, const std::wstring& file) {
  constexpr wchar_t kSuffix[] = L".old";
  const size_t size = wcslen(kSuffix);
  if (backup.size() < file.size() + size || backup.compare(0, file.size(), file) != 0) return false;
  const std::wstring rest = backup.substr(file.size());
  return rest.compare(rest.size() - size, size, kSuffix) == 0 &&
         rest.find_first_of(L"\\/:") == std::wstring::npos;
}

// The links of the record: "links", "kept_links" and "start_menu".
void ReadLinks(const JsonValue& config, InstallRecord& record, ScratchPool& pool) {
  record.links_recorded = config.hasMember("links");
  for (std::wstring& link : DecodePaths(config["links"], pool)) {
    (IsLinkFile(link) ? record.links : record.outside).push_back(std::move(link));
  }
  const JsonValue& kept = ConfigList(config["kept_links"]);
  for (size_t i = 0; i < kept.size(); ++i) {
    KeptFile entry{DecodePath(kept[i]["file"], pool), DecodePath(kept[i]["backup"], pool)};
    if (IsLinkFile(entry.file) && IsBackupNameOf(entry.backup, entry.file)) {
      record.kept_links.push_back(entry);
    }
  }
  record.start_menu_folder = DecodePath(config["start_menu"], pool);
  if (!IsFullFolderPath(record.start_menu_folder)) record.start_menu_folder.clear();
}

void WriteLinks(const InstallRecord& record, JsonValue& config, ScratchPool& pool) {
  if (record.links_recorded) config["links"] = EncodePaths(record.links, pool);
  for (size_t i = 0; i < record.kept_links.size(); ++i) {
    config["kept_links"][i]["file"] = EncodePath(record.kept_links[i].file, pool);
    config["kept_links"][i]["backup"] = EncodePath(record.kept_links[i].backup, pool);
  }
  if (!record.start_menu_folder.empty()) {
    config["start_menu"] = EncodePath(record.start_menu_folder, pool);
  }
}

}  // namespace

InstallRecord ReadInstallRecord(const JsonValue& config) {
  ScratchPool pool;
  InstallRecord record;
  record.folder = DecodePath(config["setup"]["root"], pool);
  if (!IsFullFolderPath(record.folder)) record.folder.clear();
  record.files = KeepInside(DecodePaths(config["files"], pool), record, false);
  // The folders the install made include the install folder itself and the
  // parents it created for it; they only ever go when empty.
  record.folders = KeepInside(DecodePaths(config["folders"], pool), record, true);
  const JsonValue& kept = ConfigList(config["kept"]);
  for (size_t i = 0; i < kept.size(); ++i) {
    KeptFile entry{DecodePath(kept[i]["file"], pool), DecodePath(kept[i]["backup"], pool)};
    if (entry.file.empty() || entry.backup.empty()) continue;
    if (IsInsideFolder(entry.file, record.folder) && IsInsideFolder(entry.backup, record.folder)) {
      record.kept.push_back(entry);
    } else {
      record.outside.push_back(entry.file);
      record.outside.push_back(entry.backup);
    }
  }
  ReadLinks(config, record, pool);
  const JsonValue& name = config["uninstaller"];
  record.uninstaller_name = kUninstallerFileName;
  if (name.kind() == JsonKind::String) {
    const std::wstring wide = ToWide(pool, name.toCString(), CP_UTF8);
    if (IsPlainFileName(wide)) record.uninstaller_name = wide;
  }
  return record;
}

void WriteInstallRecord(const InstallRecord& record, JsonValue& config) {
  ScratchPool pool;
  if (!record.files.empty()) config["files"] = EncodePaths(record.files, pool);
  if (!record.folders.empty()) config["folders"] = EncodePaths(record.folders, pool);
  for (size_t i = 0; i < record.kept.size(); ++i) {
    config["kept"][i]["file"] = EncodePath(record.kept[i].file, pool);
    config["kept"][i]["backup"] = EncodePath(record.kept[i].backup, pool);
  }
  if (!record.uninstaller_name.empty() && record.uninstaller_name != kUninstallerFileName) {
    config["uninstaller"] = JsonValue(ToNarrow(record.uninstaller_name.c_str(), pool, CP_UTF8));
  }
  WriteLinks(record, config, pool);
  config["setup"]["root"] = EncodePath(record.folder, pool);
}

bool IsInsideFolder(const std::wstring& path, const std::wstring& folder) {
  std::vector<std::wstring> rest;
  return StartsWithFolder(path, folder, rest) && !rest.empty() &&
         std::all_of(rest.begin(), rest.end(), IsSafeEntryName);
}

std::wstring UninstallerPathOf(const InstallRecord& record) {
  return record.folder + L"\\" +
         (record.uninstaller_name.empty() ? kUninstallerFileName : record.uninstaller_name);
}

namespace {

// How many uninstaller names ("unins000.exe" to "unins999.exe") one folder can hold.
constexpr int kUninstallerNames = 1000;

std::wstring UninstallerName(int number) {
  std::wstring digits = FormatLong(L"%ld", number);
  digits.insert(0, 3 - digits.size(), L'0');
  return L"unins" + digits + L".exe";
}

// n when `name` is UninstallerName(n) in any case; -1 otherwise.
int UninstallerNumber(const wchar_t* name) {
  if (wcslen(name) != 12 || _wcsnicmp(name, L"unins", 5) != 0 || _wcsicmp(name + 8, L".exe") != 0) {
    return -1;
  }
  int number = 0;
  for (const wchar_t* digit = name + 5; digit != name + 8; ++digit) {
    if (*digit < L'0' || *digit > L'9') return -1;
    number = number * 10 + (*digit - L'0');
  }
  return number;
}

// Which uninstaller names `folder` holds, by a file's name or its short name, from one listing
// of the folder rather than a look at each of the thousand names (a fresh install's folder holds
// none). None when the folder cannot be listed.
std::vector<bool> TakenUninstallerNames(const std::wstring& folder) {
  std::vector<bool> taken(kUninstallerNames, false);
  WIN32_FIND_DATAW entry;
  const HANDLE first = FindFirstFileW((folder + L"\\unins*").c_str(), &entry);
  if (first == INVALID_HANDLE_VALUE) return taken;
  const FindHandle find(first);
  do {
    for (const wchar_t* name : {entry.cFileName, entry.cAlternateFileName}) {
      const int number = UninstallerNumber(name);
      if (number >= 0) taken[number] = true;
    }
  } while (FindNextFileW(find.get(), &entry));
  return taken;
}

// True when `path` is an uninstaller of `product_id` whose record names `folder`; `record`
// receives that record.
bool IsProductUninstaller(const std::wstring& path, const std::wstring& folder,
                          const std::wstring& product_id, InstallRecord& record) {
  JsonValue config;
  Product product;
  if (!LoadPackageConfig(path, config) || config["mode"].toInt64() != 0 ||
      !ReadProduct(config, product) ||
      CompareStringOrdinal(product.id.c_str(), -1, product_id.c_str(), -1, TRUE) != CSTR_EQUAL) {
    return false;
  }
  record = ReadInstallRecord(config);
  return IsSamePath(record.folder, folder);
}

}  // namespace

EarlierInstall FindEarlierInstall(const std::wstring& folder, const std::wstring& product_id) {
  EarlierInstall earlier;
  const LinkCheck links(folder);
  const std::vector<bool> taken = TakenUninstallerNames(folder);
  int first_free = -1;
  for (int number = 0; number < kUninstallerNames; ++number) {
    const std::wstring name = UninstallerName(number);
    const std::wstring path = folder + L"\\" + name;
    if (!taken[number]) {
      if (first_free < 0) first_free = number;
      continue;
    }
    if (!links.IsLink(path) && IsProductUninstaller(path, folder, product_id, earlier.record)) {
      earlier.found = true;
      earlier.uninstaller_name = name;
      return earlier;
    }
  }
  earlier.record = InstallRecord();
  earlier.uninstaller_name = UninstallerName(first_free < 0 ? 0 : first_free);
  return earlier;
}

bool DeleteProductFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  }
  return DeleteFileW(path.c_str()) != 0;
}

std::vector<std::wstring> FoldersDeepestFirst(std::vector<std::wstring> folders) {
  // An inner folder's path is longer than that of any folder containing it.
  std::stable_sort(
      folders.begin(), folders.end(),
      [](const std::wstring& a, const std::wstring& b) { return a.size() > b.size(); });
  std::vector<std::wstring> existing;
  for (std::wstring& folder : folders) {
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      existing.push_back(std::move(folder));
    }
  }
  return existing;
}

void RemoveEmptyFolders(std::vector<std::wstring> folders) {
  for (const std::wstring& folder : FoldersDeepestFirst(std::move(folders))) {
    RemoveDirectoryW(folder.c_str());
  }
}

namespace {

std::wstring PathKey(const std::wstring& path) {
  std::wstring key = path;
  if (!key.empty()) CharUpperBuffW(&key[0], static_cast<DWORD>(key.size()));
  return key;
}

}  // namespace

PathSet::PathSet(const std::vector<std::wstring>& paths) {
  for (const std::wstring& path : paths) Add(path);
}

void PathSet::Add(const std::wstring& path) { keys_.insert(PathKey(path)); }

bool PathSet::Contains(const std::wstring& path) const { return keys_.count(PathKey(path)) > 0; }
