// Helpers shared by the ui/framework tests: the window class registration and
// a 32-bit top-down DIB section to draw into and read pixels from.
#ifndef BRINDLE_TESTS_UI_FRAMEWORK_FRAMEWORK_TEST_SUPPORT_H_
#define BRINDLE_TESTS_UI_FRAMEWORK_FRAMEWORK_TEST_SUPPORT_H_

#include <windows.h>

#include <cstdint>

#include "ui/framework/ch_app.h"
#include "ui/framework/ch_window.h"
#include "ui/framework/gdi_handles.h"

namespace brindle::test {

class TestApp : public CHApp {
 public:
  BOOL InitInstance() override { return TRUE; }
  void ExitInstance() override {}
  CHWindow* GetMainWindow() override { return nullptr; }
};

// Registers class "CHWindow" for this process unless it is registered.
// Returns whether the class exists.
inline bool EnsureWindowClass() {
  WNDCLASSEXW info = {};
  info.cbSize = sizeof(info);
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  if (::GetClassInfoExW(instance, kCHWindowClassName, &info)) return true;
  TestApp app;
  return app.RegisterWindowClass(SW_SHOWNORMAL, nullptr, instance, nullptr) != 0;
}

// A 32-bit DIB section selected into a memory DC, like a layered back buffer.
// Pixels are 0xAARRGGBB; At() reads top-down coordinates.
class Canvas {
 public:
  Canvas(int width, int height, uint32_t fill) : width_(width), height_(height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    pixels_ = static_cast<uint32_t*>(bits);
    dc_.reset(::CreateCompatibleDC(nullptr));
    previous_ = ::SelectObject(dc_.get(), bitmap_.get());
    for (int i = 0; pixels_ && i < width * height; ++i) pixels_[i] = fill;
  }
  ~Canvas() { ::SelectObject(dc_.get(), previous_); }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_.get(); }
  bool valid() const { return pixels_ && dc_; }
  uint32_t At(int x, int y) const {
    ::GdiFlush();
    return pixels_[y * width_ + x];
  }
  uint32_t Rgb(int x, int y) const { return At(x, y) & 0xFFFFFF; }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  int width_;
  int height_;
  gdi::Bitmap bitmap_;
  gdi::MemoryDC dc_;
  HGDIOBJ previous_ = nullptr;
  uint32_t* pixels_ = nullptr;
};

}  // namespace brindle::test

#endif  // BRINDLE_TESTS_UI_FRAMEWORK_FRAMEWORK_TEST_SUPPORT_H_
