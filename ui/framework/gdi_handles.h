// Move-only owners and borrowed views for GDI and GDI+ handles.
//
// An owner deletes its handle when it is destroyed or reset; release() hands
// the handle to the caller, who then deletes it. Copying is impossible, so a
// handle is never deleted twice. A view (GdiView) wraps a handle that someone
// else owns and never deletes it.
#ifndef BRINDLE_UI_FRAMEWORK_GDI_HANDLES_H_
#define BRINDLE_UI_FRAMEWORK_GDI_HANDLES_H_

#include <windows.h>

#include "ui/framework/system_libraries.h"

namespace brindle::gdi {

// Owner of one handle; Traits gives the handle type and how to delete it.
template <typename Traits>
class Owner {
 public:
  using Handle = typename Traits::Handle;

  Owner() = default;
  explicit Owner(Handle handle) : handle_(handle) {}
  ~Owner() { reset(); }
  Owner(Owner&& other) noexcept : handle_(other.release()) {}
  Owner& operator=(Owner&& other) noexcept {
    reset(other.release());
    return *this;
  }
  Owner(const Owner&) = delete;
  Owner& operator=(const Owner&) = delete;

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Handle(); }

  // Gives up ownership without deleting; the caller owns the result.
  Handle release() {
    Handle handle = handle_;
    handle_ = Handle();
    return handle;
  }

  // Deletes the current handle (if any) and takes ownership of `handle`.
  void reset(Handle handle = Handle()) {
    if (handle_ != Handle() && handle_ != handle) Traits::Close(handle_);
    handle_ = handle;
  }

  // For creation functions with an out-parameter (GdipCreateXxx(..., &h)):
  // deletes the current handle and returns the address to fill.
  Handle* receive() {
    reset();
    return &handle_;
  }

 private:
  Handle handle_ = Handle();
};

// A handle that someone else owns; never deleted through the view.
template <typename Traits>
class View {
 public:
  using Handle = typename Traits::Handle;

  View() = default;
  View(Handle handle) : handle_(handle) {}                    // NOLINT: implicit on purpose
  View(const Owner<Traits>& owner) : handle_(owner.get()) {}  // NOLINT

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Handle(); }

 private:
  Handle handle_ = Handle();
};

namespace traits {

template <typename H>
struct GdiObject {
  using Handle = H;
  static void Close(H handle) { ::DeleteObject(handle); }
};

// A DC from CreateCompatibleDC or CreateDCW.
struct MemoryDC {
  using Handle = HDC;
  static void Close(HDC dc) { ::DeleteDC(dc); }
};

template <typename T>
struct GdipImage {
  using Handle = T*;
  static void Close(T* image) { GdiplusApi().GdipDisposeImage(image); }
};

template <typename T>
struct GdipBrush {
  using Handle = T*;
  static void Close(T* brush) { GdiplusApi().GdipDeleteBrush(brush); }
};

struct GdipGraphics {
  using Handle = Gdiplus::GpGraphics*;
  static void Close(Handle graphics) { GdiplusApi().GdipDeleteGraphics(graphics); }
};

struct GdipFont {
  using Handle = Gdiplus::GpFont*;
  static void Close(Handle font) { GdiplusApi().GdipDeleteFont(font); }
};

struct GdipFontFamily {
  using Handle = Gdiplus::GpFontFamily*;
  static void Close(Handle family) { GdiplusApi().GdipDeleteFontFamily(family); }
};

struct GdipPen {
  using Handle = Gdiplus::GpPen*;
  static void Close(Handle pen) { GdiplusApi().GdipDeletePen(pen); }
};

struct GdipStringFormat {
  using Handle = Gdiplus::GpStringFormat*;
  static void Close(Handle format) { GdiplusApi().GdipDeleteStringFormat(format); }
};

struct GdipRegion {
  using Handle = Gdiplus::GpRegion*;
  static void Close(Handle region) { GdiplusApi().GdipDeleteRegion(region); }
};

struct GdipPath {
  using Handle = Gdiplus::GpPath*;
  static void Close(Handle path) { GdiplusApi().GdipDeletePath(path); }
};

}  // namespace traits

// GDI objects (DeleteObject).
using Bitmap = Owner<traits::GdiObject<HBITMAP>>;
using Font = Owner<traits::GdiObject<HFONT>>;
using Brush = Owner<traits::GdiObject<HBRUSH>>;
using Pen = Owner<traits::GdiObject<HPEN>>;
using Region = Owner<traits::GdiObject<HRGN>>;
using BitmapView = View<traits::GdiObject<HBITMAP>>;
using FontView = View<traits::GdiObject<HFONT>>;
using BrushView = View<traits::GdiObject<HBRUSH>>;

// Device contexts made by the program (DeleteDC).
using MemoryDC = Owner<traits::MemoryDC>;
using DCView = View<traits::MemoryDC>;

// GDI+ objects. These are valid only while GDI+ runs: destroy them before the
// last CHBitmap goes (see ch_bitmap.h).
using GdipImage = Owner<traits::GdipImage<Gdiplus::GpImage>>;
using GdipBitmap = Owner<traits::GdipImage<Gdiplus::GpBitmap>>;
using GdipGraphics = Owner<traits::GdipGraphics>;
using GdipFont = Owner<traits::GdipFont>;
using GdipFontFamily = Owner<traits::GdipFontFamily>;
using GdipBrush = Owner<traits::GdipBrush<Gdiplus::GpBrush>>;
using GdipSolidFill = Owner<traits::GdipBrush<Gdiplus::GpSolidFill>>;
using GdipPen = Owner<traits::GdipPen>;
using GdipStringFormat = Owner<traits::GdipStringFormat>;
using GdipRegion = Owner<traits::GdipRegion>;
using GdipPath = Owner<traits::GdipPath>;

// The DC of a window from GetDC, released with ReleaseDC on the same window.
class WindowDC {
 public:
  WindowDC() = default;
  // Null `window` gives the DC of the screen.
  explicit WindowDC(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ~WindowDC() { reset(); }
  WindowDC(WindowDC&& other) noexcept : window_(other.window_), dc_(other.dc_) {
    other.window_ = nullptr;
    other.dc_ = nullptr;
  }
  WindowDC& operator=(WindowDC&& other) noexcept {
    if (this != &other) {
      reset();
      window_ = other.window_;
      dc_ = other.dc_;
      other.window_ = nullptr;
      other.dc_ = nullptr;
    }
    return *this;
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;

  HDC get() const { return dc_; }
  HWND window() const { return window_; }
  explicit operator bool() const { return dc_ != nullptr; }

  void reset() {
    if (dc_) ::ReleaseDC(window_, dc_);
    window_ = nullptr;
    dc_ = nullptr;
  }

 private:
  HWND window_ = nullptr;
  HDC dc_ = nullptr;
};

// BeginPaint in the constructor, EndPaint in the destructor.
class PaintDC {
 public:
  explicit PaintDC(HWND window) : window_(window) { dc_ = ::BeginPaint(window, &paint_); }
  ~PaintDC() { ::EndPaint(window_, &paint_); }
  PaintDC(const PaintDC&) = delete;
  PaintDC& operator=(const PaintDC&) = delete;

  HDC get() const { return dc_; }
  const RECT& paint_rect() const { return paint_.rcPaint; }
  bool erase() const { return paint_.fErase != FALSE; }

 private:
  HWND window_;
  PAINTSTRUCT paint_ = {};
  HDC dc_ = nullptr;
};

// Selects `object` into `dc` and selects the previous object back when it goes.
// The object must outlive the selection; it is not deleted.
class ScopedSelectObject {
 public:
  ScopedSelectObject(HDC dc, HGDIOBJ object)
      : dc_(dc), previous_(dc && object ? ::SelectObject(dc, object) : nullptr) {}
  ~ScopedSelectObject() {
    if (previous_ && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
  }
  ScopedSelectObject(const ScopedSelectObject&) = delete;
  ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

  // What the DC held before; null when nothing was selected.
  HGDIOBJ previous() const { return previous_ == HGDI_ERROR ? nullptr : previous_; }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// SaveDC in the constructor, RestoreDC of that state in the destructor.
class ScopedSaveDC {
 public:
  explicit ScopedSaveDC(HDC dc) : dc_(dc), state_(::SaveDC(dc)) {}
  ~ScopedSaveDC() {
    if (state_ != 0) ::RestoreDC(dc_, state_);
  }
  ScopedSaveDC(const ScopedSaveDC&) = delete;
  ScopedSaveDC& operator=(const ScopedSaveDC&) = delete;

 private:
  HDC dc_;
  int state_;
};

}  // namespace brindle::gdi

#endif  // BRINDLE_UI_FRAMEWORK_GDI_HANDLES_H_
