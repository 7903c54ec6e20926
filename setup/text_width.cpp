#include "setup/text_width.h"

namespace {

// Borrows the screen's device context for the lifetime of the object.
class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ~ScreenDc() {
    if (dc_) ReleaseDC(nullptr, dc_);
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

int MeasureIn(HDC dc, const std::wstring& text) {
  SIZE size = {};
  if (!dc || !GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size)) {
    return 0;
  }
  return size.cx;
}

}  // namespace

int TextWidth(HDC dc, const std::wstring& text) {
  if (dc) return MeasureIn(dc, text);
  const ScreenDc screen;
  return MeasureIn(screen.get(), text);
}
