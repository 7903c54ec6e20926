// The decoder of skin PNGs: every row filter, the image stream split over chunks, RGBA
// premultiplied and RGB into bottom-up DIB rows; every PNG it does not take, refused.
#include "ui/framework/png_rows.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void AppendBe32(Bytes& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void AppendChunk(Bytes& out, const char* type, const Bytes& data) {
  AppendBe32(out, static_cast<uint32_t>(data.size()));
  Bytes typed(type, type + 4);
  typed.insert(typed.end(), data.begin(), data.end());
  out.insert(out.end(), typed.begin(), typed.end());
  AppendBe32(out, static_cast<uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
}

Bytes Header(uint32_t width, uint32_t height, uint8_t depth, uint8_t colour, uint8_t interlace) {
  Bytes data;
  AppendBe32(data, width);
  AppendBe32(data, height);
  data.insert(data.end(), {depth, colour, 0, 0, interlace});
  return data;
}

int PaethOf(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = p > a ? p - a : a - p;
  const int pb = p > b ? p - b : b - p;
  const int pc = p > c ? p - c : c - p;
  return pa <= pb && pa <= pc ? a : (pb <= pc ? b : c);
}

// `rows` of raw pixels, each row filtered with filters[y % filters.size()].
Bytes Filtered(const std::vector<Bytes>& rows, size_t pixel, const Bytes& filters) {
  Bytes out;
  Bytes previous(rows[0].size(), 0);
  for (size_t y = 0; y < rows.size(); ++y) {
    const Bytes& row = rows[y];
    const uint8_t filter = filters[y % filters.size()];
    out.push_back(filter);
    for (size_t i = 0; i < row.size(); ++i) {
      const int left = i >= pixel ? row[i - pixel] : 0;
      const int up = previous[i];
      const int up_left = i >= pixel ? previous[i - pixel] : 0;
      const int predicted[] = {0, left, up, (left + up) / 2, PaethOf(left, up, up_left)};
      // A filter type past 4 (which the decoder refuses) leaves the bytes as they are.
      out.push_back(static_cast<uint8_t>(row[i] - (filter <= 4 ? predicted[filter] : 0)));
    }
    previous = row;
  }
  return out;
}

struct Png {
  Bytes header;
  Bytes image;                                       // filtered rows, before deflating
  size_t idat_size = 1 << 20;                        // bytes per IDAT chunk
  std::vector<std::pair<std::string, Bytes>> extra;  // chunks before IDAT
  bool end = true;

  Bytes Encode() const {
    Bytes compressed(compressBound(static_cast<uLong>(image.size())));
    uLongf length = static_cast<uLongf>(compressed.size());
    compress(compressed.data(), &length, image.data(), static_cast<uLong>(image.size()));
    compressed.resize(length);
    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    AppendChunk(out, "IHDR", header);
    for (const auto& [type, data] : extra) AppendChunk(out, type.c_str(), data);
    for (size_t at = 0; at < compressed.size(); at += idat_size) {
      const size_t size = std::min(idat_size, compressed.size() - at);
      AppendChunk(out, "IDAT", Bytes(compressed.begin() + at, compressed.begin() + at + size));
    }
    if (end) AppendChunk(out, "IEND", {});
    return out;
  }
};

Png MakePng(Bytes header, Bytes image) {
  Png png;
  png.header = std::move(header);
  png.image = std::move(image);
  return png;
}

// 3 x 5 RGBA pixels with every alpha class: opaque, half, transparent, and colours that round.
std::vector<Bytes> RgbaRows() {
  std::vector<Bytes> rows;
  for (int y = 0; y < 5; ++y) {
    Bytes row;
    for (int x = 0; x < 3; ++x) {
      const uint8_t alpha[] = {255, 128, 0, 1, 77};
      row.insert(row.end(),
                 {static_cast<uint8_t>(40 * y + 7 * x), static_cast<uint8_t>(255 - 30 * x),
                  static_cast<uint8_t>(13 * y * x), alpha[(x + y) % 5]});
    }
    rows.push_back(row);
  }
  return rows;
}

Bytes Decode(const Bytes& png, PngRowsInfo& info, size_t stride, bool* ok) {
  Bytes bits(stride * 8, 0xEE);
  *ok = ReadPngRowsInfo(png.data(), png.size(), info) &&
        DecodePngRows(png.data(), png.size(), info, bits.data(), stride);
  return bits;
}

TEST(PngRows, RgbaEveryFilterPremultipliedBottomUp) {
  const std::vector<Bytes> rows = RgbaRows();
  for (uint8_t filter = 0; filter <= 4; ++filter) {
    SCOPED_TRACE(static_cast<int>(filter));
    Png png = MakePng(Header(3, 5, 8, 6, 0), Filtered(rows, 4, {filter, 4, 3, 2, 1, 0}));
    PngRowsInfo info;
    bool ok = false;
    const Bytes bits = Decode(png.Encode(), info, 16, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(info.width, 3);
    EXPECT_EQ(info.height, 5);
    EXPECT_TRUE(info.alpha);
    for (int y = 0; y < 5; ++y) {
      const uint8_t* out = bits.data() + 16 * (4 - y);
      for (int x = 0; x < 3; ++x) {
        const uint8_t* in = rows[y].data() + 4 * x;
        const int a = in[3];
        EXPECT_EQ(out[4 * x + 0], (in[2] * a + 127) / 255) << x << "," << y;
        EXPECT_EQ(out[4 * x + 1], (in[1] * a + 127) / 255) << x << "," << y;
        EXPECT_EQ(out[4 * x + 2], (in[0] * a + 127) / 255) << x << "," << y;
        EXPECT_EQ(out[4 * x + 3], a) << x << "," << y;
      }
      EXPECT_EQ(out[12], 0xEE) << "row padding untouched";
    }
  }
}

TEST(PngRows, RgbToBgrAndStreamSplitOverChunks) {
  std::vector<Bytes> rows;
  for (int y = 0; y < 4; ++y) {
    Bytes row;
    for (int x = 0; x < 5; ++x) {
      row.insert(row.end(), {static_cast<uint8_t>(50 * x), static_cast<uint8_t>(60 * y), 200});
    }
    rows.push_back(row);
  }
  Png png = MakePng(Header(5, 4, 8, 2, 0), Filtered(rows, 3, {1, 2, 3, 4}));
  png.idat_size = 1;
  png.extra = {{"PLTE", {1, 2, 3}}, {"tEXt", {'a', 0, 'b'}}, {"pHYs", Bytes(9, 0)}};
  PngRowsInfo info;
  bool ok = false;
  const Bytes bits = Decode(png.Encode(), info, 16, &ok);
  ASSERT_TRUE(ok);
  EXPECT_FALSE(info.alpha);
  for (int y = 0; y < 4; ++y) {
    const uint8_t* out = bits.data() + 16 * (3 - y);
    for (int x = 0; x < 5; ++x) {
      EXPECT_EQ(out[3 * x + 0], 200);
      EXPECT_EQ(out[3 * x + 1], 60 * y);
      EXPECT_EQ(out[3 * x + 2], 50 * x);
    }
  }
}

TEST(PngRows, RefusesWhatItDoesNotTake) {
  const std::vector<Bytes> rows = RgbaRows();
  const Png good = MakePng(Header(3, 5, 8, 6, 0), Filtered(rows, 4, {0}));
  struct Case {
    const char* what;
    Bytes png;
    bool header_taken;
  };
  auto with = [&](auto change) {
    Png png = good;
    change(png);
    return png.Encode();
  };
  Bytes bad_crc = good.Encode();
  bad_crc[40] ^= 1;  // inside the first IDAT
  Bytes cut = good.Encode();
  cut.resize(cut.size() - 20);
  const Case cases[] = {
      {"16 bits", with([](Png& p) { p.header = Header(3, 5, 16, 6, 0); }), false},
      {"palette", with([](Png& p) { p.header = Header(3, 5, 8, 3, 0); }), false},
      {"grey with alpha", with([](Png& p) { p.header = Header(3, 5, 8, 4, 0); }), false},
      {"interlaced", with([](Png& p) { p.header = Header(3, 5, 8, 6, 1); }), false},
      {"no width", with([](Png& p) { p.header = Header(0, 5, 8, 6, 0); }), false},
      {"gamma", with([](Png& p) {
         p.extra = {{"gAMA", {0, 0, 177, 143}}};
       }),
       true},
      {"colour profile", with([](Png& p) {
         p.extra = {{"sRGB", {0}}};
       }),
       true},
      {"transparency", with([](Png& p) {
         p.extra = {{"tRNS", {0, 0}}};
       }),
       true},
      {"unknown critical chunk", with([](Png& p) {
         p.extra = {{"ABCD", {1}}};
       }),
       true},
      {"second header", with([&](Png& p) {
         p.extra = {{"IHDR", good.header}};
       }),
       true},
      {"no end", with([](Png& p) { p.end = false; }), true},
      {"filter 5", with([&](Png& p) {
         p.image = Filtered(rows, 4, {0, 0, 5});
       }),
       true},
      {"short stream", with([&](Png& p) { p.image.resize(p.image.size() - 4); }), true},
      {"damaged CRC", bad_crc, true},
      {"cut short", cut, true},
      {"not a PNG", Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0}, false},
  };
  for (const Case& c : cases) {
    PngRowsInfo info;
    EXPECT_EQ(ReadPngRowsInfo(c.png.data(), c.png.size(), info), c.header_taken) << c.what;
    bool ok = true;
    Decode(c.png, info, 16, &ok);
    EXPECT_FALSE(ok) << c.what;
  }
}

TEST(PngRows, DecodeChecksTheInfoAndTheStride) {
  const Bytes png = MakePng(Header(3, 5, 8, 6, 0), Filtered(RgbaRows(), 4, {0})).Encode();
  PngRowsInfo info;
  ASSERT_TRUE(ReadPngRowsInfo(png.data(), png.size(), info));
  Bytes bits(16 * 5);
  EXPECT_FALSE(DecodePngRows(png.data(), png.size(), info, bits.data(), 11)) << "stride < row";
  PngRowsInfo other = info;
  other.height = 4;
  EXPECT_FALSE(DecodePngRows(png.data(), png.size(), other, bits.data(), 16));
  EXPECT_FALSE(DecodePngRows(png.data(), png.size(), info, nullptr, 16));
  EXPECT_FALSE(ReadPngRowsInfo(nullptr, 0, info));
}

// Sizes past what a skin image holds are damage, named as such before anything is allocated:
// a header asking for a 2 GiB bitmap (and more) is oversize whatever its other fields; the
// largest image a skin holds is not.
TEST(PngRows, OversizeHeadersAreDamage) {
  struct Case {
    uint32_t width;
    uint32_t height;
    uint8_t depth;
    bool oversize;
  };
  const Case cases[] = {
      {8192, 8192, 8, false},   {8193, 8192, 8, true},   {1, 0x7FFFFFFF, 8, true},
      {0x1FFFFFFF, 1, 8, true}, {23171, 23171, 8, true}, {0xFFFFFFFF, 0xFFFFFFFF, 8, true},
      {65536, 65536, 16, true}, {3, 5, 8, false},
  };
  for (const Case& c : cases) {
    const Bytes png = MakePng(Header(c.width, c.height, c.depth, 6, 0), {0}).Encode();
    EXPECT_EQ(PngStatesOversizeImage(png.data(), png.size()), c.oversize)
        << c.width << "x" << c.height;
    PngRowsInfo info;
    EXPECT_EQ(ReadPngRowsInfo(png.data(), png.size(), info), !c.oversize && c.depth == 8)
        << c.width << "x" << c.height;
  }
  const Bytes gif = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0};
  EXPECT_FALSE(PngStatesOversizeImage(gif.data(), gif.size()));
  EXPECT_FALSE(PngStatesOversizeImage(nullptr, 0));
}

}  // namespace
