// Helpers for the control tests: a test skin with a sheet of solid colour
// cells, the shipped skin, and a layered host window that records what its
// controls report and whose composed back buffer the tests read.
#ifndef BRINDLE_TESTS_UI_CONTROLS_CONTROLS_TEST_SUPPORT_H_
#define BRINDLE_TESTS_UI_CONTROLS_CONTROLS_TEST_SUPPORT_H_

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/ui/framework/element_test_support.h"
#include "ui/controls/basic_control_kinds.h"
#include "ui/framework/ch_bitmap.h"
#include "ui/framework/ui_object.h"
#include "ui/framework/ui_resource.h"

namespace brindle::test {

// 96 x 8 RGBA PNG: twelve opaque 8 x 8 cells, cell i at x = 8 i, in the
// colours of cell_color below (in that order).
inline const unsigned char kCellSheetPng[] = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52,
    0x00, 0x00, 0x00, 0x60, 0x00, 0x00, 0x00, 0x08, 0x08, 0x06, 0x00, 0x00, 0x00, 0x06, 0x3F, 0xFA,
    0x0F, 0x00, 0x00, 0x00, 0x50, 0x49, 0x44, 0x41, 0x54, 0x78, 0xDA, 0xED, 0xD1, 0x3B, 0x01, 0xC0,
    0x40, 0x0C, 0xC3, 0x50, 0x43, 0x09, 0x94, 0x83, 0x12, 0x28, 0x81, 0x66, 0x28, 0x81, 0x50, 0x06,
    0xFD, 0x10, 0xD0, 0xD8, 0xC9, 0xC3, 0xDB, 0xB4, 0x49, 0x96, 0x6E, 0x32, 0x33, 0x48, 0x16, 0x93,
    0x91, 0xDF, 0x06, 0x7D, 0x0D, 0x38, 0xE7, 0x20, 0xD9, 0xA8, 0x4B, 0x48, 0x5D, 0x68, 0x77, 0x51,
    0xF5, 0x85, 0x94, 0x01, 0x19, 0x90, 0x01, 0x19, 0x90, 0x01, 0x19, 0x90, 0x01, 0x19, 0x90, 0x01,
    0x19, 0xF0, 0xFF, 0x80, 0x07, 0xBA, 0x11, 0x81, 0x5B, 0x67, 0xD7, 0x27, 0x0E, 0x00, 0x00, 0x00,
    0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82,
};

// The cells' colours as composed pixels (0xAARRGGBB, opaque).
namespace cell_color {
inline constexpr uint32_t kNormal = 0xFFC00000;
inline constexpr uint32_t kGrayed = 0xFF808080;
inline constexpr uint32_t kLighted = 0xFF00C000;
inline constexpr uint32_t kPressed = 0xFF0000C0;
inline constexpr uint32_t kFocused = 0xFFC0C000;
inline constexpr uint32_t kCheckedNormal = 0xFFC000C0;
inline constexpr uint32_t kCheckedGrayed = 0xFF404040;
inline constexpr uint32_t kCheckedLighted = 0xFF00C0C0;
inline constexpr uint32_t kCheckedPressed = 0xFF602000;
inline constexpr uint32_t kCheckedFocused = 0xFF006020;
inline constexpr uint32_t kTrack = 0xFFE0E0E0;
inline constexpr uint32_t kFill = 0xFF2060F0;
}  // namespace cell_color

// A state entry of the cell sheet (image 100): "{"bi":100,"bg":[8i,0,8,8]}".
inline std::string CellEntry(int cell) {
  return "{\"bi\":100,\"bg\":[" + std::to_string(8 * cell) + ",0,8,8]}";
}

// "normal", "grayed", "lighted", "pressed", "focused" from cells `first` to
// `first` + 4, as members of a JSON object (no braces).
inline std::string StateCells(int first) {
  const char* keys[] = {"normal", "grayed", "lighted", "pressed", "focused"};
  std::string members;
  for (int i = 0; i < 5; ++i) {
    if (i) members += ",";
    members += "\"" + std::string(keys[i]) + "\":" + CellEntry(first + i);
  }
  return members;
}

// A skin container whose "cfg" is `cfg` (a JSON object text) and whose image
// 100 is the cell sheet.
inline std::string CellSkin(const std::string& cfg) {
  auto le32 = [](uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
  };
  const std::string json = "{\"cfg\":" + cfg + ",\"res\":{\"images\":[{\"id\":100}]}}";
  const std::string png(reinterpret_cast<const char*>(kCellSheetPng), sizeof(kCellSheetPng));
  return ".uir" + le32(static_cast<uint32_t>(json.size())) + json + le32(1) + le32(100) +
         le32(static_cast<uint32_t>(png.size())) + png;
}

// The shipped skin, embedded in the test program as resource "UIR" 129.
inline bool LoadShippedSkin(UIResource& resource) {
  return resource.LoadFromResource(nullptr, L"UIR", 129);
}

// The pixel at (x, y) of a layered host's composed back buffer, 0xAARRGGBB.
inline uint32_t BufferPixel(const UIObject& host, int x, int y) {
  ::GdiFlush();
  const auto* bytes = static_cast<const uint8_t*>(host.buffer_bits());
  const uint8_t* pixel = bytes + host.buffer_bytes() - host.buffer_stride() * (y + 1) + 4 * x;
  return static_cast<uint32_t>(pixel[0]) | static_cast<uint32_t>(pixel[1]) << 8 |
         static_cast<uint32_t>(pixel[2]) << 16 | static_cast<uint32_t>(pixel[3]) << 24;
}

// The pixel at (x, y) from the top-left of a 32-bit image, 0xAARRGGBB.
inline uint32_t ImagePixel(const CHBitmap& image, int x, int y) {
  const BYTE* pixel = image.bits() + image.stride() * (image.height() - 1 - y) + 4 * x;
  return static_cast<uint32_t>(pixel[0]) | static_cast<uint32_t>(pixel[1]) << 8 |
         static_cast<uint32_t>(pixel[2]) << 16 | static_cast<uint32_t>(pixel[3]) << 24;
}

// A layered popup host that records the WM_COMMANDs it receives and the
// notifications its direct children send to it as parent element, in order.
class ControlHost : public UIObject {
 public:
  struct Report {
    bool from_child = false;  // OnChildNotify rather than WM_COMMAND
    UIObject* child = nullptr;
    WPARAM wparam = 0;
    LPARAM lparam = 0;
  };

  // Creates the window at (x, y) of `width` x `height`, makes it layered and
  // shows it without activating it (the first show composes it with the
  // elements it has; recompose with Invalidate after adding more).
  bool Open(int width, int height, int x = 40, int y = 40, const wchar_t* title = L"controls") {
    if (!EnsureWindowClass()) return false;
    if (!Create(nullptr, x, y, WS_POPUP, WS_EX_TOOLWINDOW, title)) return false;
    ResizeWindow(width, height);
    if (!MakeLayered(this)) return false;
    ::ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
    return composed_once() && buffer_bits() != nullptr;
  }

  LRESULT HandleCommand(WPARAM wparam, LPARAM lparam) override {
    reports.push_back({false, nullptr, wparam, lparam});
    return UIObject::HandleCommand(wparam, lparam);
  }
  LRESULT OnChildNotify(UIObject* child, UINT message, WPARAM wparam, LPARAM lparam) override {
    if (message == WM_COMMAND) reports.push_back({true, child, wparam, lparam});
    return 0;
  }

  // The composed pixel at (x, y) of the client area, 0xAARRGGBB.
  uint32_t Pixel(int x, int y) const { return BufferPixel(*this, x, y); }
  // The composed pixel at the centre of `element`.
  uint32_t CentrePixel(const UIObject* element) const {
    const RECT& r = element->rect();
    return Pixel((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }

  LRESULT Send(UINT message, WPARAM wparam, int x, int y) {
    return ::SendMessageW(hwnd(), message, wparam, MAKELPARAM(x, y));
  }
  void MoveTo(int x, int y) { Send(WM_MOUSEMOVE, 0, x, y); }
  void Press(int x, int y) { Send(WM_LBUTTONDOWN, MK_LBUTTON, x, y); }
  void Release(int x, int y) { Send(WM_LBUTTONUP, 0, x, y); }
  // Move, press and release at the centre of `element`.
  void Click(const UIObject* element) {
    const RECT& r = element->rect();
    const int x = (r.left + r.right) / 2;
    const int y = (r.top + r.bottom) / 2;
    MoveTo(x, y);
    Press(x, y);
    Release(x, y);
  }

  std::vector<Report> reports;
};

// The element made by CreateElement, as its class.
template <typename Element>
Element* MakeControl(IResource* resource, const char* path, int kind, UIObject* parent) {
  return dynamic_cast<Element*>(CreateElement(path, resource, kind, parent));
}

}  // namespace brindle::test

#endif  // BRINDLE_TESTS_UI_CONTROLS_CONTROLS_TEST_SUPPORT_H_
