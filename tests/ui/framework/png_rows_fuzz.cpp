// libFuzzer target: the skin PNG decoder on arbitrary bytes, with every chunk's CRC made right
// before decoding (a mutation would otherwise fail the CRC check nearly always, and coverage would
// stall at the chunk reader). A header it takes is decoded into rows of exactly the size it states
// (images up to a million pixels); nothing may be read or written outside the input and the rows.
// A header that states an oversize image is never taken.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "ui/framework/png_rows.h"

namespace {

uint32_t ReadBe32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]};
}

// Rewrites the CRC of every whole chunk after the 8-byte signature.
void FixChunkCrcs(std::vector<uint8_t>& png) {
  size_t at = 8;
  while (png.size() >= at + 12 && ReadBe32(&png[at]) <= png.size() - at - 12) {
    const uint32_t length = ReadBe32(&png[at]);
    const uLong crc = crc32(0, &png[at + 4], length + 4);
    uint8_t* field = &png[at + 8 + length];
    for (int i = 0; i < 4; ++i) field[i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    at += 12 + size_t{length};
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> png(data, data + size);
  FixChunkCrcs(png);
  PngRowsInfo info;
  if (!ReadPngRowsInfo(png.data(), png.size(), info)) return 0;
  if (PngStatesOversizeImage(png.data(), png.size())) std::abort();
  if (static_cast<uint64_t>(info.width) * static_cast<uint64_t>(info.height) > (1u << 20)) return 0;
  const size_t stride = (static_cast<size_t>(info.width) * (info.alpha ? 4 : 3) + 3) & ~size_t{3};
  std::vector<uint8_t> bits(stride * static_cast<size_t>(info.height));
  DecodePngRows(png.data(), png.size(), info, bits.data(), stride);
  return 0;
}
