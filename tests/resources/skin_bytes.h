// Crafted bytes for the skin tests: containers and PNG headers.
#ifndef BRINDLE_TESTS_RESOURCES_SKIN_BYTES_H_
#define BRINDLE_TESTS_RESOURCES_SKIN_BYTES_H_

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace skin_bytes {

inline std::string LittleEndian32(uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) {
    bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  }
  return bytes;
}

inline std::string BigEndian32(uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) {
    bytes[3 - i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  }
  return bytes;
}

using Records = std::vector<std::pair<uint32_t, std::string>>;

// ".uir", L, `text`, N, then the records in the given order.
inline std::string Container(const std::string& text, const Records& records) {
  std::string bytes = ".uir" + LittleEndian32(static_cast<uint32_t>(text.size())) + text +
                      LittleEndian32(static_cast<uint32_t>(records.size()));
  for (const auto& [id, data] : records) {
    bytes += LittleEndian32(id) + LittleEndian32(static_cast<uint32_t>(data.size())) + data;
  }
  return bytes;
}

// The start of a PNG file: signature and IHDR chunk (CRC not computed; nothing reads it).
inline std::string PngHeaderBytes(uint32_t width, uint32_t height, uint8_t bit_depth,
                                  uint8_t colour_type) {
  std::string bytes("\x89PNG\r\n\x1a\n", 8);
  bytes += BigEndian32(13) + "IHDR" + BigEndian32(width) + BigEndian32(height);
  bytes += static_cast<char>(bit_depth);
  bytes += static_cast<char>(colour_type);
  bytes += std::string(3, '\0') + std::string(4, '\0');  // methods, CRC
  return bytes;
}

}  // namespace skin_bytes

#endif  // BRINDLE_TESTS_RESOURCES_SKIN_BYTES_H_
