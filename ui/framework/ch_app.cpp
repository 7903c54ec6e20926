#include "ui/framework/ch_app.h"

#include <commctrl.h>

#include "ui/framework/ch_window.h"
#include "ui/framework/dpi_awareness.h"

namespace {

// List view, tree view, bar, tab, up-down, progress, hot-key, animate and
// extended combo box classes.
constexpr DWORD kCommonControlClasses = 0x4FF;

}  // namespace

ATOM CHApp::RegisterWindowClass(int show_command, wchar_t* command_line, HINSTANCE instance,
                                HINSTANCE previous_instance) {
  show_command_ = show_command;
  command_line_ = command_line;
  instance_ = instance;
  previous_instance_ = previous_instance;

  INITCOMMONCONTROLSEX controls = {sizeof(controls), kCommonControlClasses};
  ::InitCommonControlsEx(&controls);

  WNDCLASSEXW window_class = {};
  window_class.cbSize = sizeof(window_class);
  window_class.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  window_class.lpfnWndProc = CHWindowProc;
  window_class.hInstance = instance;
  window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_MENU + 1);
  window_class.lpszClassName = kCHWindowClassName;
  return ::RegisterClassExW(&window_class);
}

bool PreTranslateThroughParents(MSG* msg) {
  for (HWND window = msg->hwnd; window; window = ::GetParent(window)) {
    CHWindow* object = CHWindow::FromHandle(window);
    if (object && ::IsWindow(object->hwnd()) && object->PreTranslateMessage(msg)) return true;
  }
  return false;
}

WPARAM CHApp::RunMessageLoop() {
  MSG msg = {};
  // GetMessageW returns -1 only for invalid arguments; end the loop then too
  // instead of spinning on the error.
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (PreTranslateThroughParents(&msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  ExitInstance();
  return msg.wParam;
}

int RunApp(CHApp& app, HINSTANCE instance, HINSTANCE previous_instance, wchar_t* command_line,
           int show_command) {
  // Before the first window: windows are made at the DPI of their monitor.
  EnableDpiAwareness();
  if (!app.RegisterWindowClass(show_command, command_line, instance, previous_instance)) return 0;
  if (!app.InitInstance()) return 0;
  return static_cast<int>(app.RunMessageLoop());
}
