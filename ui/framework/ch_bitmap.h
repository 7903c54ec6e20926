// CHBitmap: a device-independent bitmap (DIB section) of 24 or 32 bits per
// pixel, decoded from any format GDI+ reads, drawn with GDI calls.
//
// Pixels are stored bottom-up, bytes blue, green, red (, alpha). A 32-bit
// bitmap decoded from an image with an alpha channel holds premultiplied
// alpha, as AlphaBlend with AC_SRC_ALPHA expects. Every live CHBitmap keeps
// GDI+ available: destroying the last one shuts GDI+ down (see
// graphics_runtime.h). User-interface thread only, apart from that count.
#ifndef BRINDLE_UI_FRAMEWORK_CH_BITMAP_H_
#define BRINDLE_UI_FRAMEWORK_CH_BITMAP_H_

// windows.h first.
// clang-format off
#include <windows.h>
#include <objidl.h>
// clang-format on

#include <cstddef>
#include <cstdint>

#include "ui/framework/gdi_handles.h"

class CHBitmap {
 public:
  CHBitmap();
  virtual ~CHBitmap();
  CHBitmap(const CHBitmap&) = delete;
  CHBitmap& operator=(const CHBitmap&) = delete;

  // Frees the memory DC and the bitmap; the object is empty afterwards.
  void Release();

  // A zero-filled bitmap of `width` x `height` pixels at 24 or 32 bits per
  // pixel. Returns false (and stays empty) for other depths, non-positive
  // sizes, more than kMaxSkinImageBytes of pixel rows (png_rows.h) or when
  // the DIB section cannot be made.
  bool Create(int width, int height, int bits_per_pixel);

  // A copy of the bottom-up pixel rows `bits` described by `header`. Refuses
  // (false, empty) a null header or bits, a length of 0, a depth other than 24
  // or 32, a compression other than BI_RGB, a non-positive width or height
  // (top-down rows), and a length that is not exactly stride x height bytes.
  bool CopyFrom(const BITMAPINFOHEADER* header, const void* bits, size_t length);

  // Decodes an encoded image (PNG, BMP, JPEG, ...) of `length` bytes: the
  // 8-bit RGBA and RGB PNGs of skins directly (ui/framework/png_rows.h),
  // everything else through GDI+, starting GDI+ if needed. The result has 32
  // bits per pixel when the image has an alpha channel, else 24. False
  // (empty) when the image cannot be decoded, and at once, before any
  // decoder allocates, for a PNG stating more than kMaxSkinImageBytes.
  bool LoadFromMemory(const void* data, size_t length);
  // As LoadFromMemory, the image made `factor` times smaller on each side by
  // area averaging (ScalePixels in dpi_scale.h): a skin's 8-bit PNG straight
  // from its rows, without holding it whole; any other image decoded whole
  // first. A factor of 1 is LoadFromMemory. False (empty) also when `factor`
  // is below 1 or the image is smaller than `factor` pixels on a side.
  bool LoadReduced(const void* data, size_t length, int factor);
  // As LoadFromMemory, from the stream's current position. The stream stays
  // the caller's.
  bool LoadFromStream(IStream* stream);

  // Selects the bitmap into a memory DC (dc()) for drawing from it. Returns
  // true when it made the DC now; false when there is one already or no
  // bitmap. UnselectDC takes the bitmap out again and deletes the DC; it
  // returns the bitmap handle.
  bool SelectDC();
  HBITMAP UnselectDC();

  // Copies the source rectangle (pixels, from the top-left of the image) to
  // the target rectangle of `target`: AlphaBlend for 32 bits, else BitBlt for
  // equal sizes or DrawDibDraw when stretching. Returns the drawing call's
  // result; FALSE, drawing nothing, without a bitmap or when the source
  // rectangle is not wholly inside the image (ContainsSource).
  BOOL DrawBitmap(HDC target, int x, int y, int width, int height, int source_x, int source_y,
                  int source_width, int source_height);

  // True when the source rectangle (pixels, from the top-left of the image)
  // has a positive width and height and lies wholly inside the image. Every
  // drawing path refuses other rectangles: DrawDibDraw reads the bits
  // directly and would read past them.
  bool ContainsSource(int x, int y, int width, int height) const;

  // A region made of every pixel whose colour is magenta (255, 0, 255), in
  // image coordinates from the top-left. The caller owns the region. An image
  // without magenta (or an empty bitmap) gives an empty region; null only if
  // the region cannot be made.
  HRGN KeyColorRegion() const;

  // The memory DC while the bitmap is selected (SelectDC), else null.
  HDC dc() const { return dc_.get(); }
  int bits_per_pixel() const { return bits_per_pixel_; }
  int width() const { return width_; }
  int height() const { return height_; }
  // Bytes per row, rounded up to a multiple of 4.
  int stride() const { return stride_; }
  BYTE* bits() const { return bits_; }
  int bytes() const { return bytes_; }
  const BITMAPINFOHEADER& header() const { return info_.bmiHeader; }
  HBITMAP bitmap() const { return bitmap_.get(); }

 private:
  bool MakeSection();
  bool LoadSimplePng(const uint8_t* data, size_t length);

  brindle::gdi::MemoryDC dc_;
  int bits_per_pixel_ = 0;
  int width_ = 0;
  int height_ = 0;
  int stride_ = 0;
  BYTE* bits_ = nullptr;
  int bytes_ = 0;
  BITMAPINFO info_ = {};  // the header and one zero colour entry
  brindle::gdi::Bitmap bitmap_;
  HGDIOBJ previous_bitmap_ = nullptr;
};

// Keeps a bitmap selected into its memory DC for a scope. Nested scopes on
// one bitmap share the outer selection; only the scope that selected it
// unselects it.
class ScopedBitmapDC {
 public:
  explicit ScopedBitmapDC(CHBitmap* bitmap)
      : bitmap_(bitmap), selected_(bitmap && bitmap->SelectDC()) {}
  ~ScopedBitmapDC() {
    if (selected_) bitmap_->UnselectDC();
  }
  ScopedBitmapDC(const ScopedBitmapDC&) = delete;
  ScopedBitmapDC& operator=(const ScopedBitmapDC&) = delete;

  HDC get() const { return bitmap_ ? bitmap_->dc() : nullptr; }

 private:
  CHBitmap* bitmap_;
  bool selected_;
};

#endif  // BRINDLE_UI_FRAMEWORK_CH_BITMAP_H_
