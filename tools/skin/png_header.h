// The header of a PNG file: enough to tell whether Windows will decode it with an alpha channel.
#ifndef BRINDLE_TOOLS_SKIN_PNG_HEADER_H_
#define BRINDLE_TOOLS_SKIN_PNG_HEADER_H_

#include <cstdint>
#include <string_view>

struct PngHeader {
  uint32_t width = 0;
  uint32_t height = 0;
  uint8_t bit_depth = 0;
  // 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA.
  uint8_t colour_type = 0;
};

// Colour type of 8-bit RGBA, the only form the skin's image sheet may take: a palette or grey
// PNG decodes without the alpha flag, and its transparency is lost.
constexpr uint8_t kPngColourTypeRgba = 6;

// Reads the PNG signature and the IHDR chunk that must follow it. Returns false when `bytes`
// does not start that way. Nothing after the header is examined.
bool ReadPngHeader(std::string_view bytes, PngHeader& out);

#endif  // BRINDLE_TOOLS_SKIN_PNG_HEADER_H_
