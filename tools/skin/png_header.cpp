#include "tools/skin/png_header.h"

#include <cstddef>

namespace {

constexpr std::string_view kSignature("\x89PNG\r\n\x1a\n", 8);
// Signature, IHDR length and type, then width, height, bit depth and colour type.
constexpr size_t kHeaderBytes = 8 + 8 + 10;
constexpr uint32_t kIhdrLength = 13;

uint32_t ReadBigEndian(std::string_view bytes, size_t offset) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) {
    value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
  }
  return value;
}

}  // namespace

bool ReadPngHeader(std::string_view bytes, PngHeader& out) {
  if (bytes.size() < kHeaderBytes || bytes.substr(0, 8) != kSignature ||
      ReadBigEndian(bytes, 8) != kIhdrLength || bytes.substr(12, 4) != "IHDR") {
    return false;
  }
  out.width = ReadBigEndian(bytes, 16);
  out.height = ReadBigEndian(bytes, 20);
  out.bit_depth = static_cast<uint8_t>(bytes[24]);
  out.colour_type = static_cast<uint8_t>(bytes[25]);
  return true;
}
