// Checks that a file can serve as the program image of a setup package: an x86 (PE32) or x64
// (PE32+) executable whose file ends exactly where its last section ends and whose four bytes
// before the PE signature are free for the package offset.
#ifndef BRINDLE_TOOLS_PE_STUB_H_
#define BRINDLE_TOOLS_PE_STUB_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "tools/pe_resources.h"

struct StubImage {
  const char* architecture = "";  // "x86" or "x64"; static text
  uint32_t lfanew = 0;      // offset of the PE signature; the package offset goes at lfanew - 4
  uint32_t image_size = 0;  // the package offset P: the end of the last section's raw data
};

// "x86" or "x64" for the PE machine field values a stub may carry, null for any other machine.
const char* ArchitectureOf(uint16_t machine);

// Empty when `bytes` is a usable stub (and `image` is filled), otherwise one sentence that says
// what is wrong with it and, where it helps, what to do.
std::string CheckStub(std::string_view bytes, StubImage& image);

// The resource that marks a Brindle setup program (resources/app/setup_marker.rc): RT_RCDATA
// named "BRINDLE_SETUP" whose data is the tag, with or without NUL bytes after it. The tag names
// the package format the program reads.
inline constexpr char16_t kSetupMarkerName[] = u"BRINDLE_SETUP";
inline constexpr char kSetupMarkerTag[] = "Brindle setup program, package format 1";

// The PE image checksum (the optional header's CheckSum, as the Windows loader and signers check
// it) of a file fed in pieces: 16-bit little-endian words added with end-around carry, the
// CheckSum field itself counted as zero, then the file's length added. Pieces may have any
// length; the field is recognised by its file offset.
class PeChecksum {
 public:
  // `field_offset`: file offset of the CheckSum field (e_lfanew + 88 in PE32 and PE32+).
  explicit PeChecksum(uint64_t field_offset) : field_(field_offset) {}
  void Add(const void* data, size_t size);
  // The checksum of the `offset` bytes added so far.
  uint32_t Value() const;

 private:
  uint64_t field_;
  uint64_t offset_ = 0;
  uint32_t sum_ = 0;  // folded to 16 bits after each word
};

// File offset of the CheckSum field of the image whose PE signature is at `lfanew`.
inline uint64_t ChecksumFieldOffset(uint32_t lfanew) { return uint64_t{lfanew} + 4 + 20 + 64; }

// True when the resource tree of a program holds the setup program's marker.
bool HasSetupMarker(const ResourceNode& root);

#endif  // BRINDLE_TOOLS_PE_STUB_H_
