// The package behind an executable on disk: the byte-level rules of package_format.h applied to
// Win32 files. The program opens its own image (GetModulePath(), setup/paths.h) once as a
// PackageFile and reads everything through it.
//
// Every reader reads a file opened for reading with read sharing only, so the running executable
// can be read while it runs and no other process can change it meanwhile. Any broken rule, and a
// file that cannot be opened, means "no package"; nothing shows a message.
#ifndef BRINDLE_SETUP_PACKAGE_LAYOUT_H_
#define BRINDLE_SETUP_PACKAGE_LAYOUT_H_

#include <windows.h>

#include <cstdint>
#include <string>

#include "setup/package_format.h"
#include "setup/win_handles.h"

class JsonValue;

// The file that holds a setup package, opened once for reading with read sharing only: while it
// is open nobody can write, rename or delete the file, and every read through it sees the bytes
// of the file it opened, whatever comes to stand at its path later. Copies share the open file
// (a duplicated handle). An empty PackageFile, or one whose path could not be opened, reads
// nothing.
class PackageFile {
 public:
  PackageFile() = default;
  // Opens `path`. Implicit, so that a path stands for a package opened for one call only.
  PackageFile(const std::wstring& path);  // NOLINT(google-explicit-constructor)
  PackageFile(const PackageFile& other);
  PackageFile& operator=(const PackageFile& other);
  PackageFile(PackageFile&&) noexcept = default;
  PackageFile& operator=(PackageFile&&) noexcept = default;

  bool IsOpen() const { return static_cast<bool>(file_); }
  // Borrowed; valid while this object lives.
  HANDLE handle() const { return file_.get(); }
  // The path it was opened by, for messages and logs; it may name another file by now.
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
  UniqueHandle file_;
};

// A new handle to the file behind `file` (same access), or an empty one.
UniqueHandle DuplicateFileHandle(HANDLE file);

// A ByteSource over a package file, read through a handle of its own to the same open file. Its
// size is taken once, when it is made; positioned reads do not move a shared file pointer.
class FileByteSource final : public ByteSource {
 public:
  explicit FileByteSource(const PackageFile& package);
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

// Steps 1 to 3 of reading: the package offset P and the file size of the executable `package`.
bool LocatePackage(const PackageFile& package, PackageLocation& location);

// Steps 1 to 5: the package config of the executable `package` as a JSON document. On success
// `location` (when given) holds P, the file size and the config length L. The config of a signed
// uninstaller ({"mode":0,"record":"beside"}, setup/uninstaller_image.h) gives the record file
// beside the path `package` was opened by instead; a missing or damaged one means no package.
bool LoadPackageConfig(const PackageFile& package, JsonValue& config,
                       PackageLocation* location = nullptr);

// Step 6 on a file: where the payload archive of the setup package `package`, whose package
// starts at P with config length L, lies, so that it can be read in place.
bool LocatePayloadArchive(const PackageFile& package, uint32_t package_offset, uint32_t config_length,
                          ArchiveRange& range);

// Step 6 into memory: the Z archive bytes of the setup package `package`.
bool LoadPayloadArchive(const PackageFile& package, uint32_t package_offset, uint32_t config_length,
                        std::string& archive);

// The uninstaller copy (P + 4 + L' bytes) of the setup package `setup`, in memory.
bool BuildUninstallerCopy(const PackageFile& setup, uint32_t package_offset,
                          const JsonValue& config, std::string& copy);

// Writes the uninstaller copy of the setup package `setup` to `copy_path`, copying the
// program image in chunks. False when the setup package cannot be read or the copy not be
// written completely; a partial copy is then deleted. `write_error`, when given, receives the
// Win32 error of creating or writing the copy (ERROR_DISK_FULL, for one), or ERROR_SUCCESS when
// the copy was written or only the setup package failed.
bool WriteUninstallerCopyFile(const PackageFile& setup, uint32_t package_offset,
                              const JsonValue& config, const std::wstring& copy_path,
                              DWORD* write_error = nullptr);

#endif  // BRINDLE_SETUP_PACKAGE_LAYOUT_H_
