// The record of one installation, as its uninstaller copy carries it in its
// package config (mode 0):
//
//   "files"       written files, full paths (Base64 of UTF-8), in the order written
//   "folders"     folders the product made, full paths (Base64 of UTF-8)
//   "kept"        [{"file": path, "backup": path}]: files that were in the way
//                 of the product's and that no install of the product wrote;
//                 each waits under its backup name, beside the file, to be put
//                 back when the product goes
//   "uninstaller" the uninstaller's file name in the install folder; absent:
//                 "unins000.exe"
//   "links"       link files (".lnk") the install wrote: desktop, Quick Launch,
//                 start menu. Absent in records of older installs, whose
//                 links are known by the shortcut names only
//   "kept_links"  [{"file": link, "backup": path}]: links of those names that
//                 were there before (the user's own), each waiting under its
//                 backup name ("<link>.old", "<link>.N.old") beside it
//   "start_menu"  the product's start-menu folder, when the install made it
//   "setup"       {"root": install folder, "shortcut": the setup's lists}
//
// Every path is a full path with "\" separators. Reading is lenient: entries
// of the wrong kind, or that do not decode, are skipped. Reading is strict
// about places: a path that does not lie inside the install folder (see
// IsInsideFolder; for "folders", or is that folder or one above it) is no
// part of the record, whatever wrote it there, and an
// install folder that is no full path makes a record without a folder.
#pragma once

#include <set>
#include <string>
#include <vector>

class JsonValue;

struct KeptFile {
  std::wstring file;
  std::wstring backup;
};

struct InstallRecord {
  std::wstring folder;
  std::vector<std::wstring> files;
  std::vector<std::wstring> folders;
  std::vector<KeptFile> kept;
  std::wstring uninstaller_name;
  // Paths of the config that were left out of the record because they do not
  // lie inside the install folder; never written back.
  std::vector<std::wstring> outside;
  // "links", and whether the record has the member at all.
  std::vector<std::wstring> links;
  bool links_recorded = false;
  std::vector<KeptFile> kept_links;
  // Empty when the install did not make the start-menu folder.
  std::wstring start_menu_folder;
};

// True when `path` lies below `folder`, both full paths ("X:\..." or
// "\\server\share..."), as Windows resolves them ("." and doubled
// separators dropped, ".." taking away the name before it): the folder's
// names, compared without regard to case, then at least one name that could
// be an archive entry's (setup/entry_names.h: no drive, stream or device
// name, no trailing dot or blank). Lexical: links are the engines' concern.
bool IsInsideFolder(const std::wstring& path, const std::wstring& folder);

// The record of `config`; `folder` empty when it names no install folder.
InstallRecord ReadInstallRecord(const JsonValue& config);

// Writes the record's members into `config` ("setup"/"root" included, its
// "shortcut" untouched); empty lists and the default uninstaller name are
// left out.
void WriteInstallRecord(const InstallRecord& record, JsonValue& config);

// The uninstaller's full path: the record's folder and its uninstaller name.
std::wstring UninstallerPathOf(const InstallRecord& record);

// What a folder holds of a product's earlier install there.
struct EarlierInstall {
  // True when an uninstaller of the product whose record names the folder is
  // there; `record` is then its record.
  bool found = false;
  InstallRecord record;
  // The uninstaller name a new install there takes: the earlier one's, or
  // else the first of "unins000.exe" to "unins999.exe" that no file has.
  std::wstring uninstaller_name;
  // Paths of the config that were left out of the record because they do not
  // lie inside the install folder; never written back.
  std::vector<std::wstring> outside;
};

// True when `path` lies below `folder`, both full paths ("X:\..." or
// "\\server\share..."), as Windows resolves them ("." and doubled
// separators dropped, ".." taking away the name before it): the folder's
// names, compared without regard to case, then at least one name that could
// be an archive entry's (setup/entry_names.h: no drive, stream or device
// name, no trailing dot or blank). Lexical: links are the engines' concern.
bool IsInsideFolder(const std::wstring& path, const std::wstring& folder);

// Looks for an uninstaller ("uninsNNN.exe", not a link) of the product
// `product_id` (compared without regard to case) in `folder`.
EarlierInstall FindEarlierInstall(const std::wstring& folder, const std::wstring& product_id);

// Deletes the product's own file `path`, read-only or not. False, with the
// error of the deletion for GetLastError, when the file stays.
bool DeleteProductFile(const std::wstring& path);

// Those of `folders` that exist and are no link, the deepest first.
std::vector<std::wstring> FoldersDeepestFirst(std::vector<std::wstring> folders);

// Removes those of `folders` that are empty, the deepest first (so that a
// folder whose subfolders go is empty at its turn); a link is never removed.
void RemoveEmptyFolders(std::vector<std::wstring> folders);

// A set of paths compared without regard to case, as Windows compares names.
class PathSet {
 public:
  PathSet() = default;
  explicit PathSet(const std::vector<std::wstring>& paths);
  void Add(const std::wstring& path);
  bool Contains(const std::wstring& path) const;

 private:
  std::set<std::wstring> keys_;
};
