// Helpers for the element model tests: a skin container built from JSON text,
// an element that records its events and can own a window, and a message pump
// that waits for a condition.
#ifndef BRINDLE_TESTS_UI_FRAMEWORK_ELEMENT_TEST_SUPPORT_H_
#define BRINDLE_TESTS_UI_FRAMEWORK_ELEMENT_TEST_SUPPORT_H_

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/ui/framework/framework_test_support.h"
#include "ui/framework/element_factory.h"
#include "ui/framework/gdi_handles.h"
#include "ui/framework/ui_object.h"
#include "ui/framework/ui_resource.h"

namespace brindle::test {

// A skin container without data records holding `json`.
inline std::string SkinContainer(const std::string& json) {
  auto le32 = [](uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
  };
  return ".uir" + le32(static_cast<uint32_t>(json.size())) + json + le32(0);
}

// Records its events as "name:event" into `log` (shared by the elements of
// one test, so the order across elements shows). Reads "id" and "size" from
// the skin like a control. With `paint_color` (0xAARRGGBB, opaque) it paints
// the left `paint_fraction` of its rectangle, within the clip, with alpha.
class ProbeElement : public UIObject {
 public:
  ProbeElement() = default;
  ProbeElement(std::string name, std::vector<std::string>* log) : name(std::move(name)), log(log) {}

  std::string name;
  std::vector<std::string>* log = nullptr;
  uint32_t paint_color = 0;
  double paint_fraction = 1.0;
  std::vector<RECT> paint_clips;
  std::vector<UINT_PTR> timer_ids;
  std::vector<UINT> wheel_deltas;
  int pos_changed = 0;
  int resized = 0;
  // Called from OnLayout after the base layout (e.g. to invalidate).
  std::function<void()> after_layout;
  // Called from OnPaint (e.g. to look at the tree while composing).
  std::function<void()> on_paint;

  void Record(const std::string& event) {
    if (log) log->push_back(name + ":" + event);
  }

  bool LoadSkin(IResource* resource, const char* path, const JsonValue* base) override {
    const JsonValue* node = resource->Find(path, base);
    if (!node) return false;
    command_id_ = resource->GetInt("id", node);
    const SkinRect size = resource->GetRect("size", node);
    set_size(size.x, size.y, size.width, size.height);
    return true;
  }
  void OnLayout() override {
    UIObject::OnLayout();
    if (after_layout) after_layout();
  }
  void OnPaint(HDC dc, const RECT& rect, const RECT& clip) override {
    paint_clips.push_back(clip);
    Record("paint");
    if (on_paint) on_paint();
    if (paint_color) FillAlpha(dc, rect, clip);
  }
  bool OnMouseEnter(UINT, POINT) override {
    Record("enter");
    return true;
  }
  bool OnMouseLeave(UINT, POINT) override {
    Record("leave");
    return true;
  }
  bool OnMouseMove(UINT, POINT) override {
    Record("move");
    return true;
  }
  bool OnLButtonDown(UINT, POINT) override {
    Record("ldown");
    return true;
  }
  bool OnLButtonUp(UINT keys, POINT point) override {
    Record("lup");
    return UIObject::OnLButtonUp(keys, point);
  }
  bool OnRButtonUp(UINT keys, POINT point) override {
    Record("rup");
    return UIObject::OnRButtonUp(keys, point);
  }
  bool OnMouseWheel(UINT, UINT delta, POINT) override {
    Record("wheel");
    wheel_deltas.push_back(delta);
    return true;
  }
  bool OnKeyDown(WPARAM, LPARAM) override {
    Record("keydown");
    return true;
  }
  bool OnKeyUp(WPARAM wparam, LPARAM lparam) override {
    Record("keyup");
    return UIObject::OnKeyUp(wparam, lparam);
  }
  bool OnChar(WPARAM, LPARAM) override {
    Record("char");
    return true;
  }
  void OnSetFocus(UIObject* previous) override { Record("setfocus<-" + NameOf(previous)); }
  void OnKillFocus(UIObject* next) override { Record("killfocus->" + NameOf(next)); }
  void OnTimer(UINT_PTR id) override { timer_ids.push_back(id); }
  void OnPosChanged() override { ++pos_changed; }
  void OnResized() override {
    ++resized;
    Record("resized");
  }

  // Makes this a host: a popup window of `width` x `height` (client = window).
  bool OpenHost(int width, int height, HWND owner = nullptr, DWORD style = WS_POPUP) {
    if (!EnsureWindowClass() || !Create(owner, 0, 0, style, 0, L"probe host")) return false;
    ResizeWindow(width, height);
    return true;
  }

  static std::string NameOf(UIObject* element) {
    auto* probe = dynamic_cast<ProbeElement*>(element);
    return probe ? probe->name : "null";
  }

 private:
  void FillAlpha(HDC dc, const RECT& rect, const RECT& clip) {
    RECT painted = rect;
    painted.right = rect.left + static_cast<LONG>((rect.right - rect.left) * paint_fraction);
    RECT area;
    if (!::IntersectRect(&area, &painted, &clip)) return;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 1;
    info.bmiHeader.biHeight = 1;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    gdi::Bitmap pixel(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    *static_cast<uint32_t*>(bits) = paint_color;
    gdi::MemoryDC source(::CreateCompatibleDC(dc));
    gdi::ScopedSelectObject select(source.get(), pixel.get());
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::GdiAlphaBlend(dc, area.left, area.top, area.right - area.left, area.bottom - area.top,
                    source.get(), 0, 0, 1, 1, blend);
  }
};

inline ProbeElement* AddProbe(UIObject* parent, const std::string& name,
                              std::vector<std::string>* log, int x, int y, int w, int h) {
  auto probe = std::make_unique<ProbeElement>(name, log);
  probe->set_size(x, y, w, h);
  auto* added = static_cast<ProbeElement*>(AppendChild(parent, std::move(probe)));
  LayoutTree(added);
  return added;
}

// Dispatches this thread's messages until `done` holds or `timeout_ms`
// passes. Returns `done()`.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeout_ms = 5000) {
  const DWORD start = ::GetTickCount();
  while (!done()) {
    const DWORD elapsed = ::GetTickCount() - start;
    if (elapsed >= timeout_ms) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, timeout_ms - elapsed, QS_ALLINPUT);
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  return true;
}

inline LPARAM PointLParam(int x, int y) { return MAKELPARAM(x, y); }

// "left,top,right,bottom", for readable comparisons.
inline std::string RectText(const RECT& rect) {
  return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
         std::to_string(rect.right) + "," + std::to_string(rect.bottom);
}

}  // namespace brindle::test

#endif  // BRINDLE_TESTS_UI_FRAMEWORK_ELEMENT_TEST_SUPPORT_H_
