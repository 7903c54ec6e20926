#include "ui/framework/draw_primitives.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

#include "ui/framework/ch_bitmap.h"
#include "ui/framework/graphics_runtime.h"
#include "ui/framework/system_libraries.h"

namespace {

constexpr BLENDFUNCTION kPerPixelAlpha = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};

// Alpha of skin text: 254, not 255, so that GDI+ blends the glyphs and writes
// their coverage into the alpha channel of a 32-bit back buffer.
constexpr Gdiplus::ARGB kTextAlpha = 0xFE000000;

// Foreground placement flags ("al").
enum ForegroundAlign {
  kTopLeft = 1,
  kTop = 2,
  kTopRight = 4,
  kLeft = 8,
  kRight = 16,
  kBottomLeft = 32,
  kBottom = 64,
  kBottomRight = 128,
};

struct Cell {
  bool drawn;
  int x, y, width, height;
  int source_x, source_y, source_width, source_height;
};

// True when a cell of `bitmap` can be copied: a bitmap and its DC, positive
// target sizes and a source cell inside the image.
bool CanCopy(const CHBitmap* bitmap, HDC source, int width, int height, int source_x, int source_y,
             int source_width, int source_height) {
  return bitmap && source && width > 0 && height > 0 &&
         bitmap->ContainsSource(source_x, source_y, source_width, source_height);
}

BOOL StretchHalftone(HDC target, int x, int y, int width, int height, const CHBitmap& bitmap,
                     int source_x, int source_y, int source_width, int source_height) {
  auto* header = const_cast<BITMAPINFOHEADER*>(&bitmap.header());
  return brindle::DrawDibApi().DrawDibDraw(DrawDibHandle(), target, x, y, width, height, header,
                                           bitmap.bits(), source_x, source_y, source_width,
                                           source_height, DDF_HALFTONE);
}

void DrawBackground(const RECT& d, const StateEntry& e, HDC dc) {
  const int dw = d.right - d.left;
  const int dh = d.bottom - d.top;
  const int l = e.margin_left;
  const int t = e.margin_top;
  const int r = e.margin_right;
  const int b = e.margin_bottom;
  const int sw = e.width;
  const int sh = e.height;
  const int mid_w = sw - l - r;  // source width of the top, centre and bottom cells
  const int mid_h = sh - t - b;  // source height of the left, centre and right cells
  const Cell cells[] = {
      {t > 0 && l > 0, d.left, d.top, l, t, e.x, e.y, l, t},
      {t > 0 && l + r < sw, d.left + l, d.top, dw - l - r, t, e.x + l, e.y, mid_w, t},
      {t > 0 && r > 0, d.right - r, d.top, r, t, e.x + sw - r, e.y, r, t},
      {t + b < sh && l > 0, d.left, d.top + t, l, dh - t - b, e.x, e.y + t, l, mid_h},
      {t + b < sh && l + r < sw, d.left + l, d.top + t, dw - l - r, dh - t - b, e.x + l, e.y + t,
       mid_w, mid_h},
      {t + b < sh && r > 0, d.right - r, d.top + t, r, dh - t - b, e.x + sw - r, e.y + t, r, mid_h},
      {b > 0 && l > 0, d.left, d.bottom - b, l, b, e.x, e.y + sh - b, l, b},
      {b > 0 && l + r < sw, d.left + l, d.bottom - b, dw - l - r, b, e.x + l, e.y + sh - b, mid_w,
       b},
      {b > 0 && r > 0, d.right - r, d.bottom - b, r, b, e.x + sw - r, e.y + sh - b, r, b},
  };
  const ScopedBitmapDC source(e.image);
  for (const Cell& c : cells) {
    if (!c.drawn) continue;
    DrawCell(source.get(), dc, c.x, c.y, c.width, c.height, c.source_x, c.source_y, c.source_width,
             c.source_height, e.key_color, e.image);
  }
}

POINT ForegroundOrigin(const RECT& d, int width, int height, int align) {
  const int cx = (d.left + d.right) / 2 - width / 2;
  const int cy = (d.top + d.bottom) / 2 - height / 2;
  switch (align) {
    case kTopLeft:
      return {d.left, d.top};
    case kTop:
      return {cx, d.top};
    case kTopRight:
      return {d.right - width, d.top};
    case kLeft:
      return {d.left, cy};
    case kRight:
      return {d.right - width, cy};
    case kBottomLeft:
      return {d.left, d.bottom - height};
    case kBottom:
      return {cx, d.bottom - height};
    case kBottomRight:
      return {d.right - width, d.bottom - height};
    default:
      return {cx, cy};
  }
}

void DrawForeground(const RECT& d, const StateEntry& e, HDC dc) {
  const int width = e.foreground_width;
  const int height = e.foreground_height;
  POINT at = ForegroundOrigin(d, width, height, e.foreground_align);
  at.x += e.foreground_offset_x;
  at.y += e.foreground_offset_y;
  const ScopedBitmapDC source(e.foreground_image);
  KeyColorCopy(source.get(), dc, at.x, at.y, width, height, e.foreground_x, e.foreground_y, width,
               height, e.foreground_key_color, e.foreground_image);
}

Gdiplus::StringAlignment HorizontalAlignment(UINT flags) {
  if (flags & DT_CENTER) return Gdiplus::StringAlignmentCenter;
  if (flags & DT_RIGHT) return Gdiplus::StringAlignmentFar;
  return Gdiplus::StringAlignmentNear;
}

brindle::gdi::GdipStringFormat MakeStringFormat(UINT flags) {
  const brindle::GdiplusFunctions& gdip = brindle::GdiplusApi();
  brindle::gdi::GdipStringFormat format;
  if (gdip.GdipCreateStringFormat(0, LANG_NEUTRAL, format.receive()) != Gdiplus::Ok) {
    return format;
  }
  gdip.GdipSetStringFormatAlign(format.get(), HorizontalAlignment(flags));
  if (flags & DT_SINGLELINE) {
    // One line that never wraps: a wrapped second line would be hidden, and a
    // caption cut after a word (or, in Chinese, after any character) reads as
    // whole. A line taller than the layout is still drawn, clipped.
    gdip.GdipSetStringFormatFlags(format.get(), Gdiplus::StringFormatFlagsNoWrap);
    if (flags & DT_VCENTER) {
      gdip.GdipSetStringFormatLineAlign(format.get(), Gdiplus::StringAlignmentCenter);
    }
  }
  if (flags & DT_WORD_ELLIPSIS) {
    gdip.GdipSetStringFormatTrimming(format.get(), Gdiplus::StringTrimmingEllipsisWord);
  } else if (flags & DT_END_ELLIPSIS) {
    gdip.GdipSetStringFormatTrimming(format.get(), Gdiplus::StringTrimmingEllipsisCharacter);
  }
  return format;
}

Gdiplus::ARGB TextColor(COLORREF color) {
  return kTextAlpha | static_cast<Gdiplus::ARGB>(GetRValue(color)) << 16 |
         static_cast<Gdiplus::ARGB>(GetGValue(color)) << 8 | GetBValue(color);
}

void CopyFace(const std::wstring& face, LOGFONTW& font) {
  const size_t length = std::min(face.size(), size_t{LF_FACESIZE - 1});
  std::wmemcpy(font.lfFaceName, face.data(), length);
  font.lfFaceName[length] = L'\0';
}

int CALLBACK TakeTrueTypeFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM found) {
  // Vertical faces ("@...") lay text out sideways.
  if (!(type & TRUETYPE_FONTTYPE) || font->lfFaceName[0] == L'@') return 1;
  *reinterpret_cast<std::wstring*>(found) = font->lfFaceName;
  return 0;
}

// The first TrueType face the system has for `charset`; empty when none.
std::wstring FaceForCharset(BYTE charset) {
  LOGFONTW wanted = {};
  wanted.lfCharSet = charset;
  std::wstring found;
  const brindle::gdi::WindowDC screen(nullptr);
  ::EnumFontFamiliesExW(screen.get(), &wanted, TakeTrueTypeFace, reinterpret_cast<LPARAM>(&found),
                        0);
  return found;
}

std::wstring MessageFontFace() {
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof(metrics);
  if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) return {};
  return metrics.lfMessageFont.lfFaceName;
}

std::wstring DefaultGuiFontFace() {
  LOGFONTW font = {};
  if (::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font) != sizeof(font)) {
    return {};
  }
  return font.lfFaceName;
}

}  // namespace

// For a script's character set (CJK, Cyrillic, ...) a face that has it comes
// first, since GDI+ draws no glyph its font lacks; the message font and the
// default GUI font cover Latin text everywhere.
const std::vector<std::wstring>& FallbackFontFaces(BYTE charset) {
  static std::map<BYTE, std::vector<std::wstring>> cache;
  const auto cached = cache.find(charset);
  if (cached != cache.end()) return cached->second;
  std::vector<std::wstring>& faces = cache[charset];
  const bool latin = charset == ANSI_CHARSET || charset == DEFAULT_CHARSET;
  if (!latin) faces.push_back(FaceForCharset(charset));
  faces.push_back(MessageFontFace());
  faces.push_back(DefaultGuiFontFace());
  if (latin) faces.push_back(FaceForCharset(ANSI_CHARSET));
  faces.erase(std::remove_if(faces.begin(), faces.end(),
                             [](const std::wstring& face) { return face.empty(); }),
              faces.end());
  return faces;
}

void DrawCell(HDC source, HDC target, int x, int y, int width, int height, int source_x,
              int source_y, int source_width, int source_height, COLORREF key_color,
              CHBitmap* bitmap) {
  if (!CanCopy(bitmap, source, width, height, source_x, source_y, source_width, source_height)) {
    return;
  }
  if (bitmap->bits_per_pixel() == 32) {
    ::GdiAlphaBlend(target, x, y, width, height, source, source_x, source_y, source_width,
                    source_height, kPerPixelAlpha);
  } else if (key_color != 0) {
    KeyColorCopy(source, target, x, y, width, height, source_x, source_y, source_width,
                 source_height, key_color, bitmap);
  } else if (width == source_width && height == source_height) {
    ::BitBlt(target, x, y, width, height, source, source_x, source_y, SRCCOPY);
  } else {
    StretchHalftone(target, x, y, width, height, *bitmap, source_x, source_y, source_width,
                    source_height);
  }
}

void KeyColorCopy(HDC source, HDC target, int x, int y, int width, int height, int source_x,
                  int source_y, int source_width, int source_height, COLORREF key_color,
                  CHBitmap* bitmap) {
  if (!CanCopy(bitmap, source, width, height, source_x, source_y, source_width, source_height)) {
    return;
  }
  if (bitmap->bits_per_pixel() == 32) {
    ::GdiAlphaBlend(target, x, y, width, height, source, source_x, source_y, source_width,
                    source_height, kPerPixelAlpha);
    return;
  }
  if (width == source_width && height == source_height) {
    ::GdiTransparentBlt(target, x, y, width, height, source, source_x, source_y, width, height,
                        key_color);
    return;
  }
  const brindle::gdi::Bitmap stretched(::CreateCompatibleBitmap(target, width, height));
  const brindle::gdi::MemoryDC stretched_dc(::CreateCompatibleDC(target));
  if (!stretched || !stretched_dc) return;
  const brindle::gdi::ScopedSelectObject select(stretched_dc.get(), stretched.get());
  StretchHalftone(stretched_dc.get(), 0, 0, width, height, *bitmap, source_x, source_y,
                  source_width, source_height);
  ::GdiTransparentBlt(target, x, y, width, height, stretched_dc.get(), 0, 0, width, height,
                      key_color);
}

void DrawStateEntry(const RECT& target, const StateEntry& entry, HDC dc) {
  if (target.right - target.left <= 0 || target.bottom - target.top <= 0) return;
  if (entry.image && entry.width > 0 && entry.height > 0) DrawBackground(target, entry, dc);
  if (entry.foreground_width > 0 && entry.foreground_height > 0 && entry.foreground_image) {
    DrawForeground(target, entry, dc);
  }
}

brindle::gdi::GdipFont MakeGdiplusFont(HDC dc, HFONT font) {
  const brindle::GdiplusFunctions& gdip = brindle::GdiplusApi();
  brindle::gdi::GdipFont result;
  if (!StartGdiplus()) return result;
  LOGFONTW logfont;
  if (font && ::GetObjectW(font, sizeof(logfont), &logfont) == sizeof(logfont)) {
    if (gdip.GdipCreateFontFromLogfontW(dc, &logfont, result.receive()) == Gdiplus::Ok) {
      return result;
    }
    for (const std::wstring& face : FallbackFontFaces(logfont.lfCharSet)) {
      LOGFONTW fallback = logfont;
      CopyFace(face, fallback);
      if (gdip.GdipCreateFontFromLogfontW(dc, &fallback, result.receive()) == Gdiplus::Ok) {
        return result;
      }
    }
  }
  if (gdip.GdipCreateFontFromDC(dc, result.receive()) != Gdiplus::Ok) result.reset();
  return result;
}

void DrawFocusFrame(HDC dc, const RECT& frame, COLORREF color) {
  if (frame.right - frame.left < 2 || frame.bottom - frame.top < 2 || !StartGdiplus()) return;
  const brindle::GdiplusFunctions& gdip = brindle::GdiplusApi();
  brindle::gdi::GdipGraphics graphics;
  brindle::gdi::GdipPen pen;
  if (gdip.GdipCreateFromHDC(dc, graphics.receive()) != Gdiplus::Ok ||
      gdip.GdipCreatePen1(TextColor(color), 1.0f, Gdiplus::UnitWorld, pen.receive()) !=
          Gdiplus::Ok) {
    return;
  }
  const int left = frame.left;
  const int top = frame.top;
  const int right = frame.right - 1;
  const int bottom = frame.bottom - 1;
  gdip.GdipDrawLineI(graphics.get(), pen.get(), left, top, right, top);
  gdip.GdipDrawLineI(graphics.get(), pen.get(), right, top, right, bottom);
  gdip.GdipDrawLineI(graphics.get(), pen.get(), right, bottom, left, bottom);
  gdip.GdipDrawLineI(graphics.get(), pen.get(), left, bottom, left, top);
}

void DrawSkinText(HDC dc, const TextStyle& style, const RECT& layout, const wchar_t* text,
                  const RECT* clip) {
  if (!text) text = style.text.c_str();
  if (!text[0] || !StartGdiplus()) return;
  const brindle::GdiplusFunctions& gdip = brindle::GdiplusApi();
  brindle::gdi::GdipGraphics graphics;
  if (gdip.GdipCreateFromHDC(dc, graphics.receive()) != Gdiplus::Ok) return;
  const brindle::gdi::GdipFont font = MakeGdiplusFont(dc, style.font);
  brindle::gdi::GdipSolidFill brush;
  gdip.GdipCreateSolidFill(TextColor(style.color), brush.receive());
  const brindle::gdi::GdipStringFormat format = MakeStringFormat(style.align);
  if (!font || !brush || !format) return;
  if (clip) {
    gdip.GdipSetClipRectI(graphics.get(), clip->left, clip->top, clip->right - clip->left,
                          clip->bottom - clip->top, Gdiplus::CombineModeReplace);
  }
  const Gdiplus::RectF rect(static_cast<Gdiplus::REAL>(layout.left),
                            static_cast<Gdiplus::REAL>(layout.top),
                            static_cast<Gdiplus::REAL>(layout.right - layout.left),
                            static_cast<Gdiplus::REAL>(layout.bottom - layout.top));
  gdip.GdipDrawString(graphics.get(), text, -1, font.get(), &rect, format.get(), brush.get());
}

int MeasureSkinText(HDC dc, const TextStyle& style, const wchar_t* text) {
  if (!text || !text[0] || !StartGdiplus()) return 0;
  const brindle::GdiplusFunctions& gdip = brindle::GdiplusApi();
  brindle::gdi::GdipGraphics graphics;
  if (gdip.GdipCreateFromHDC(dc, graphics.receive()) != Gdiplus::Ok) return 0;
  const brindle::gdi::GdipFont font = MakeGdiplusFont(dc, style.font);
  const brindle::gdi::GdipStringFormat format = MakeStringFormat(DT_SINGLELINE);
  if (!font || !format) return 0;
  constexpr Gdiplus::REAL kUnbounded = 1e6f;
  const Gdiplus::RectF layout(0, 0, kUnbounded, kUnbounded);
  Gdiplus::RectF bounds;
  if (gdip.GdipMeasureString(graphics.get(), text, -1, font.get(), &layout, format.get(), &bounds,
                             nullptr, nullptr) != Gdiplus::Ok) {
    return 0;
  }
  return static_cast<int>(std::ceil(bounds.Width));
}
