#include "tools/pe_stub.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "json/json_value.h"
#include "setup/package_format.h"

namespace {

struct Machine {
  uint16_t machine;
  uint16_t magic;  // the optional header's magic an image of this machine carries
  const char* architecture;
};
constexpr Machine kMachines[] = {
    {0x14C, 0x10B, "x86"},   // i386, PE32
    {0x8664, 0x20B, "x64"},  // AMD64, PE32+
};
constexpr uint64_t kCoffHeaderSize = 20;
constexpr uint64_t kSectionHeaderSize = 40;

uint16_t U16(std::string_view bytes, uint64_t offset) {
  return static_cast<uint16_t>(static_cast<unsigned char>(bytes[offset]) |
                               static_cast<unsigned char>(bytes[offset + 1]) << 8);
}

uint32_t U32(std::string_view bytes, uint64_t offset) {
  return LoadU32(reinterpret_cast<const unsigned char*>(bytes.data() + offset));
}

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

// Names the package a stub already carries, or empty when the non-zero bytes are no package.
std::string DescribeExistingPackage(std::string_view bytes) {
  MemoryByteSource source(bytes);
  JsonValue config;
  PackageLocation location;
  if (LoadPackageConfig(source, config, location) != PackageError::kNone) return std::string();
  return "already carries a package (package offset " + std::to_string(location.package_offset) +
         ", config of " + std::to_string(location.config_length) +
         " bytes); give the program image without its package";
}

const Machine* FindMachine(uint16_t machine) {
  for (const Machine& known : kMachines) {
    if (known.machine == machine) return &known;
  }
  return nullptr;
}

}  // namespace

const char* ArchitectureOf(uint16_t machine) {
  const Machine* known = FindMachine(machine);
  return known ? known->architecture : nullptr;
}

std::string CheckStub(std::string_view bytes, StubImage& image) {
  image = StubImage{};
  if (bytes.size() < kDosHeaderSize || bytes.substr(0, 2) != "MZ") {
    return "is not a Windows executable (no MZ header)";
  }
  const uint32_t lfanew = U32(bytes, kLfanewOffset);
  const uint64_t optional_header = uint64_t{lfanew} + 4 + kCoffHeaderSize;
  if (optional_header + 2 > bytes.size() ||
      bytes.substr(lfanew, 4) != std::string_view("PE\0\0", 4)) {
    return "is not a PE executable (no PE signature at e_lfanew " + std::to_string(lfanew) + ")";
  }
  const uint16_t machine = U16(bytes, lfanew + 4);
  const Machine* known = FindMachine(machine);
  if (!known) {
    return "is not an x86 or x64 executable (machine " + Hex(machine) + ")";
  }
  // SizeOfHeaders and the section table sit at the same offsets in PE32 and PE32+.
  const uint16_t magic = U16(bytes, optional_header);
  if (magic != known->magic) {
    return std::string("is not a valid ") + known->architecture + " image (optional header magic " +
           Hex(magic) + ")";
  }
  if (lfanew < kDosHeaderSize + 4) {
    return "has no room for the package offset: its PE signature at " + std::to_string(lfanew) +
           " leaves no four bytes between the DOS header and the signature";
  }
  if (U32(bytes, lfanew - 4) != 0) {
    std::string existing = DescribeExistingPackage(bytes);
    if (!existing.empty()) return existing;
    return "has non-zero bytes at offset " + std::to_string(lfanew - 4) +
           " (e_lfanew - 4), where the package offset goes; the DOS stub must leave them zero";
  }

  const uint16_t section_count = U16(bytes, lfanew + 6);
  const uint16_t optional_size = U16(bytes, lfanew + 20);
  const uint64_t sections = optional_header + optional_size;
  if (optional_size < 64 ||
      sections + uint64_t{section_count} * kSectionHeaderSize > bytes.size()) {
    return "is truncated: its headers reach past the end of the file";
  }
  uint64_t image_end = U32(bytes, optional_header + 60);  // SizeOfHeaders
  for (uint16_t i = 0; i < section_count; ++i) {
    const uint64_t header = sections + i * kSectionHeaderSize;
    const uint32_t raw_size = U32(bytes, header + 16);
    const uint32_t raw_offset = U32(bytes, header + 20);
    if (raw_size != 0) image_end = std::max(image_end, uint64_t{raw_offset} + raw_size);
  }
  if (image_end > bytes.size()) {
    return "is truncated: its last section ends at " + std::to_string(image_end) +
           ", the file has " + std::to_string(bytes.size()) + " bytes";
  }
  if (image_end < bytes.size()) {
    return "has " + std::to_string(bytes.size() - image_end) +
           " bytes after its last section (which ends at " + std::to_string(image_end) +
           "): a symbol table, a signature or other appended data; link it with -s, and sign "
           "the packed setup package instead of the stub";
  }
  if (bytes.size() > std::numeric_limits<uint32_t>::max()) {
    return "is larger than the 4 GiB the package offset can address";
  }
  image.lfanew = lfanew;
  image.architecture = known->architecture;
  image.image_size = static_cast<uint32_t>(bytes.size());
  return std::string();
}

bool HasSetupMarker(const ResourceNode& root) {
  const ResourceNode* type = FindResourceChild(root, kResourceTypeRcData);
  const ResourceNode* marker = type ? FindResourceChild(*type, kSetupMarkerName) : nullptr;
  if (!marker) return false;
  for (const ResourceNode& language : marker->children) {
    std::string_view data = language.data;
    while (!data.empty() && data.back() == '\0') data.remove_suffix(1);
    if (language.is_data && data == kSetupMarkerTag) return true;
  }
  return false;
}

void PeChecksum::Add(const void* data, size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  size_t i = 0;
  while (i < size) {
    // Whole words up to the field (or to the end when past it) from an even offset.
    size_t words = (size - i) / 2;
    if (offset_ < field_ + 4)
      words = std::min<uint64_t>(words, (field_ - std::min(offset_, field_)) / 2);
    if ((offset_ & 1) == 0 && words > 0) {
      uint64_t wide = sum_;
      for (size_t w = 0; w < words; ++w, i += 2) wide += bytes[i] | uint32_t{bytes[i + 1]} << 8;
      offset_ += 2 * words;
      while (wide >> 16) wide = (wide & 0xFFFF) + (wide >> 16);
      sum_ = static_cast<uint32_t>(wide);
      continue;
    }
    // Otherwise one byte: at an odd offset, inside the field (counted as zero) or the last one.
    const bool in_field = offset_ >= field_ && offset_ < field_ + 4;
    const uint32_t byte = in_field ? 0 : bytes[i];
    sum_ += (offset_ & 1) ? byte << 8 : byte;
    sum_ = (sum_ & 0xFFFF) + (sum_ >> 16);
    ++i;
    ++offset_;
  }
}

uint32_t PeChecksum::Value() const {
  return static_cast<uint32_t>(((sum_ & 0xFFFF) + (sum_ >> 16)) & 0xFFFF) +
         static_cast<uint32_t>(offset_);
}
