// The record file beside a signed uninstaller (setup/uninstaller_image.h): the installation's
// record, a config of the uninstaller's form, in the compact JSON text the package configs use.
// It lies in the install folder, so the folder's access list guards it as it guards the
// uninstaller; nothing gives it an access list of its own.
#ifndef BRINDLE_SETUP_RECORD_FILE_H_
#define BRINDLE_SETUP_RECORD_FILE_H_

#include <windows.h>

#include <string>
#include <string_view>

class JsonValue;

enum class RecordFileState {
  kRead,     // the record was read
  kMissing,  // no file at the path
  kDamaged,  // unreadable, too long, no JSON, or no uninstaller's record naming itself beside
};

// Reads the record file `path` into `config`. Only kRead leaves a usable `config`.
RecordFileState ReadRecordFile(const std::wstring& path, JsonValue& config);

// Writes `config` as the record file `path` (made anew, or replacing what is there), then reads
// it back and compares: ERROR_SUCCESS, the Win32 error of creating or writing it (ERROR_DISK_FULL,
// for one), or ERROR_INVALID_DATA when it reads back differently. A failed write leaves no
// partial file.
DWORD WriteRecordFile(const std::wstring& path, const JsonValue& config);

// True when the program image at `uninstaller` (its own config, not followed) keeps its record in
// the file beside it: a signed uninstaller.
bool KeepsRecordBeside(const std::wstring& uninstaller);

// Writes `bytes` as the file `path` (made anew, or replacing what is there) and reads it back:
// ERROR_SUCCESS or the error as for WriteRecordFile.
DWORD WriteCheckedFile(const std::wstring& path, std::string_view bytes);

#endif  // BRINDLE_SETUP_RECORD_FILE_H_
