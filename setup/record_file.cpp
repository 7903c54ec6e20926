#include "setup/record_file.h"

#include "json/json_value.h"
#include "setup/file_utils.h"
#include "setup/package_format.h"
#include "setup/package_layout.h"
#include "setup/uninstaller_image.h"

RecordFileState ReadRecordFile(const std::wstring& path, JsonValue& config) {
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      return RecordFileState::kMissing;
    }
  }
  std::string text;
  if (!ReadWholeFile(path, text) || text.size() > kMaxConfigLength ||
      text.find('\0') != std::string::npos || !ParsePackageConfigText(text, config) ||
      !NamesRecordBeside(config)) {
    return RecordFileState::kDamaged;
  }
  return RecordFileState::kRead;
}

DWORD WriteCheckedFile(const std::wstring& path, std::string_view bytes) {
  FileByteSink sink(path);
  if (!sink.IsOpen()) return sink.error();
  const bool written = sink.Write(bytes.data(), bytes.size());
  const bool closed = sink.Close();
  DWORD error = sink.error();
  if (written && closed) {
    std::string back;
    if (ReadWholeFile(path, back) && back == bytes) return ERROR_SUCCESS;
    error = ERROR_INVALID_DATA;
  }
  if (error == ERROR_SUCCESS) error = ERROR_WRITE_FAULT;
  DeleteFileW(path.c_str());
  return error;
}

DWORD WriteRecordFile(const std::wstring& path, const JsonValue& config) {
  return WriteCheckedFile(path, FormatPackageConfig(config));
}

bool KeepsRecordBeside(const std::wstring& uninstaller) {
  FileByteSource file{PackageFile(uninstaller)};
  JsonValue config;
  PackageLocation location;
  return file.IsOpen() && LoadPackageConfig(file, config, location) == PackageError::kNone &&
         NamesRecordBeside(config);
}
