#include "ui/framework/dpi_awareness.h"

#include "ui/framework/gdi_handles.h"
#include "ui/framework/system_libraries.h"

namespace {

// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, and PROCESS_PER_MONITOR_DPI_AWARE.
const HANDLE kPerMonitorV2Context = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
constexpr int kProcessPerMonitorDpiAware = 2;
// What SetProcessDpiAwareness returns when the awareness was already set.
constexpr HRESULT kAccessDenied = static_cast<HRESULT>(0x80070005L);

using SetContextFunction = BOOL(WINAPI*)(HANDLE);
using SetAwarenessFunction = HRESULT(WINAPI*)(int);
using SetAwareFunction = BOOL(WINAPI*)();
using DpiForWindowFunction = UINT(WINAPI*)(HWND);

template <typename Function>
Function Lookup(HMODULE module, const char* name) {
  if (!module) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

HMODULE User32() { return ::GetModuleHandleW(L"user32.dll"); }

}  // namespace

DpiAwareness EnableDpiAwareness() {
  if (const auto set_context =
          Lookup<SetContextFunction>(User32(), "SetProcessDpiAwarenessContext")) {
    if (set_context(kPerMonitorV2Context) || ::GetLastError() == ERROR_ACCESS_DENIED) {
      return DpiAwareness::kPerMonitorV2;
    }
  }
  // Loaded for the process's lifetime: the awareness stays set.
  if (const auto set_awareness = Lookup<SetAwarenessFunction>(
          brindle::LoadSystemLibrary(L"shcore.dll"), "SetProcessDpiAwareness")) {
    const HRESULT result = set_awareness(kProcessPerMonitorDpiAware);
    if (SUCCEEDED(result) || result == kAccessDenied) return DpiAwareness::kPerMonitor;
  }
  if (const auto set_aware = Lookup<SetAwareFunction>(User32(), "SetProcessDPIAware")) {
    if (set_aware()) return DpiAwareness::kSystem;
  }
  return DpiAwareness::kUnaware;
}

int WindowDpi(HWND window) {
  static const auto dpi_for_window = Lookup<DpiForWindowFunction>(User32(), "GetDpiForWindow");
  if (dpi_for_window && window) {
    if (const UINT dpi = dpi_for_window(window)) return static_cast<int>(dpi);
  }
  const brindle::gdi::WindowDC screen(nullptr);
  const int dpi = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : kBaseDpi;
}

ScreenBox WorkAreaOf(HWND window) {
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  const HMONITOR monitor = ::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
  if (!monitor || !::GetMonitorInfoW(monitor, &info)) {
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &info.rcWork, 0);
  }
  return {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
}
