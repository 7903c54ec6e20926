#include "ui/framework/png_rows.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr size_t kChunkOverhead = 12;  // length, type, CRC

uint32_t ReadBe32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]};
}

struct Chunk {
  const uint8_t* type = nullptr;  // 4 bytes
  const uint8_t* data = nullptr;
  uint32_t length = 0;
};

// Walks the chunks after the signature, checking each one's length and CRC.
class ChunkReader {
 public:
  ChunkReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  // The next chunk; false at the end of the data or at a damaged chunk.
  bool Next(Chunk& chunk) {
    if (size_ - position_ < kChunkOverhead) return false;
    const uint8_t* start = data_ + position_;
    chunk.length = ReadBe32(start);
    if (chunk.length > size_ - position_ - kChunkOverhead) return false;
    chunk.type = start + 4;
    chunk.data = start + 8;
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), chunk.type, chunk.length + 4);
    if (crc != ReadBe32(chunk.data + chunk.length)) return false;
    position_ += kChunkOverhead + chunk.length;
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t position_ = sizeof(kSignature);
};

bool IsType(const Chunk& chunk, const char* type) { return std::memcmp(chunk.type, type, 4) == 0; }

// Chunks that change what the pixels look like (GDI+ applies them) or that are critical and
// unknown here: such a file goes to GDI+.
bool IsRefused(const Chunk& chunk) {
  static const char* const kRefused[] = {"gAMA", "cHRM", "sRGB", "iCCP", "tRNS", "IHDR"};
  for (const char* type : kRefused) {
    if (IsType(chunk, type)) return true;
  }
  const bool critical = (chunk.type[0] & 0x20) == 0;
  return critical && !IsType(chunk, "IDAT") && !IsType(chunk, "PLTE") && !IsType(chunk, "IEND");
}

int Paeth(int left, int up, int up_left) {
  const int estimate = left + up - up_left;
  const int to_left = estimate > left ? estimate - left : left - estimate;
  const int to_up = estimate > up ? estimate - up : up - estimate;
  const int to_up_left = estimate > up_left ? estimate - up_left : up_left - estimate;
  if (to_left <= to_up && to_left <= to_up_left) return left;
  return to_up <= to_up_left ? up : up_left;
}

// Undoes the row filter `filter` of `row` in place; `previous` is the row above, already
// unfiltered (zeros above the first row). `pixel` is the bytes per pixel.
bool Unfilter(uint8_t filter, uint8_t* row, const uint8_t* previous, size_t length, size_t pixel) {
  switch (filter) {
    case 0:
      return true;
    case 1:
      for (size_t i = pixel; i < length; ++i)
        row[i] = static_cast<uint8_t>(row[i] + row[i - pixel]);
      return true;
    case 2:
      for (size_t i = 0; i < length; ++i) row[i] = static_cast<uint8_t>(row[i] + previous[i]);
      return true;
    case 3:
      for (size_t i = 0; i < length; ++i) {
        const int left = i >= pixel ? row[i - pixel] : 0;
        row[i] = static_cast<uint8_t>(row[i] + (left + previous[i]) / 2);
      }
      return true;
    case 4:
      for (size_t i = 0; i < length; ++i) {
        const int left = i >= pixel ? row[i - pixel] : 0;
        const int up_left = i >= pixel ? previous[i - pixel] : 0;
        row[i] = static_cast<uint8_t>(row[i] + Paeth(left, previous[i], up_left));
      }
      return true;
    default:
      return false;
  }
}

uint8_t Premultiply(uint8_t channel, uint8_t alpha) {
  return static_cast<uint8_t>((channel * alpha + 127) / 255);
}

// One unfiltered row (RGBA or RGB) into DIB order (BGRA premultiplied, or BGR).
void StoreRow(const uint8_t* row, int width, bool alpha, uint8_t* out) {
  for (int x = 0; x < width; ++x) {
    if (alpha) {
      const uint8_t* p = row + 4 * static_cast<size_t>(x);
      out[4 * x + 0] = Premultiply(p[2], p[3]);
      out[4 * x + 1] = Premultiply(p[1], p[3]);
      out[4 * x + 2] = Premultiply(p[0], p[3]);
      out[4 * x + 3] = p[3];
    } else {
      const uint8_t* p = row + 3 * static_cast<size_t>(x);
      out[3 * x + 0] = p[2];
      out[3 * x + 1] = p[1];
      out[3 * x + 2] = p[0];
    }
  }
}

// The image stream of the IDAT chunks, inflated one filtered row at a time.
class RowInflater {
 public:
  explicit RowInflater(std::vector<Chunk> parts) : parts_(std::move(parts)) {
    ready_ = inflateInit(&stream_) == Z_OK;
  }
  ~RowInflater() {
    if (ready_) inflateEnd(&stream_);
  }
  RowInflater(const RowInflater&) = delete;
  RowInflater& operator=(const RowInflater&) = delete;

  // Fills `out` with the next `length` bytes of the image stream.
  bool Read(uint8_t* out, size_t length) {
    if (!ready_) return false;
    stream_.next_out = out;
    stream_.avail_out = static_cast<uInt>(length);
    while (stream_.avail_out > 0) {
      if (stream_.avail_in == 0) {
        if (next_part_ == parts_.size()) return false;
        const Chunk& part = parts_[next_part_++];
        stream_.next_in = const_cast<Bytef*>(part.data);
        stream_.avail_in = part.length;
      }
      const int result = inflate(&stream_, Z_NO_FLUSH);
      if (result == Z_STREAM_END) return stream_.avail_out == 0;
      // No progress with input and room left would loop for ever.
      if (result == Z_BUF_ERROR && stream_.avail_in > 0) return false;
      if (result != Z_OK && result != Z_BUF_ERROR) return false;
    }
    return true;
  }

 private:
  std::vector<Chunk> parts_;
  size_t next_part_ = 0;
  z_stream stream_{};
  bool ready_ = false;
};

// The IHDR chunk of a PNG: signature, then an intact IHDR of 13 bytes.
bool ReadHeaderChunk(const uint8_t* data, size_t size, Chunk& header) {
  if (!data || size < sizeof(kSignature) || std::memcmp(data, kSignature, sizeof(kSignature))) {
    return false;
  }
  ChunkReader reader(data, size);
  return reader.Next(header) && IsType(header, "IHDR") && header.length == 13;
}

bool IsOversize(uint32_t width, uint32_t height) {
  return uint64_t{width} * height > kMaxSkinImageBytes / 4;
}

}  // namespace

bool PngStatesOversizeImage(const uint8_t* data, size_t size) {
  Chunk header;
  return ReadHeaderChunk(data, size, header) &&
         IsOversize(ReadBe32(header.data), ReadBe32(header.data + 4));
}

bool ReadPngRowsInfo(const uint8_t* data, size_t size, PngRowsInfo& info) {
  Chunk header;
  if (!ReadHeaderChunk(data, size, header)) return false;
  const uint32_t width = ReadBe32(header.data);
  const uint32_t height = ReadBe32(header.data + 4);
  const uint8_t* fields = header.data + 8;  // depth, colour type, compression, filter, interlace
  const bool alpha = fields[1] == 6;
  if (fields[0] != 8 || (fields[1] != 6 && fields[1] != 2) || fields[2] || fields[3] || fields[4]) {
    return false;
  }
  if (width == 0 || height == 0 || IsOversize(width, height)) return false;
  info.width = static_cast<int>(width);
  info.height = static_cast<int>(height);
  info.alpha = alpha;
  return true;
}

namespace {

// Checks `data` against `info` and hands `store` each row of the image, top row first, in DIB
// order (BGRA premultiplied, or BGR) with its index: store(y, pixels). False as DecodePngRows.
template <typename Store>
bool ForEachRow(const uint8_t* data, size_t size, const PngRowsInfo& info, Store store) {
  PngRowsInfo checked;
  if (!ReadPngRowsInfo(data, size, checked) || checked.width != info.width ||
      checked.height != info.height || checked.alpha != info.alpha) {
    return false;
  }
  ChunkReader reader(data, size);
  Chunk chunk;
  reader.Next(chunk);  // IHDR, read above
  std::vector<Chunk> image_parts;
  bool ended = false;
  while (!ended && reader.Next(chunk)) {
    if (IsRefused(chunk)) return false;
    if (IsType(chunk, "IDAT")) image_parts.push_back(chunk);
    ended = IsType(chunk, "IEND");
  }
  if (!ended || image_parts.empty()) return false;

  const size_t pixel = info.alpha ? 4 : 3;
  const size_t length = pixel * static_cast<size_t>(info.width);
  std::vector<uint8_t> previous(length, 0);
  std::vector<uint8_t> row(length + 1);  // the filter byte, then the pixels
  std::vector<uint8_t> stored(length);
  RowInflater inflater(std::move(image_parts));
  for (int y = 0; y < info.height; ++y) {
    if (!inflater.Read(row.data(), row.size())) return false;
    if (!Unfilter(row[0], row.data() + 1, previous.data(), length, pixel)) return false;
    StoreRow(row.data() + 1, info.width, info.alpha, stored.data());
    store(y, stored.data());
    std::memcpy(previous.data(), row.data() + 1, length);
  }
  return true;
}

}  // namespace

bool DecodePngRows(const uint8_t* data, size_t size, const PngRowsInfo& info, uint8_t* bits,
                   size_t stride) {
  const size_t length = (info.alpha ? 4 : 3) * static_cast<size_t>(info.width);
  if (!bits || stride < length) return false;
  return ForEachRow(data, size, info, [&](int y, const uint8_t* pixels) {
    std::memcpy(bits + stride * static_cast<size_t>(info.height - 1 - y), pixels, length);
  });
}

bool DecodePngRowsReduced(const uint8_t* data, size_t size, const PngRowsInfo& info, int factor,
                          uint8_t* bits, size_t stride) {
  if (!bits || factor < 1 || info.width % factor != 0 || info.height % factor != 0) return false;
  const size_t pixel = info.alpha ? 4 : 3;
  const int width = info.width / factor;
  const int height = info.height / factor;
  const size_t values = pixel * static_cast<size_t>(width);
  if (stride < values) return false;
  const uint32_t area = static_cast<uint32_t>(factor) * static_cast<uint32_t>(factor);
  std::vector<uint32_t> sums(values, 0);  // at most 255 * area each
  return ForEachRow(data, size, info, [&](int y, const uint8_t* pixels) {
    for (int x = 0; x < info.width; ++x) {
      uint32_t* sum = sums.data() + pixel * static_cast<size_t>(x / factor);
      for (size_t c = 0; c < pixel; ++c) sum[c] += pixels[pixel * static_cast<size_t>(x) + c];
    }
    if ((y + 1) % factor != 0) return;
    uint8_t* out = bits + stride * static_cast<size_t>(height - 1 - y / factor);
    for (size_t v = 0; v < values; ++v) out[v] = static_cast<uint8_t>((sums[v] + area / 2) / area);
    std::fill(sums.begin(), sums.end(), 0);
  });
}
