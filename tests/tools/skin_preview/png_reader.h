// Test helper: decodes an image file with GDI+ into a Picture (straight
// alpha, rows top-down), independently of the preview's writer.
#ifndef BRINDLE_TESTS_TOOLS_SKIN_PREVIEW_PNG_READER_H_
#define BRINDLE_TESTS_TOOLS_SKIN_PREVIEW_PNG_READER_H_

#include <cstring>
#include <string>

#include "tools/skin_preview/host_snapshot.h"
#include "ui/framework/gdi_handles.h"
#include "ui/framework/graphics_runtime.h"

namespace skin_preview_test {

// False when the file does not decode.
inline bool ReadPicture(const std::wstring& path, Picture& out) {
  namespace gdip = Gdiplus::DllExports;
  if (!StartGdiplus()) return false;
  brindle::gdi::GdipBitmap bitmap;
  if (gdip::GdipCreateBitmapFromFile(path.c_str(), bitmap.receive()) != Gdiplus::Ok) return false;
  UINT width = 0;
  UINT height = 0;
  gdip::GdipGetImageWidth(bitmap.get(), &width);
  gdip::GdipGetImageHeight(bitmap.get(), &height);
  const Gdiplus::GpRect all(0, 0, static_cast<INT>(width), static_cast<INT>(height));
  Gdiplus::BitmapData data = {};
  if (gdip::GdipBitmapLockBits(bitmap.get(), &all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB,
                               &data) != Gdiplus::Ok) {
    return false;
  }
  Picture picture;
  picture.width = static_cast<int>(width);
  picture.height = static_cast<int>(height);
  picture.pixels.resize(static_cast<size_t>(width) * height);
  for (UINT y = 0; y < height; ++y) {
    std::memcpy(
        &picture.pixels[static_cast<size_t>(y) * width],
        static_cast<const unsigned char*>(data.Scan0) + static_cast<size_t>(y) * data.Stride,
        width * 4);
  }
  gdip::GdipBitmapUnlockBits(bitmap.get(), &data);
  out = std::move(picture);
  return true;
}

}  // namespace skin_preview_test

#endif  // BRINDLE_TESTS_TOOLS_SKIN_PREVIEW_PNG_READER_H_
