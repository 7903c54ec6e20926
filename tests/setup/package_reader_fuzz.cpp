// libFuzzer target: a setup package read as the install engine reads it. The input is a whole
// package file: its config (LoadPackageConfig), its payload archive located behind the config and
// opened in place with minizip's unzip part (the engine's virtual lead-in byte included), and the
// archive's entries walked in order, each name converted and trimmed as the engine does and
// checked with its rule (IsSafeEntryName), each file entry inflated (at most 1 MiB of it) and its
// CRC checked. Aborts when:
//  - an accepted name leads outside the install folder once Windows resolves it (a component
//    that is "..", empty once Windows strips its trailing dots and blanks, a device name, a drive
//    or stream colon, a leading separator);
//  - the uninstaller record built from the accepted names (as the engine builds it) does not read
//    back through BuildUninstallerCopy and LoadPackageConfig with every path intact.
#include <unzip.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <string>
#include <string_view>
#include <vector>

#include "json/json_value.h"
#include "setup/base64.h"
#include "setup/device_names.h"
#include "setup/entry_names.h"
#include "setup/package_format.h"

namespace {

constexpr char kRoot[] = "C:\\Program Files\\Velto";
constexpr unsigned kEntryNameBufferSize = 1024;  // as the engine's
constexpr size_t kMaxInflatedPerEntry = 1 << 20;

// The archive bytes as minizip's stream, behind one virtual zero byte (see payload_reader.cpp).
struct MemoryStream {
  std::string_view archive;
  uint64_t position = 0;
  uint64_t Length() const { return archive.size() + 1; }
};

voidpf ZCALLBACK OpenMemory(voidpf opaque, const void*, int) {
  return new MemoryStream{*static_cast<const std::string_view*>(opaque)};
}

uLong ZCALLBACK ReadMemory(voidpf, voidpf handle, void* buffer, uLong size) {
  auto* stream = static_cast<MemoryStream*>(handle);
  auto* out = static_cast<char*>(buffer);
  uLong done = 0;
  while (done < size && stream->position < stream->Length()) {
    out[done++] = stream->position == 0 ? '\0' : stream->archive[stream->position - 1];
    ++stream->position;
  }
  return done;
}

uLong ZCALLBACK WriteMemory(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T ZCALLBACK TellMemory(voidpf, voidpf handle) {
  return static_cast<MemoryStream*>(handle)->position;
}

long ZCALLBACK SeekMemory(voidpf, voidpf handle, ZPOS64_T offset, int origin) {
  auto* stream = static_cast<MemoryStream*>(handle);
  const uint64_t from = origin == ZLIB_FILEFUNC_SEEK_SET   ? 0
                        : origin == ZLIB_FILEFUNC_SEEK_CUR ? stream->position
                                                           : stream->Length();
  if (offset > stream->Length() - from) return -1;
  stream->position = from + offset;
  return 0;
}

int ZCALLBACK CloseMemory(voidpf, voidpf handle) {
  delete static_cast<MemoryStream*>(handle);
  return 0;
}

int ZCALLBACK ErrorMemory(voidpf, voidpf) { return 0; }

unzFile OpenArchive(std::string_view& archive) {
  zlib_filefunc64_def functions = {};
  functions.zopen64_file = OpenMemory;
  functions.zread_file = ReadMemory;
  functions.zwrite_file = WriteMemory;
  functions.ztell64_file = TellMemory;
  functions.zseek64_file = SeekMemory;
  functions.zclose_file = CloseMemory;
  functions.zerror_file = ErrorMemory;
  functions.opaque = &archive;
  return unzOpen2_64("archive", &functions);
}

// UTF-8 to wide characters as MultiByteToWideChar does for the rule's purposes: ASCII stays
// ASCII, every other sequence (or broken byte) becomes one character above 0x7F.
std::wstring WideOf(const char* text) {
  std::wstring wide;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    if (*p < 0x80) {
      wide += static_cast<wchar_t>(*p);
    } else if ((*p & 0xC0) != 0x80) {
      wide += L'\xFFFD';
    }
  }
  return wide;
}

std::wstring TrimWhiteSpace(const std::wstring& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && std::iswspace(static_cast<wint_t>(text[begin]))) ++begin;
  while (end > begin && std::iswspace(static_cast<wint_t>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
}

// True when `name` resolves, as Windows resolves a relative path, to a place strictly inside the
// folder it is joined to; written independently of the rule under test.
bool StaysInside(const std::wstring& name) {
  if (name.empty() || name[0] == L'/' || name[0] == L'\\') return false;
  if (name.find(L':') != std::wstring::npos) return false;
  int depth = 0;
  std::wstring component;
  for (size_t i = 0; i <= name.size(); ++i) {
    if (i < name.size() && name[i] != L'/' && name[i] != L'\\') {
      component += name[i];
      continue;
    }
    if (!component.empty()) {
      std::wstring stripped = component;
      while (!stripped.empty() && (stripped.back() == L'.' || stripped.back() == L' ')) {
        stripped.pop_back();
      }
      if (stripped.empty() || component == L"..") return false;
      if (IsReservedDeviceName(std::wstring_view(stripped))) return false;
      ++depth;
    }
    component.clear();
  }
  return depth > 0;
}

std::string Utf8Of(const std::wstring& path) {
  std::string narrow;
  for (wchar_t c : path) {
    if (c < 0x80) {
      narrow += static_cast<char>(c);
    } else {
      narrow += "\xEF\xBF\xBD";  // U+FFFD, the only other character WideOf makes
    }
  }
  return narrow;
}

std::string RecordPath(const std::wstring& name) {
  std::string path = std::string(kRoot) + "\\" + Utf8Of(name);
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

// Inflates up to kMaxInflatedPerEntry bytes of the current entry; minizip checks the CRC when
// the whole entry was read.
void InflateEntry(unzFile zip) {
  if (unzOpenCurrentFile(zip) != UNZ_OK) return;
  static char buffer[64 * 1024];
  size_t total = 0;
  int read = 0;
  while (total < kMaxInflatedPerEntry &&
         (read = unzReadCurrentFile(zip, buffer, sizeof buffer)) > 0) {
    total += static_cast<size_t>(read);
  }
  unzCloseCurrentFile(zip);
}

// The names the engine would extract, in order, until the first it refuses.
std::vector<std::wstring> AcceptedNames(unzFile zip) {
  std::vector<std::wstring> names;
  unz_global_info64 global = {};
  if (unzGetGlobalInfo64(zip, &global) != UNZ_OK || global.number_entry == 0) return names;
  for (int status = unzGoToFirstFile(zip); status == UNZ_OK; status = unzGoToNextFile(zip)) {
    char name_buffer[kEntryNameBufferSize] = {};
    unz_file_info64 info = {};
    if (unzGetCurrentFileInfo64(zip, &info, name_buffer, kEntryNameBufferSize, nullptr, 0, nullptr,
                                0) != UNZ_OK ||
        info.size_filename >= kEntryNameBufferSize) {
      break;
    }
    const std::wstring name = TrimWhiteSpace(WideOf(name_buffer));
    if (!IsSafeEntryName(name)) break;
    if (!StaysInside(name)) std::abort();
    names.push_back(name);
    if (name.back() != L'/') InflateEntry(zip);
  }
  return names;
}

JsonValue PathList(const std::vector<std::string>& paths) {
  JsonValue list(JsonKind::Array);
  for (size_t i = 0; i < paths.size(); ++i)
    list[i] = JsonValue(Base64EncodeBytes(paths[i]).c_str());
  return list;
}

// The record the engine writes for `names`, written and read back as an uninstaller copy.
void CheckRecordReadsBack(std::string_view file, uint32_t package_offset, const JsonValue& setup,
                          const std::vector<std::wstring>& names) {
  std::vector<std::string> paths;
  for (const std::wstring& name : names) paths.push_back(RecordPath(name));
  JsonValue record(JsonKind::Object);
  if (!paths.empty()) record["files"] = PathList(paths);
  record["mode"] = 0;
  record["setup"]["shortcut"] = setup["shortcut"];
  record["setup"]["root"] = JsonValue(Base64EncodeBytes(kRoot).c_str());
  std::string copy;
  if (!BuildUninstallerCopy(file, package_offset, record, copy)) std::abort();
  MemoryByteSource source(copy);
  JsonValue read_back;
  PackageLocation location;
  if (LoadPackageConfig(source, read_back, location) != PackageError::kNone) std::abort();
  if (location.package_offset != package_offset) std::abort();
  const JsonValue& files = read_back["files"];
  if (files.size() != paths.size()) std::abort();
  for (size_t i = 0; i < paths.size(); ++i) {
    if (Base64DecodeText(files[i].toCString()) != paths[i]) std::abort();
  }
  if (Base64DecodeText(read_back["setup"]["root"].toCString()) != kRoot) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view file(reinterpret_cast<const char*>(data), size);
  MemoryByteSource source(file);
  JsonValue config;
  PackageLocation location;
  if (LoadPackageConfig(source, config, location) != PackageError::kNone) return 0;
  ArchiveRange range;
  if (LocatePayloadArchive(source, location.package_offset, location.config_length, range) !=
      PackageError::kNone) {
    return 0;
  }
  std::string_view archive = file.substr(range.offset, range.length);
  const unzFile zip = OpenArchive(archive);
  if (!zip) return 0;
  const std::vector<std::wstring> names = AcceptedNames(zip);
  unzClose(zip);
  CheckRecordReadsBack(file, location.package_offset, config, names);
  return 0;
}
