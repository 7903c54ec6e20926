// The process's DPI awareness and what a window needs to draw at the DPI of
// its monitor: its DPI and the work area of its monitor. Every system call
// newer than Windows Vista is looked up at run time, so the program still
// starts where it is missing.
#ifndef BRINDLE_UI_FRAMEWORK_DPI_AWARENESS_H_
#define BRINDLE_UI_FRAMEWORK_DPI_AWARENESS_H_

#include <windows.h>

#include "ui/framework/dpi_scale.h"

// The awareness EnableDpiAwareness obtained.
enum class DpiAwareness {
  kUnaware = 0,       // None could be set: the system stretches the windows.
  kSystem = 1,        // SetProcessDPIAware (Vista to 8): the DPI at logon.
  kPerMonitor = 2,    // SetProcessDpiAwareness (8.1): no WM_DPICHANGED resizing of the frame.
  kPerMonitorV2 = 3,  // SetProcessDpiAwarenessContext (10 1703 and later).
};

// Makes the process DPI-aware, trying per-monitor v2, then per-monitor, then
// system awareness. Call before the first window is made. When the manifest
// already set an awareness the calls are refused and its level is reported as
// the one obtained.
DpiAwareness EnableDpiAwareness();

// The DPI `window` draws at: GetDpiForWindow where the system has it, else
// (and for a null window) the screen's LOGPIXELSY, the system DPI; 96 when
// even that cannot be read.
int WindowDpi(HWND window);

// The work area (the monitor minus the task bar and docked bars) of the
// monitor that holds most of `window`, or the nearest one; screen pixels.
ScreenBox WorkAreaOf(HWND window);

// WM_DPICHANGED, which older headers lack.
inline constexpr UINT kDpiChangedMessage = 0x02E0;

#endif  // BRINDLE_UI_FRAMEWORK_DPI_AWARENESS_H_
