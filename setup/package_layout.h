// The package behind an executable on disk: the byte-level rules of package_format.h applied to
// Win32 files. For the running program pass GetModulePath() (setup/paths.h) as the path.
//
// Every reader opens the file for reading with read sharing only, so the running executable can
// be read while it runs and no other process can change it meanwhile. Any broken rule, and a
// file that cannot be opened, means "no package"; nothing shows a message.
#ifndef BRINDLE_SETUP_PACKAGE_LAYOUT_H_
#define BRINDLE_SETUP_PACKAGE_LAYOUT_H_

#include <windows.h>

#include <cstdint>
#include <string>

#include "setup/package_format.h"
#include "setup/win_handles.h"

class JsonValue;

// A ByteSource over a file opened with GENERIC_READ and FILE_SHARE_READ. Its size is taken
// once, when it is opened; positioned reads do not move a shared file pointer.
class FileByteSource final : public ByteSource {
 public:
  explicit FileByteSource(const std::wstring& path);
  // False when the file could not be opened or its size not be read; every read then fails.
  bool IsOpen() const { return static_cast<bool>(file_); }
  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t offset, void* buffer, size_t size) override;

 private:
  UniqueHandle file_;
  uint64_t size_ = 0;
};

// A ByteSink that creates (or truncates) a file and writes it sequentially, without sharing.
class FileByteSink final : public ByteSink {
 public:
  explicit FileByteSink(const std::wstring& path);
  bool IsOpen() const { return static_cast<bool>(file_); }
  bool Write(const void* data, size_t size) override;
  // Closes the file; false when it was not open or closing failed.
  bool Close();
  // The Win32 error of the first failed create, write or close; ERROR_SUCCESS when none failed.
  DWORD error() const { return error_; }

 private:
  UniqueHandle file_;
  DWORD error_ = ERROR_SUCCESS;
};

// Steps 1 to 3 of reading: the package offset P and the file size of the executable at `path`.
bool LocatePackage(const std::wstring& path, PackageLocation& location);

// Steps 1 to 5: the package config of the executable at `path` as a JSON document. On success
// `location` (when given) holds P, the file size and the config length L.
bool LoadPackageConfig(const std::wstring& path, JsonValue& config,
                       PackageLocation* location = nullptr);

// Step 6 on a file: where the payload archive of the setup package at `path`, whose package
// starts at P with config length L, lies, so that it can be read in place.
bool LocatePayloadArchive(const std::wstring& path, uint32_t package_offset, uint32_t config_length,
                          ArchiveRange& range);

// Step 6 into memory: the Z archive bytes of the setup package at `path`.
bool LoadPayloadArchive(const std::wstring& path, uint32_t package_offset, uint32_t config_length,
                        std::string& archive);

// The uninstaller copy (P + 4 + L' bytes) of the setup package at `setup_path`, in memory.
bool BuildUninstallerCopy(const std::wstring& setup_path, uint32_t package_offset,
                          const JsonValue& config, std::string& copy);

// Writes the uninstaller copy of the setup package at `setup_path` to `copy_path`, copying the
// program image in chunks. False when the setup package cannot be read or the copy not be
// written completely; a partial copy is then deleted. `write_error`, when given, receives the
// Win32 error of creating or writing the copy (ERROR_DISK_FULL, for one), or ERROR_SUCCESS when
// the copy was written or only the setup package failed.
bool WriteUninstallerCopyFile(const std::wstring& setup_path, uint32_t package_offset,
                              const JsonValue& config, const std::wstring& copy_path,
                              DWORD* write_error = nullptr);

#endif  // BRINDLE_SETUP_PACKAGE_LAYOUT_H_
