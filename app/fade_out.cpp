#include "app/fade_out.h"

#include <windows.h>

#include "ui/framework/ui_object.h"

namespace {

constexpr int kFirstAlpha = 254;
constexpr int kAlphaStep = 25;
// The last update is the first whose alpha is at most this.
constexpr int kLastAlphaAtMost = 25;
constexpr DWORD kStepPauseMs = 30;

// Hands the already composed back buffer to the system again with a new
// constant alpha. The memory DC, position, size and source point go with it:
// the form with a null DC (constant alpha only) is ignored by some systems
// (Wine) and is the same fade where it works.
void SetConstantAlpha(UIObject* window, int alpha) {
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, static_cast<BYTE>(alpha), AC_SRC_ALPHA};
  const HDC source_dc = window->memory_dc();
  RECT bounds = {};
  if (!source_dc || !::GetWindowRect(window->hwnd(), &bounds)) {
    ::UpdateLayeredWindow(window->hwnd(), nullptr, nullptr, nullptr, nullptr, nullptr, 0, &blend,
                          ULW_ALPHA);
    return;
  }
  POINT position = {bounds.left, bounds.top};
  SIZE size = {bounds.right - bounds.left, bounds.bottom - bounds.top};
  POINT source = {0, 0};
  ::UpdateLayeredWindow(window->hwnd(), nullptr, &position, &size, source_dc, &source, 0, &blend,
                        ULW_ALPHA);
}

}  // namespace

void FadeOut(UIObject* window) {
  for (int alpha = kFirstAlpha;; alpha -= kAlphaStep) {
    if (window->layered() && !window->in_layout()) SetConstantAlpha(window, alpha);
    if (alpha <= kLastAlphaAtMost) break;
    ::Sleep(kStepPauseMs);
  }
  window->ResizeWindow(1, 1);
  window->Invalidate(nullptr, true);
}
