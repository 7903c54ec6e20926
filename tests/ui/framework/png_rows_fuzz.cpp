// libFuzzer target: the skin PNG decoder on arbitrary bytes. A header it takes is decoded into
// rows of exactly the size it states (images up to a million pixels); nothing may be read or
// written outside the input and the rows.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "ui/framework/png_rows.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PngRowsInfo info;
  if (!ReadPngRowsInfo(data, size, info)) return 0;
  if (static_cast<uint64_t>(info.width) * static_cast<uint64_t>(info.height) > (1u << 20)) return 0;
  const size_t stride = (static_cast<size_t>(info.width) * (info.alpha ? 4 : 3) + 3) & ~size_t{3};
  std::vector<uint8_t> bits(stride * static_cast<size_t>(info.height));
  DecodePngRows(data, size, info, bits.data(), stride);
  return 0;
}
