#include "ui/framework/skin_container.h"

#include <utility>

namespace {

constexpr std::string_view kMagic(".uir", 4);

// Reads consecutive fields from a byte span; every read checks the bytes
// left first, so a length taken from the data can never reach past the end.
class ByteCursor {
 public:
  explicit ByteCursor(std::string_view bytes) : bytes_(bytes) {}

  bool ReadUint32(uint32_t& value) {
    if (bytes_.size() - position_ < 4) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes_.data() + position_);
    value = uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
    position_ += 4;
    return true;
  }

  bool ReadBytes(uint32_t length, std::string_view& bytes) {
    if (bytes_.size() - position_ < length) return false;
    bytes = bytes_.substr(position_, length);
    position_ += length;
    return true;
  }

 private:
  std::string_view bytes_;
  size_t position_ = 0;
};

}  // namespace

bool SplitSkinContainer(std::string_view bytes, SkinContainerParts& out) {
  if (bytes.substr(0, kMagic.size()) != kMagic) return false;
  ByteCursor cursor(bytes.substr(kMagic.size()));

  uint32_t text_length = 0;
  std::string_view text;
  uint32_t count = 0;
  if (!cursor.ReadUint32(text_length) || !cursor.ReadBytes(text_length, text) ||
      !cursor.ReadUint32(count)) {
    return false;
  }

  // No reservation from `count`: it comes from the data, and each record
  // needs at least 8 bytes, which the cursor checks one record at a time.
  std::map<uint32_t, std::string> records;
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t id = 0;
    uint32_t size = 0;
    std::string_view data;
    if (!cursor.ReadUint32(id) || !cursor.ReadUint32(size) || !cursor.ReadBytes(size, data)) {
      return false;
    }
    records[id] = std::string(data);
  }

  out.json_text = std::string(text);
  out.records = std::move(records);
  return true;
}
