// The system DLLs that are not KnownDLLs and that the framework calls (GDI+
// and DrawDib for drawing, oleacc for assistive technology), loaded at run
// time from the system folder only.
//
// A setup program is started from download folders that others can write to.
// A static import of such a DLL is resolved by the loader before any code
// runs, and the loader looks in the program's folder first, so a DLL planted
// there would be loaded. These DLLs are therefore never imported: each is
// loaded once, on first use, by its full path in the system folder, and the
// functions the framework uses are taken from it into a table of typed
// function pointers with the names and signatures of gdiplus.h and vfw.h.
// The alpha and key-colour copies come from gdi32 (a KnownDLL) as
// GdiAlphaBlend and GdiTransparentBlt, so msimg32 is not needed at all.
//
// Every pointer of a table is callable. When a DLL or any one of its
// functions is missing, every function of that table is a stand-in that
// touches no argument and reports failure (GDI+ GenericError, FALSE, null
// handle, E_FAIL; LresultFromObject's gives 0 or E_FAIL, never an object), so
// drawing does nothing, decoding fails and a window answers assistive
// technology as a plain window instead of crashing.
// The DLLs stay loaded until the process ends: GDI+ objects and the GDI+
// shutdown may outlive any other static object.
#ifndef BRINDLE_UI_FRAMEWORK_SYSTEM_LIBRARIES_H_
#define BRINDLE_UI_FRAMEWORK_SYSTEM_LIBRARIES_H_

// windows.h, then objidl.h (PROPID, IStream) before gdiplus.h.
// clang-format off
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <oleacc.h>
#include <vfw.h>
// clang-format on

namespace brindle {

// The GDI+ flat API functions that the framework and the controls call.
struct GdiplusFunctions {
  // The loaded gdiplus.dll; null when every function is a stand-in.
  HMODULE module;
  decltype(&Gdiplus::GdiplusStartup) GdiplusStartup;
  decltype(&Gdiplus::GdiplusShutdown) GdiplusShutdown;
  decltype(&Gdiplus::DllExports::GdipCreateBitmapFromStream) GdipCreateBitmapFromStream;
  decltype(&Gdiplus::DllExports::GdipGetImageWidth) GdipGetImageWidth;
  decltype(&Gdiplus::DllExports::GdipGetImageHeight) GdipGetImageHeight;
  decltype(&Gdiplus::DllExports::GdipGetImagePixelFormat) GdipGetImagePixelFormat;
  decltype(&Gdiplus::DllExports::GdipDisposeImage) GdipDisposeImage;
  decltype(&Gdiplus::DllExports::GdipCreateFromHDC) GdipCreateFromHDC;
  decltype(&Gdiplus::DllExports::GdipDeleteGraphics) GdipDeleteGraphics;
  decltype(&Gdiplus::DllExports::GdipSetClipRectI) GdipSetClipRectI;
  decltype(&Gdiplus::DllExports::GdipDrawImageRectI) GdipDrawImageRectI;
  decltype(&Gdiplus::DllExports::GdipDrawLineI) GdipDrawLineI;
  decltype(&Gdiplus::DllExports::GdipFillRectangleI) GdipFillRectangleI;
  decltype(&Gdiplus::DllExports::GdipDrawString) GdipDrawString;
  decltype(&Gdiplus::DllExports::GdipMeasureString) GdipMeasureString;
  decltype(&Gdiplus::DllExports::GdipCreateFontFromLogfontW) GdipCreateFontFromLogfontW;
  decltype(&Gdiplus::DllExports::GdipCreateFontFromDC) GdipCreateFontFromDC;
  decltype(&Gdiplus::DllExports::GdipDeleteFont) GdipDeleteFont;
  decltype(&Gdiplus::DllExports::GdipDeleteFontFamily) GdipDeleteFontFamily;
  decltype(&Gdiplus::DllExports::GdipCreateSolidFill) GdipCreateSolidFill;
  decltype(&Gdiplus::DllExports::GdipDeleteBrush) GdipDeleteBrush;
  decltype(&Gdiplus::DllExports::GdipCreatePen1) GdipCreatePen1;
  decltype(&Gdiplus::DllExports::GdipDeletePen) GdipDeletePen;
  decltype(&Gdiplus::DllExports::GdipCreateStringFormat) GdipCreateStringFormat;
  decltype(&Gdiplus::DllExports::GdipDeleteStringFormat) GdipDeleteStringFormat;
  decltype(&Gdiplus::DllExports::GdipSetStringFormatAlign) GdipSetStringFormatAlign;
  decltype(&Gdiplus::DllExports::GdipSetStringFormatLineAlign) GdipSetStringFormatLineAlign;
  decltype(&Gdiplus::DllExports::GdipSetStringFormatFlags) GdipSetStringFormatFlags;
  decltype(&Gdiplus::DllExports::GdipSetStringFormatTrimming) GdipSetStringFormatTrimming;
  decltype(&Gdiplus::DllExports::GdipDeleteRegion) GdipDeleteRegion;
  decltype(&Gdiplus::DllExports::GdipDeletePath) GdipDeletePath;
};

// The DrawDib functions (msvfw32) for stretched copies of bitmaps without
// alpha channel.
struct DrawDibFunctions {
  // The loaded msvfw32.dll; null when every function is a stand-in.
  HMODULE module;
  decltype(&::DrawDibOpen) DrawDibOpen;
  decltype(&::DrawDibClose) DrawDibClose;
  decltype(&::DrawDibDraw) DrawDibDraw;
};

// The accessibility functions (oleacc) that a window's accessible object
// needs: handing itself to a client, and the system's object of the window
// frame as its parent.
struct OleaccFunctions {
  // The loaded oleacc.dll; null when every function is a stand-in.
  HMODULE module;
  decltype(&::LresultFromObject) LresultFromObject;
  decltype(&::CreateStdAccessibleObject) CreateStdAccessibleObject;
};

// The process-wide tables, loaded on the first call (thread-safe) from
// gdiplus.dll, msvfw32.dll and oleacc.dll in the system folder.
const GdiplusFunctions& GdiplusApi();
const DrawDibFunctions& DrawDibApi();
const OleaccFunctions& OleaccApi();

// Loads `file_name` (a bare DLL name such as L"gdiplus.dll") by its full path
// in the system folder, its own dependencies searched in the system folder
// too. Never looks anywhere else. Returns null when the DLL is not there or
// does not load; the caller owns the module (FreeLibrary).
HMODULE LoadSystemLibrary(const wchar_t* file_name);

// The tables made from `module` (null allowed): the real functions when the
// module exports all of them, otherwise stand-ins throughout (and a null
// `module` member). The module is borrowed and must stay loaded while the
// table is used.
GdiplusFunctions ResolveGdiplus(HMODULE module);
DrawDibFunctions ResolveDrawDib(HMODULE module);
OleaccFunctions ResolveOleacc(HMODULE module);

}  // namespace brindle

#endif  // BRINDLE_UI_FRAMEWORK_SYSTEM_LIBRARIES_H_
