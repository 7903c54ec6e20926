// Test helper: a small PE image (PE32 or PE32+) with a chosen certificate table entry, CheckSum
// and one section, for the tests of the header fields that package code reads or clears.
#ifndef BRINDLE_TESTS_SETUP_PE_IMAGE_BUILDER_H_
#define BRINDLE_TESTS_SETUP_PE_IMAGE_BUILDER_H_

#include <cstdint>
#include <string>

#include "setup/package_format.h"

namespace pe_test {

struct PeShape {
  bool plus = false;  // PE32+ (x86-64) instead of PE32
  uint32_t checksum = 0x1234;
  uint32_t security_offset = 0;  // the certificate table entry: file offset and size
  uint32_t security_size = 0;
  uint32_t section_rva = 0x1000;
  uint32_t section_raw_offset = 0x200;
  uint32_t section_raw_size = 0x200;
  uint32_t size = 0x400;  // bytes of the whole image
};

constexpr uint32_t kLfanew = 128;

inline void Put16(std::string& bytes, size_t at, uint16_t value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>(value >> 8);
}

inline void Put32(std::string& bytes, size_t at, uint32_t value) {
  StoreU32(value, reinterpret_cast<unsigned char*>(&bytes[at]));
}

// Optional header offsets used below: CheckSum at 64 in both kinds; the directory count at 92
// (PE32) or 108 (PE32+), the directories right after it.
inline size_t OptionalHeader() { return kLfanew + 24; }
inline size_t Directories(const PeShape& shape) {
  return OptionalHeader() + (shape.plus ? 112 : 96);
}
inline size_t SecurityEntry(const PeShape& shape) { return Directories(shape) + 32; }
inline size_t ChecksumField() { return OptionalHeader() + 64; }

inline std::string MakePeImage(const PeShape& shape) {
  std::string bytes(shape.size, '\0');
  bytes[0] = 'M';
  bytes[1] = 'Z';
  Put32(bytes, kLfanewOffset, kLfanew);
  bytes.replace(kLfanew, 4, std::string("PE\0\0", 4));
  const uint16_t optional_size = shape.plus ? 240 : 224;
  Put16(bytes, kLfanew + 4, shape.plus ? 0x8664 : 0x14C);
  Put16(bytes, kLfanew + 6, 1);
  Put16(bytes, kLfanew + 20, optional_size);
  Put16(bytes, OptionalHeader(), shape.plus ? 0x20B : 0x10B);
  Put32(bytes, ChecksumField(), shape.checksum);
  Put32(bytes, Directories(shape) - 4, 16);
  Put32(bytes, SecurityEntry(shape), shape.security_offset);
  Put32(bytes, SecurityEntry(shape) + 4, shape.security_size);
  const size_t section = OptionalHeader() + optional_size;
  bytes.replace(section, 5, ".rsrc");
  Put32(bytes, section + 8, shape.section_raw_size);
  Put32(bytes, section + 12, shape.section_rva);
  Put32(bytes, section + 16, shape.section_raw_size);
  Put32(bytes, section + 20, shape.section_raw_offset);
  for (size_t i = shape.section_raw_offset; i < bytes.size(); ++i) {
    bytes[i] = static_cast<char>(0x40 + i % 13);
  }
  return bytes;
}

}  // namespace pe_test

#endif  // BRINDLE_TESTS_SETUP_PE_IMAGE_BUILDER_H_
