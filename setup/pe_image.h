// The few header fields of a PE image that the package code reads or clears, found without any
// platform: the optional header's CheckSum, the data directory entries of the certificate table
// (the "security directory", where an Authenticode signature is named) and of the resources, and
// the section table that maps RVAs to file offsets. PE32 and PE32+ images are both read.
#ifndef BRINDLE_SETUP_PE_IMAGE_H_
#define BRINDLE_SETUP_PE_IMAGE_H_

#include <cstdint>
#include <vector>

#include "setup/package_format.h"

struct PeSection {
  uint32_t virtual_address = 0;
  uint32_t virtual_size = 0;
  uint32_t raw_offset = 0;
  uint32_t raw_size = 0;
};

// A data directory entry: an RVA (for the certificate table: a file offset) and a size in bytes.
struct PeDirectory {
  uint32_t address = 0;
  uint32_t size = 0;
};

struct PeImageFields {
  uint64_t checksum_offset = 0;        // file offset of CheckSum (u32)
  uint64_t security_entry_offset = 0;  // file offset of the certificate table's entry (2 x u32)
  PeDirectory security;                // the certificate table: file offset and size; 0 unsigned
  PeDirectory resources;               // the resource directory: RVA and size; 0 without
  std::vector<PeSection> sections;
};

// Reads the headers of the image at the start of `file`. False when it is no PE image ("MZ", a
// "PE\0\0" signature at e_lfanew, an optional header of magic 0x10B or 0x20B with the certificate
// table's entry, and a section table, all inside the file).
bool ReadPeImageFields(ByteSource& file, PeImageFields& fields);

// The file offset of `size` bytes at `rva`, when they lie in one section's raw data.
bool RvaToFileOffset(const PeImageFields& fields, uint32_t rva, uint32_t size, uint64_t& offset);

#endif  // BRINDLE_SETUP_PE_IMAGE_H_
