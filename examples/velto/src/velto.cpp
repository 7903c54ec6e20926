// Velto: the sample product that the demo packs and later tests install. One window that shows
// the product's name and version; Escape or closing the window ends it.
#include <windows.h>

#include "examples/velto/src/version.h"

namespace {

constexpr wchar_t kClassName[] = L"VeltoMainWindow";
constexpr wchar_t kTitle[] = L"" VELTO_PRODUCT_NAME;
constexpr wchar_t kVersionLine[] = L"Version " VELTO_VERSION_TEXT;

// Owns a GDI font.
class Font {
 public:
  Font(int height, int weight)
      : font_(CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                          DEFAULT_PITCH | FF_SWISS, L"Segoe UI")) {}
  ~Font() {
    if (font_) DeleteObject(font_);
  }
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;
  HFONT get() const { return font_; }

 private:
  HFONT font_;
};

void DrawLine(HDC dc, const Font& font, const wchar_t* text, RECT area) {
  const HGDIOBJ previous = SelectObject(dc, font.get());
  DrawTextW(dc, text, -1, &area, DT_CENTER | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  SelectObject(dc, previous);
}

void Paint(HWND window) {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(window, &paint);
  RECT client;
  GetClientRect(window, &client);
  const int middle = (client.top + client.bottom) / 2;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0x20, 0x4A, 0x87));
  DrawLine(dc, Font(48, FW_BOLD), kTitle, RECT{client.left, client.top, client.right, middle + 8});
  SetTextColor(dc, RGB(0x50, 0x50, 0x50));
  DrawLine(dc, Font(20, FW_NORMAL), kVersionLine,
           RECT{client.left, middle + 8, client.right, middle + 48});
  EndPaint(window, &paint);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_KEYDOWN:
      if (wparam == VK_ESCAPE) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  WNDCLASSEXW window_class = {};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
  window_class.lpszClassName = kClassName;
  if (!RegisterClassExW(&window_class)) return 1;

  const HWND window = CreateWindowExW(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                      CW_USEDEFAULT, 480, 260, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  ShowWindow(window, show);
  UpdateWindow(window);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
