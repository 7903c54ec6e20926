// A decoder for the PNG images skins are made of (8-bit RGBA or RGB, not interlaced, no colour
// management), straight into the pixel rows of a bottom-up DIB. It needs no more memory than two
// rows: decoding the image sheet through GDI+ held the compressed stream, the decoder's image
// and GDI+'s copy besides the bitmap (about 7 MB more at start-up for the shipped sheet).
// Every other image (other PNG forms, other formats, damaged data) is left to GDI+.
// Portable: byte-level only (zlib), no Win32.
#ifndef BRINDLE_UI_FRAMEWORK_PNG_ROWS_H_
#define BRINDLE_UI_FRAMEWORK_PNG_ROWS_H_

#include <cstddef>
#include <cstdint>

struct PngRowsInfo {
  int width = 0;
  int height = 0;
  bool alpha = false;  // RGBA (colour type 6); false: RGB (colour type 2)
};

// The largest image a skin holds: 256 MiB of 32-bit pixels (8192 x 8192). A picture stating
// more is damaged; no decoder may allocate for it, since a 32-bit program cannot.
constexpr uint64_t kMaxSkinImageBytes = uint64_t{256} << 20;

// True when `data` begins like a PNG this decoder takes: signature, an intact IHDR with bit depth
// 8, colour type 6 or 2, no interlacing, and a width and height within kMaxSkinImageBytes; `info`
// is set then. Chunks after IHDR are checked by DecodePngRows.
bool ReadPngRowsInfo(const uint8_t* data, size_t size, PngRowsInfo& info);

// True when `data` begins with the PNG signature and an intact IHDR whose width x height, at 4
// bytes a pixel, exceeds kMaxSkinImageBytes, whatever its other fields: a damaged skin image that
// no decoder (GDI+ included) should be given.
bool PngStatesOversizeImage(const uint8_t* data, size_t size);

// Decodes `data` (of which ReadPngRowsInfo gave `info`) into `bits`: `info.height` rows of
// `stride` bytes, the image's last row first (a bottom-up DIB), pixels blue, green, red and, for
// RGBA, alpha, with the colours premultiplied by alpha (rounded to nearest), as AlphaBlend takes
// them. False when the file holds anything this decoder does not take or is damaged: a chunk
// that colour-manages or adds transparency (gAMA, cHRM, sRGB, iCCP, tRNS), an unknown critical
// chunk, a CRC or length error, a broken or short image stream, an unknown row filter, no IEND.
// The rows are undefined then.
bool DecodePngRows(const uint8_t* data, size_t size, const PngRowsInfo& info, uint8_t* bits,
                   size_t stride);

// As DecodePngRows, but the image comes out `factor` times smaller on each side
// (info.width / factor x info.height / factor pixels into `bits`, rows of `stride` bytes,
// bottom-up): each pixel the mean of a `factor` x `factor` block of premultiplied pixels,
// rounded to nearest, as ScalePixels (dpi_scale.h) shrinks. Needs no more memory than a row of
// sums, so a sheet rendered at twice the DPI gives its 96-DPI image without ever being held
// whole. False also when `factor` is below 1 or does not divide both sides.
bool DecodePngRowsReduced(const uint8_t* data, size_t size, const PngRowsInfo& info, int factor,
                          uint8_t* bits, size_t stride);

#endif  // BRINDLE_UI_FRAMEWORK_PNG_ROWS_H_
