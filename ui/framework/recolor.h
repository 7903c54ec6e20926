// The skin's recolour transform: a shift in HSL space that a skin designer
// can dial in as three integers. Portable; no Win32.
//
//   hue         degrees added to the hue; any value (taken modulo 360).
//   saturation  percent, -100 ... 100: scales the saturation by
//               (100 + saturation) / 100, so -100 gives grey, 0 keeps it and
//               +100 doubles it (capped at full saturation).
//   lightness   percent, -100 ... 100: moves the lightness that far towards
//               white (positive) or black (negative); +100 gives white, -100
//               black.
// Saturation and lightness outside -100 ... 100 clamp to that range. Alpha is
// never changed. All three 0 is the identity.
#ifndef BRINDLE_UI_FRAMEWORK_RECOLOR_H_
#define BRINDLE_UI_FRAMEWORK_RECOLOR_H_

#include <cstdint>

struct RecolorParams {
  int hue = 0;
  int saturation = 0;
  int lightness = 0;

  bool IsIdentity() const { return hue == 0 && saturation == 0 && lightness == 0; }
};

// `color` as 0x00BBGGRR (a GDI colour); the top byte is returned unchanged.
uint32_t RecolorColorRef(uint32_t color, const RecolorParams& params);

// Recolours pixel rows in place. `bits_per_pixel` 24 (bytes blue, green, red)
// or 32 (blue, green, red, alpha with the colour premultiplied by alpha, as
// AlphaBlend expects; fully transparent pixels stay untouched). `stride` is
// the byte distance between rows, at least width x bytes per pixel. Other
// depths and non-positive sizes leave the pixels alone.
void RecolorPixels(uint8_t* bits, int width, int height, int stride, int bits_per_pixel,
                   const RecolorParams& params);

#endif  // BRINDLE_UI_FRAMEWORK_RECOLOR_H_
