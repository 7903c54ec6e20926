#include "setup/pe_image.h"

namespace {

constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr uint64_t kCoffHeaderSize = 20;
constexpr uint64_t kSectionHeaderSize = 40;
constexpr uint64_t kChecksumField = 64;  // in the optional header, both kinds
constexpr uint32_t kResourceDirectory = 2;
constexpr uint32_t kSecurityDirectory = 4;

bool Read16(ByteSource& file, uint64_t offset, uint16_t& value) {
  unsigned char bytes[2];
  if (!file.ReadAt(offset, bytes, sizeof bytes)) return false;
  value = static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
  return true;
}

bool Read32(ByteSource& file, uint64_t offset, uint32_t& value) {
  unsigned char bytes[4];
  if (!file.ReadAt(offset, bytes, sizeof bytes)) return false;
  value = LoadU32(bytes);
  return true;
}

bool ReadDirectory(ByteSource& file, uint64_t offset, PeDirectory& directory) {
  return Read32(file, offset, directory.address) && Read32(file, offset + 4, directory.size);
}

}  // namespace

bool ReadPeImageFields(ByteSource& file, PeImageFields& fields) {
  fields = PeImageFields{};
  char mz[2];
  uint32_t lfanew = 0;
  uint32_t signature = 0;
  if (!file.ReadAt(0, mz, 2) || mz[0] != 'M' || mz[1] != 'Z' ||
      !Read32(file, kLfanewOffset, lfanew) || !Read32(file, lfanew, signature) ||
      signature != 0x4550) {
    return false;
  }
  const uint64_t coff = uint64_t{lfanew} + 4;
  const uint64_t optional = coff + kCoffHeaderSize;
  uint16_t section_count = 0;
  uint16_t optional_size = 0;
  uint16_t magic = 0;
  if (!Read16(file, coff + 2, section_count) || !Read16(file, coff + 16, optional_size) ||
      !Read16(file, optional, magic) || (magic != kPe32Magic && magic != kPe32PlusMagic)) {
    return false;
  }
  const uint64_t count_field = optional + (magic == kPe32Magic ? 92 : 108);
  const uint64_t directories = count_field + 4;
  uint32_t directory_count = 0;
  if (!Read32(file, count_field, directory_count) || directory_count <= kSecurityDirectory ||
      directories + 8 * uint64_t{kSecurityDirectory + 1} > optional + optional_size) {
    return false;
  }
  fields.checksum_offset = optional + kChecksumField;
  fields.security_entry_offset = directories + 8 * kSecurityDirectory;
  if (!ReadDirectory(file, fields.security_entry_offset, fields.security) ||
      !ReadDirectory(file, directories + 8 * kResourceDirectory, fields.resources)) {
    return false;
  }
  const uint64_t table = optional + optional_size;
  for (uint16_t i = 0; i < section_count; ++i) {
    const uint64_t header = table + i * kSectionHeaderSize;
    PeSection section;
    if (!Read32(file, header + 8, section.virtual_size) ||
        !Read32(file, header + 12, section.virtual_address) ||
        !Read32(file, header + 16, section.raw_size) ||
        !Read32(file, header + 20, section.raw_offset)) {
      return false;
    }
    fields.sections.push_back(section);
  }
  return true;
}

bool RvaToFileOffset(const PeImageFields& fields, uint32_t rva, uint32_t size, uint64_t& offset) {
  for (const PeSection& section : fields.sections) {
    if (rva < section.virtual_address) continue;
    const uint64_t into = rva - section.virtual_address;
    if (into + size <= section.raw_size) {
      offset = section.raw_offset + into;
      return true;
    }
  }
  return false;
}
