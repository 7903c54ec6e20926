#include "tools/skin/skin_container.h"

#include <cstddef>

namespace {

constexpr std::string_view kMagic = ".uir";

// Reads the little-endian unsigned 32-bit value at `offset`; false when fewer than 4 bytes are
// left.
bool ReadU32(std::string_view bytes, size_t offset, uint32_t& value) {
  if (offset > bytes.size() || bytes.size() - offset < 4) {
    return false;
  }
  value = 0;
  for (int i = 3; i >= 0; --i) {
    value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
  }
  return true;
}

std::string At(size_t offset) { return " at offset " + std::to_string(offset); }

}  // namespace

bool ParseSkinContainer(std::string_view bytes, SkinContainer& out, std::string& error) {
  out = SkinContainer();
  if (bytes.substr(0, kMagic.size()) != kMagic) {
    error = "the file does not start with the magic \".uir\"";
    return false;
  }
  uint32_t text_length = 0;
  if (!ReadU32(bytes, 4, text_length)) {
    error = "the description's length L is cut off" + At(4);
    return false;
  }
  if (bytes.size() - 8 < text_length) {
    error = "the description (L = " + std::to_string(text_length) + ") runs past the end" + At(8);
    return false;
  }
  out.text.assign(bytes.substr(8, text_length));

  size_t offset = 8 + size_t{text_length};
  uint32_t count = 0;
  if (!ReadU32(bytes, offset, count)) {
    error = "the record count N is cut off" + At(offset);
    return false;
  }
  offset += 4;
  for (uint32_t index = 0; index < count; ++index) {
    uint32_t id = 0;
    uint32_t size = 0;
    if (!ReadU32(bytes, offset, id) || !ReadU32(bytes, offset + 4, size)) {
      error = "record " + std::to_string(index) + " of " + std::to_string(count) +
              " has no complete id and size" + At(offset);
      return false;
    }
    offset += 8;
    if (bytes.size() - offset < size) {
      error = "record " + std::to_string(id) + " (" + std::to_string(size) +
              " bytes) runs past the end" + At(offset);
      return false;
    }
    if (out.records.count(id) != 0) {
      out.repeated_ids.push_back(id);
    }
    out.records[id].assign(bytes.substr(offset, size));
    offset += size;
  }
  if (offset != bytes.size()) {
    error = std::to_string(bytes.size() - offset) + " bytes follow the last record" + At(offset);
    return false;
  }
  return true;
}
