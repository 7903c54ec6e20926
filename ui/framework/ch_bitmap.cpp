#include "ui/framework/ch_bitmap.h"

#include <climits>
#include <cstring>
#include <memory>
#include <vector>

#include "ui/framework/dpi_scale.h"
#include "ui/framework/graphics_runtime.h"
#include "ui/framework/png_rows.h"
#include "ui/framework/system_libraries.h"

namespace {

constexpr BLENDFUNCTION kPerPixelAlpha = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};

struct ComRelease {
  void operator()(IUnknown* object) const { object->Release(); }
};
using StreamPtr = std::unique_ptr<IStream, ComRelease>;

// A stream over a copy of `data`; the stream frees its memory when released.
StreamPtr MakeMemoryStream(const void* data, size_t length) {
  HGLOBAL memory = ::GlobalAlloc(GMEM_FIXED, length);
  if (!memory) return nullptr;
  IStream* raw = nullptr;
  if (FAILED(::CreateStreamOnHGlobal(memory, TRUE, &raw))) {
    ::GlobalFree(memory);
    return nullptr;
  }
  StreamPtr stream(raw);
  ULONG written = 0;
  if (FAILED(stream->Write(data, static_cast<ULONG>(length), &written)) || written != length) {
    return nullptr;
  }
  const LARGE_INTEGER start = {};
  if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr))) return nullptr;
  return stream;
}

bool IsMagenta(const BYTE* pixel) { return pixel[0] == 255 && pixel[1] == 0 && pixel[2] == 255; }

HRGN RegionFromRects(const std::vector<RECT>& rects, const RECT& bounds) {
  if (rects.empty()) return ::CreateRectRgn(0, 0, 0, 0);
  std::vector<BYTE> block(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
  auto* data = reinterpret_cast<RGNDATA*>(block.data());
  data->rdh.dwSize = sizeof(RGNDATAHEADER);
  data->rdh.iType = RDH_RECTANGLES;
  data->rdh.nCount = static_cast<DWORD>(rects.size());
  data->rdh.nRgnSize = 0;
  data->rdh.rcBound = bounds;
  std::memcpy(data->Buffer, rects.data(), rects.size() * sizeof(RECT));
  return ::ExtCreateRegion(nullptr, static_cast<DWORD>(block.size()), data);
}

}  // namespace

CHBitmap::CHBitmap() { AddLiveBitmap(); }

CHBitmap::~CHBitmap() {
  Release();
  RemoveLiveBitmap();
}

void CHBitmap::Release() {
  UnselectDC();
  bitmap_.reset();
  bits_per_pixel_ = 0;
  width_ = 0;
  height_ = 0;
  stride_ = 0;
  bits_ = nullptr;
  bytes_ = 0;
  info_ = {};
}

bool CHBitmap::Create(int width, int height, int bits_per_pixel) {
  Release();
  if ((bits_per_pixel != 24 && bits_per_pixel != 32) || width <= 0 || height <= 0) return false;
  BITMAPINFOHEADER& header = info_.bmiHeader;
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = static_cast<WORD>(bits_per_pixel);
  header.biCompression = BI_RGB;
  return MakeSection();
}

// Makes the DIB section that info_ describes and fills in the derived fields.
bool CHBitmap::MakeSection() {
  const BITMAPINFOHEADER& header = info_.bmiHeader;
  const long long stride =
      (static_cast<long long>(header.biWidth) * header.biBitCount + 31) / 32 * 4;
  const long long bytes = stride * header.biHeight;
  void* bits = nullptr;
  if (bytes <= static_cast<long long>(kMaxSkinImageBytes)) {
    bitmap_.reset(::CreateDIBSection(nullptr, &info_, DIB_RGB_COLORS, &bits, nullptr, 0));
  }
  if (!bitmap_ || !bits) {
    Release();
    return false;
  }
  bits_per_pixel_ = header.biBitCount;
  width_ = header.biWidth;
  height_ = header.biHeight;
  stride_ = static_cast<int>(stride);
  bytes_ = static_cast<int>(bytes);
  bits_ = static_cast<BYTE*>(bits);
  return true;
}

bool CHBitmap::CopyFrom(const BITMAPINFOHEADER* header, const void* bits, size_t length) {
  Release();
  if (!header || !bits || length == 0) return false;
  if (header->biBitCount != 24 && header->biBitCount != 32) return false;
  if (header->biCompression != BI_RGB) return false;
  // Top-down rows (negative height) would break the bottom-up layout every
  // reader of bits() relies on.
  if (header->biWidth <= 0 || header->biHeight <= 0) return false;
  info_.bmiHeader = *header;
  info_.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info_.bmiHeader.biClrUsed = 0;  // no colour table follows the header
  if (!MakeSection()) return false;
  if (length != static_cast<size_t>(bytes_)) {
    Release();
    return false;
  }
  std::memcpy(bits_, bits, length);
  return true;
}

bool CHBitmap::LoadFromMemory(const void* data, size_t length) {
  Release();
  if (!data || length == 0) return false;
  const auto* bytes = static_cast<const uint8_t*>(data);
  // A damaged size goes to no decoder: GDI+ would allocate for it as readily as we would.
  if (PngStatesOversizeImage(bytes, length)) return false;
  if (LoadSimplePng(bytes, length)) return true;
  const StreamPtr stream = MakeMemoryStream(data, length);
  return stream && LoadFromStream(stream.get());
}

bool CHBitmap::LoadReduced(const void* data, size_t length, int factor) {
  if (factor == 1) return LoadFromMemory(data, length);
  Release();
  if (!data || factor < 1) return false;
  const auto* bytes = static_cast<const uint8_t*>(data);
  PngRowsInfo info;
  if (ReadPngRowsInfo(bytes, length, info) && info.width % factor == 0 &&
      info.height % factor == 0 && StartGdiplus()) {
    if (Create(info.width / factor, info.height / factor, info.alpha ? 32 : 24) &&
        DecodePngRowsReduced(bytes, length, info, factor, bits_, static_cast<size_t>(stride_))) {
      return true;
    }
    Release();
  }
  CHBitmap whole;
  if (!whole.LoadFromMemory(data, length) || whole.width() < factor || whole.height() < factor ||
      !Create(whole.width() / factor, whole.height() / factor, whole.bits_per_pixel())) {
    return false;
  }
  ::GdiFlush();
  ScalePixels(whole.bits(), whole.width(), whole.height(), whole.stride(), bits_, width_, height_,
              stride_, bits_per_pixel_ / 8);
  return true;
}

// The PNG forms of skins, decoded straight into the bitmap (ui/framework/png_rows.h); false,
// empty, for anything else. Like every decode it starts GDI+, which the bitmap's users draw
// text and lines with.
bool CHBitmap::LoadSimplePng(const uint8_t* data, size_t length) {
  PngRowsInfo info;
  if (!ReadPngRowsInfo(data, length, info) || !StartGdiplus()) return false;
  if (!Create(info.width, info.height, info.alpha ? 32 : 24)) return false;
  if (DecodePngRows(data, length, info, bits_, static_cast<size_t>(stride_))) return true;
  Release();
  return false;
}

bool CHBitmap::LoadFromStream(IStream* stream) {
  Release();
  if (!stream || !StartGdiplus()) return false;
  const brindle::GdiplusFunctions& gdip = brindle::GdiplusApi();
  brindle::gdi::GdipBitmap image;
  if (gdip.GdipCreateBitmapFromStream(stream, image.receive()) != Gdiplus::Ok) return false;
  UINT width = 0;
  UINT height = 0;
  Gdiplus::PixelFormat format = 0;
  if (gdip.GdipGetImageWidth(image.get(), &width) != Gdiplus::Ok ||
      gdip.GdipGetImageHeight(image.get(), &height) != Gdiplus::Ok ||
      gdip.GdipGetImagePixelFormat(image.get(), &format) != Gdiplus::Ok) {
    return false;
  }
  if (width > INT_MAX || height > INT_MAX) return false;
  const int depth = (format & PixelFormatAlpha) ? 32 : 24;
  if (!Create(static_cast<int>(width), static_cast<int>(height), depth)) return false;
  // GDI+ decodes lazily: a damaged image fails only here, when it is drawn.
  // Drawn into a 32-bit DIB section, the pixels come out premultiplied.
  Gdiplus::GpStatus status = Gdiplus::GenericError;
  {
    ScopedBitmapDC dc(this);
    brindle::gdi::GdipGraphics graphics;
    if (gdip.GdipCreateFromHDC(dc.get(), graphics.receive()) == Gdiplus::Ok) {
      status = gdip.GdipDrawImageRectI(graphics.get(), image.get(), 0, 0, width_, height_);
    }
  }
  if (status != Gdiplus::Ok) {
    Release();
    return false;
  }
  return true;
}

bool CHBitmap::SelectDC() {
  if (dc_ || !bitmap_) return false;
  dc_.reset(::CreateCompatibleDC(nullptr));
  if (!dc_) return false;
  previous_bitmap_ = ::SelectObject(dc_.get(), bitmap_.get());
  return true;
}

HBITMAP CHBitmap::UnselectDC() {
  if (dc_) {
    ::SelectObject(dc_.get(), previous_bitmap_);
    dc_.reset();
    previous_bitmap_ = nullptr;
  }
  return bitmap_.get();
}

BOOL CHBitmap::DrawBitmap(HDC target, int x, int y, int width, int height, int source_x,
                          int source_y, int source_width, int source_height) {
  if (!bitmap_ || !ContainsSource(source_x, source_y, source_width, source_height)) return FALSE;
  const ScopedBitmapDC source(this);
  if (bits_per_pixel_ == 32) {
    return ::GdiAlphaBlend(target, x, y, width, height, source.get(), source_x, source_y,
                           source_width, source_height, kPerPixelAlpha);
  }
  if (width == source_width && height == source_height) {
    return ::BitBlt(target, x, y, width, height, source.get(), source_x, source_y, SRCCOPY);
  }
  // No DDF_SAME_HDC: the DrawDib handle is shared by every bitmap and every
  // target DC, so the target is rarely the DC of the previous call.
  return brindle::DrawDibApi().DrawDibDraw(DrawDibHandle(), target, x, y, width, height,
                                           &info_.bmiHeader, bits_, source_x, source_y,
                                           source_width, source_height, 0);
}

bool CHBitmap::ContainsSource(int x, int y, int width, int height) const {
  // Written so that nothing overflows: x and y are at least 0 when the sizes
  // are compared with what is left of the image.
  return width > 0 && height > 0 && x >= 0 && y >= 0 && width <= width_ - x &&
         height <= height_ - y;
}

HRGN CHBitmap::KeyColorRegion() const {
  std::vector<RECT> runs;
  runs.reserve(100);
  RECT bounds = {};
  const int pixel_bytes = bits_per_pixel_ / 8;
  for (int y = 0; bits_ && y < height_; ++y) {
    const BYTE* row = bits_ + static_cast<ptrdiff_t>(height_ - 1 - y) * stride_;
    int x = 0;
    while (x < width_) {
      if (!IsMagenta(row + x * pixel_bytes)) {
        ++x;
        continue;
      }
      const int start = x;
      while (x < width_ && IsMagenta(row + x * pixel_bytes)) ++x;
      if (runs.size() == runs.capacity()) runs.reserve(runs.capacity() + 100);
      const RECT run = {start, y, x, y + 1};
      runs.push_back(run);
      ::UnionRect(&bounds, &bounds, &run);
    }
  }
  return RegionFromRects(runs, bounds);
}
