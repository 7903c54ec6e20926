#include "setup/package_format.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "json/json_reader.h"
#include "json/json_value.h"
#include "json/json_writer.h"
#include "setup/pe_image.h"

namespace {

// Program-image bytes copied per read when writing an uninstaller copy.
constexpr size_t kCopyChunkSize = 64 * 1024;

bool ReadU32At(ByteSource& file, uint64_t offset, uint32_t& value) {
  unsigned char bytes[4];
  if (!file.ReadAt(offset, bytes, sizeof bytes)) return false;
  value = LoadU32(bytes);
  return true;
}

// True when `size` bytes at `offset` lie inside a file of `file_size` bytes.
bool InsideFile(uint64_t offset, uint64_t size, uint64_t file_size) {
  return offset <= file_size && size <= file_size - offset;
}

struct ByteRange {
  uint64_t offset;
  uint64_t size;
};

// The header fields that a signed setup package's uninstaller copy carries as zeros: the
// certificate table entry, which names the signature behind the setup's package and so would point
// past the end of the copy (the signature covers the setup's package and cannot travel with a copy
// that has another config), and the CheckSum computed over the signed file. Empty for an unsigned
// image, whose copy keeps every header byte.
std::vector<ByteRange> SignatureFields(ByteSource& setup_file, uint32_t package_offset) {
  PeImageFields fields;
  if (!ReadPeImageFields(setup_file, fields) ||
      (fields.security.address == 0 && fields.security.size == 0)) {
    return {};
  }
  std::vector<ByteRange> ranges;
  for (const ByteRange& range :
       {ByteRange{fields.security_entry_offset, 8}, ByteRange{fields.checksum_offset, 4}}) {
    if (InsideFile(range.offset, range.size, package_offset)) ranges.push_back(range);
  }
  return ranges;
}

// Zeros the bytes of `ranges` that fall inside `chunk`, which holds `size` bytes from `offset`.
void ClearRanges(const std::vector<ByteRange>& ranges, uint64_t offset, size_t size,
                 unsigned char* chunk) {
  for (const ByteRange& range : ranges) {
    for (uint64_t at = range.offset; at < range.offset + range.size; ++at) {
      if (at >= offset && at - offset < size) chunk[at - offset] = 0;
    }
  }
}

}  // namespace

bool MemoryByteSource::ReadAt(uint64_t offset, void* buffer, size_t size) {
  if (!InsideFile(offset, size, bytes_.size())) return false;
  if (size != 0) std::memcpy(buffer, bytes_.data() + offset, size);
  return true;
}

bool StringByteSink::Write(const void* data, size_t size) {
  out_.append(static_cast<const char*>(data), size);
  return true;
}

const char* DescribePackageError(PackageError error) {
  switch (error) {
    case PackageError::kNone:
      return "the package is intact";
    case PackageError::kReadFailed:
      return "a read inside the file failed";
    case PackageError::kNoDosHeader:
      return "the file is shorter than the 64-byte DOS header";
    case PackageError::kNoOffsetField:
      return "the package offset field at e_lfanew - 4 lies outside the file";
    case PackageError::kZeroOffset:
      return "the package offset at e_lfanew - 4 is 0 (no package)";
    case PackageError::kOffsetPastEnd:
      return "the package offset is not less than the file size";
    case PackageError::kNoConfigLength:
      return "fewer than 4 bytes follow the package offset (no config length)";
    case PackageError::kConfigPastEnd:
      return "the config reaches past the end of the file (4 + L > file size - P)";
    case PackageError::kConfigTooLong:
      return "the config length L exceeds 64 MiB";
    case PackageError::kConfigSyntax:
      return "the package config is not valid JSON";
    case PackageError::kNoArchiveLength:
      return "fewer than 4 bytes follow the config (no archive length)";
    case PackageError::kArchivePastEnd:
      return "the archive reaches past the end of the file (8 + L + Z > file size - P)";
  }
  return "unknown package error";
}

PackageError LocatePackage(ByteSource& file, PackageLocation& location) {
  location = PackageLocation{};
  location.file_size = file.Size();
  if (location.file_size < kDosHeaderSize) return PackageError::kNoDosHeader;
  uint32_t lfanew = 0;
  if (!ReadU32At(file, kLfanewOffset, lfanew)) return PackageError::kReadFailed;
  location.lfanew = lfanew;
  if (lfanew < 4 || !InsideFile(lfanew - 4, 4, location.file_size)) {
    return PackageError::kNoOffsetField;
  }
  uint32_t package_offset = 0;
  if (!ReadU32At(file, lfanew - 4, package_offset)) return PackageError::kReadFailed;
  location.package_offset = package_offset;
  if (package_offset == 0) return PackageError::kZeroOffset;
  if (package_offset >= location.file_size) return PackageError::kOffsetPastEnd;
  return PackageError::kNone;
}

PackageError ReadPackageConfigText(ByteSource& file, PackageLocation& location, std::string& text) {
  text.clear();
  PackageError error = LocatePackage(file, location);
  if (error != PackageError::kNone) return error;
  const uint64_t available = location.file_size - location.package_offset;
  if (available < 4) return PackageError::kNoConfigLength;
  uint32_t config_length = 0;
  if (!ReadU32At(file, location.package_offset, config_length)) return PackageError::kReadFailed;
  location.config_length = config_length;
  if (4 + uint64_t{config_length} > available) return PackageError::kConfigPastEnd;
  if (config_length > kMaxConfigLength) return PackageError::kConfigTooLong;
  text.resize(config_length);
  if (!file.ReadAt(uint64_t{location.package_offset} + 4, text.data(), text.size())) {
    text.clear();
    return PackageError::kReadFailed;
  }
  return PackageError::kNone;
}

bool ParsePackageConfigText(const std::string& text, JsonValue& config) {
  // The reader stops at the first zero byte; std::string supplies the terminating one.
  JsonReader reader;
  return reader.parse(text.c_str(), config);
}

PackageError LoadPackageConfig(ByteSource& file, JsonValue& config, PackageLocation& location) {
  std::string text;
  PackageError error = ReadPackageConfigText(file, location, text);
  if (error != PackageError::kNone) return error;
  return ParsePackageConfigText(text, config) ? PackageError::kNone : PackageError::kConfigSyntax;
}

PackageError LocatePayloadArchive(ByteSource& file, uint32_t package_offset, uint32_t config_length,
                                  ArchiveRange& range) {
  range = ArchiveRange{};
  const uint64_t file_size = file.Size();
  if (package_offset == 0) return PackageError::kZeroOffset;
  if (package_offset >= file_size) return PackageError::kOffsetPastEnd;
  const uint64_t available = file_size - package_offset;
  if (4 + uint64_t{config_length} > available) return PackageError::kConfigPastEnd;
  if (8 + uint64_t{config_length} > available) return PackageError::kNoArchiveLength;
  uint32_t archive_length = 0;
  if (!ReadU32At(file, uint64_t{package_offset} + 4 + config_length, archive_length)) {
    return PackageError::kReadFailed;
  }
  if (8 + uint64_t{config_length} + archive_length > available) {
    return PackageError::kArchivePastEnd;
  }
  range.offset = uint64_t{package_offset} + 8 + config_length;
  range.length = archive_length;
  return PackageError::kNone;
}

bool LoadPayloadArchive(std::string_view file, uint32_t package_offset, uint32_t config_length,
                        std::string& archive) {
  archive.clear();
  MemoryByteSource source(file);
  ArchiveRange range;
  if (LocatePayloadArchive(source, package_offset, config_length, range) != PackageError::kNone) {
    return false;
  }
  archive.assign(file.substr(range.offset, range.length));
  return true;
}

std::string FormatPackageConfig(const JsonValue& config) {
  JsonWriter writer;
  return writer.write(config);
}

bool WriteUninstallerCopy(ByteSource& setup_file, uint32_t package_offset, const JsonValue& config,
                          ByteSink& sink) {
  if (package_offset == 0 || package_offset > setup_file.Size()) return false;
  const std::string text = FormatPackageConfig(config);
  if (text.size() > std::numeric_limits<uint32_t>::max()) return false;

  const std::vector<ByteRange> cleared = SignatureFields(setup_file, package_offset);
  std::vector<unsigned char> chunk(std::min<size_t>(kCopyChunkSize, package_offset));
  for (uint64_t done = 0; done < package_offset;) {
    const size_t size =
        static_cast<size_t>(std::min<uint64_t>(chunk.size(), package_offset - done));
    if (!setup_file.ReadAt(done, chunk.data(), size)) return false;
    ClearRanges(cleared, done, size, chunk.data());
    if (!sink.Write(chunk.data(), size)) return false;
    done += size;
  }
  unsigned char length[4];
  StoreU32(static_cast<uint32_t>(text.size()), length);
  return sink.Write(length, sizeof length) && sink.Write(text.data(), text.size());
}

bool BuildUninstallerCopy(std::string_view setup_file, uint32_t package_offset,
                          const JsonValue& config, std::string& copy) {
  copy.clear();
  MemoryByteSource source(setup_file);
  StringByteSink sink(copy);
  if (package_offset <= setup_file.size()) copy.reserve(package_offset + 4 + 1024);
  if (!WriteUninstallerCopy(source, package_offset, config, sink)) {
    copy.clear();
    return false;
  }
  return true;
}

uint32_t LoadU32(const unsigned char* bytes) {
  return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
         uint32_t{bytes[3]} << 24;
}

void StoreU32(uint32_t value, unsigned char* bytes) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

void AppendU32(uint32_t value, std::string& out) {
  unsigned char bytes[4];
  StoreU32(value, bytes);
  out.append(reinterpret_cast<const char*>(bytes), sizeof bytes);
}
