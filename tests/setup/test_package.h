// Test helper: writes ZIP archives and setup packages from data the tests
// make up, including broken ones (wrong CRC, unknown compression method,
// truncated data, names that escape the install folder). Writes UTF-8 names
// (general-purpose flag bit 11), no ZIP64; sizes stay below 4 GiB.
#pragma once

#include <windows.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "setup/package_format.h"
#include "setup/paths.h"

namespace test_package {

// One archive entry. A folder entry's name ends with "/" and has no data.
struct ZipEntry {
  std::string name;              // as stored (UTF-8)
  std::string data;              // uncompressed content
  bool deflate = true;           // method 8, else 0 (stored)
  uint16_t method_override = 0;  // when non-zero, stored in the headers instead
  bool wrong_crc = false;        // store a CRC that does not match the data
  bool truncate_data = false;    // drop the second half of the compressed data
};

inline void PutU16(std::string& out, uint16_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>(value >> 8));
}

inline void PutU32(std::string& out, uint32_t value) {
  PutU16(out, static_cast<uint16_t>(value & 0xFFFF));
  PutU16(out, static_cast<uint16_t>(value >> 16));
}

inline std::string RawDeflate(const std::string& data) {
  z_stream stream = {};
  deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, static_cast<uLong>(data.size())) + 16, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

// Writes the headers of one entry; the caller writes `compressed_size` bytes
// of data behind the local header.
struct HeaderFields {
  std::string name;
  uint16_t method;
  uint32_t crc;
  uint32_t compressed_size;
  uint32_t size;
};

inline void PutCommonFields(std::string& out, const HeaderFields& fields) {
  PutU16(out, 20);       // version needed
  PutU16(out, 1 << 11);  // flags: UTF-8 names
  PutU16(out, fields.method);
  PutU16(out, 0);     // time
  PutU16(out, 0x21);  // date: 1980-01-01
  PutU32(out, fields.crc);
  PutU32(out, fields.compressed_size);
  PutU32(out, fields.size);
  PutU16(out, static_cast<uint16_t>(fields.name.size()));
  PutU16(out, 0);  // extra field length
}

inline std::string LocalHeader(const HeaderFields& fields) {
  std::string out;
  PutU32(out, 0x04034b50);
  PutCommonFields(out, fields);
  return out + fields.name;
}

inline std::string CentralHeader(const HeaderFields& fields, uint32_t local_offset) {
  std::string out;
  PutU32(out, 0x02014b50);
  PutU16(out, 20);  // version made by
  PutCommonFields(out, fields);
  PutU16(out, 0);  // comment length
  PutU16(out, 0);  // disk number
  PutU16(out, 0);  // internal attributes
  PutU32(out, fields.name.size() && fields.name.back() == '/' ? 0x10 : 0);
  PutU32(out, local_offset);
  return out + fields.name;
}

inline std::string EndRecord(size_t entries, uint32_t directory_size, uint32_t directory_offset) {
  std::string out;
  PutU32(out, 0x06054b50);
  PutU16(out, 0);
  PutU16(out, 0);
  PutU16(out, static_cast<uint16_t>(entries));
  PutU16(out, static_cast<uint16_t>(entries));
  PutU32(out, directory_size);
  PutU32(out, directory_offset);
  PutU16(out, 0);
  return out;
}

// The whole archive in memory.
inline std::string BuildZip(const std::vector<ZipEntry>& entries) {
  std::string archive;
  std::string directory;
  for (const ZipEntry& entry : entries) {
    const bool deflate = entry.deflate && !entry.data.empty();
    std::string body = deflate ? RawDeflate(entry.data) : entry.data;
    if (entry.truncate_data) body.resize(body.size() / 2);
    uint32_t crc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(entry.data.data()),
                                               static_cast<uInt>(entry.data.size())));
    if (entry.wrong_crc) crc ^= 0x5A5A5A5A;
    HeaderFields fields = {
        entry.name,
        entry.method_override ? entry.method_override : static_cast<uint16_t>(deflate ? 8 : 0), crc,
        static_cast<uint32_t>(body.size()), static_cast<uint32_t>(entry.data.size())};
    directory += CentralHeader(fields, static_cast<uint32_t>(archive.size()));
    archive += LocalHeader(fields) + body;
  }
  const uint32_t directory_offset = static_cast<uint32_t>(archive.size());
  archive += directory;
  return archive +
         EndRecord(entries.size(), static_cast<uint32_t>(directory.size()), directory_offset);
}

inline bool ReadFileBytes(const std::wstring& path, std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bytes.clear();
  char buffer[65536];
  DWORD read = 0;
  bool ok = true;
  while ((ok = ReadFile(file, buffer, sizeof(buffer), &read, nullptr) != 0) && read > 0) {
    bytes.append(buffer, read);
  }
  CloseHandle(file);
  return ok;
}

inline bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size();
  return CloseHandle(file) && ok;
}

// Full path of a program that lies beside the running test program.
inline std::wstring SiblingProgram(const std::wstring& file_name) {
  std::wstring path = GetModulePath();
  return path.substr(0, path.find_last_of(L'\\') + 1) + file_name;
}

// The program image used in front of every test package: the engine helper,
// so that uninstaller copies made from the packages run. Its whole file is
// the image; its package offset P is its size.
inline std::string StubImage() {
  std::string image;
  ReadFileBytes(SiblingProgram(L"setup_engine_helper.exe"), image);
  const uint32_t lfanew = LoadU32(reinterpret_cast<const unsigned char*>(&image[kLfanewOffset]));
  StoreU32(static_cast<uint32_t>(image.size()),
           reinterpret_cast<unsigned char*>(&image[lfanew - 4]));
  return image;
}

// Stub image, config length, config text and, unless `archive` is null, the
// archive length and archive.
inline std::string BuildPackage(const std::string& config_text, const std::string* archive) {
  std::string package = StubImage();
  AppendU32(static_cast<uint32_t>(config_text.size()), package);
  package += config_text;
  if (archive) {
    AppendU32(static_cast<uint32_t>(archive->size()), package);
    package += *archive;
  }
  return package;
}

}  // namespace test_package
