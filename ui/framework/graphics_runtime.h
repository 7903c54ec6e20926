// Process-wide drawing state: the GDI+ start-up token, the count of live
// CHBitmap objects (both under one critical section) and the DrawDib handle.
//
// GDI+ starts the first time it is needed (StartGdiplus) and shuts down when
// the last CHBitmap is destroyed or at program end; a later StartGdiplus
// starts it again. The state is created on first use and torn down at
// program end. GDI+ and DrawDib are reached through the tables of
// system_libraries.h: without gdiplus.dll GDI+ never starts, without
// msvfw32.dll the DrawDib handle is null.
#ifndef BRINDLE_UI_FRAMEWORK_GRAPHICS_RUNTIME_H_
#define BRINDLE_UI_FRAMEWORK_GRAPHICS_RUNTIME_H_

// windows.h first.
// clang-format off
#include <windows.h>
#include <vfw.h>
// clang-format on

// Starts GDI+ unless it runs. Returns whether it runs.
bool StartGdiplus();
// Whether GDI+ has been started and not shut down since.
bool GdiplusRunning();

// The DrawDib handle for stretched copies of bitmaps without alpha channel;
// null only if DrawDibOpen failed.
HDRAWDIB DrawDibHandle();

// Bookkeeping of CHBitmap: called by its constructor and destructor. The
// removal of the last live bitmap shuts GDI+ down.
void AddLiveBitmap();
void RemoveLiveBitmap();
long LiveBitmapCount();

#endif  // BRINDLE_UI_FRAMEWORK_GRAPHICS_RUNTIME_H_
