#include "ui/framework/packed_skin.h"

#include <zlib.h>

#include <cstdint>
#include <string_view>
#include <utility>

namespace {

constexpr std::string_view kPackedMagic(".uiz", 4);
constexpr size_t kHeaderSize = 8;
// Deflate cannot expand data more than 1032 times (a run of one byte value); a larger stated
// length belongs to a broken header, and is refused before anything is allocated for it.
constexpr uint64_t kMaxExpansion = 1032;
// zlib counts input in 32-bit units; no skin comes near this.
constexpr size_t kMaxStreamBytes = size_t{1} << 30;

uint32_t ReadLe32(const std::string& bytes, size_t offset) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + offset);
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// Inflates `stream` into exactly `out.size()` bytes; true when the stream ends there and was
// read to its last byte.
bool InflateExactly(std::string_view stream, std::string& out) {
  z_stream z{};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return false;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
  z.avail_in = static_cast<uInt>(stream.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  const int result = inflate(&z, Z_FINISH);
  const bool complete = result == Z_STREAM_END && z.avail_out == 0 && z.avail_in == 0;
  inflateEnd(&z);
  return complete;
}

}  // namespace

bool UnpackSkinContainer(std::string& bytes) {
  if (std::string_view(bytes).substr(0, kPackedMagic.size()) != kPackedMagic) return true;
  if (bytes.size() < kHeaderSize) return false;
  const uint32_t length = ReadLe32(bytes, 4);
  const std::string_view stream = std::string_view(bytes).substr(kHeaderSize);
  if (stream.size() > kMaxStreamBytes) return false;
  if (length > kMaxExpansion * stream.size() || length > kMaxSkinContainerBytes) return false;
  std::string container(length, '\0');
  if (!InflateExactly(stream, container)) return false;
  bytes = std::move(container);
  return true;
}
