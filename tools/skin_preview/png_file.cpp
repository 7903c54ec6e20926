#include "tools/skin_preview/png_file.h"

#include <cstring>
#include <vector>

#include "ui/framework/gdi_handles.h"
#include "ui/framework/graphics_runtime.h"

namespace gdip = Gdiplus::DllExports;

namespace {

// The class id of the encoder for `mime_type`; false when there is none.
bool FindEncoder(const wchar_t* mime_type, CLSID& clsid) {
  UINT count = 0;
  UINT bytes = 0;
  if (gdip::GdipGetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || count == 0) return false;
  // The array is followed by the strings it points to, all in `bytes`.
  std::vector<unsigned char> buffer(bytes);
  auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (gdip::GdipGetImageEncoders(count, bytes, encoders) != Gdiplus::Ok) return false;
  for (UINT i = 0; i < count; ++i) {
    if (encoders[i].MimeType && std::wcscmp(encoders[i].MimeType, mime_type) == 0) {
      clsid = encoders[i].Clsid;
      return true;
    }
  }
  return false;
}

}  // namespace

bool WritePng(const Picture& picture, const std::wstring& path) {
  if (picture.width <= 0 || picture.height <= 0) return false;
  if (!StartGdiplus()) return false;
  CLSID png = {};
  if (!FindEncoder(L"image/png", png)) return false;
  // Little-endian 0xAARRGGBB words are the bytes B, G, R, A of 32bppARGB. The
  // bitmap borrows the pixels, which outlive it.
  brindle::gdi::GdipBitmap bitmap;
  auto* scan0 = reinterpret_cast<BYTE*>(const_cast<uint32_t*>(picture.pixels.data()));
  if (gdip::GdipCreateBitmapFromScan0(picture.width, picture.height, picture.width * 4,
                                      PixelFormat32bppARGB, scan0,
                                      bitmap.receive()) != Gdiplus::Ok) {
    return false;
  }
  return gdip::GdipSaveImageToFile(bitmap.get(), path.c_str(), &png, nullptr) == Gdiplus::Ok;
}
