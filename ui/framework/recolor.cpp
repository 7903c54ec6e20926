#include "ui/framework/recolor.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

struct Hsl {
  double h;  // degrees, [0, 360)
  double s;  // [0, 1]
  double l;  // [0, 1]
};

Hsl ToHsl(uint8_t red, uint8_t green, uint8_t blue) {
  const double r = red / 255.0;
  const double g = green / 255.0;
  const double b = blue / 255.0;
  // The largest and smallest channel are picked on the bytes: compared as doubles, a value the
  // x87 unit still holds at extended precision need not equal the same value stored (i686 -Os).
  const uint8_t max_byte = std::max({red, green, blue});
  const uint8_t min_byte = std::min({red, green, blue});
  const double max = max_byte / 255.0;
  const double min = min_byte / 255.0;
  const double l = (max + min) / 2;
  if (max_byte == min_byte) return {0, 0, l};
  const double d = max - min;
  const double s = d / (1 - std::fabs(2 * l - 1));
  double h;
  if (max_byte == red) {
    h = 60 * std::fmod((g - b) / d + 6, 6);
  } else if (max_byte == green) {
    h = 60 * ((b - r) / d + 2);
  } else {
    h = 60 * ((r - g) / d + 4);
  }
  return {h, std::min(s, 1.0), l};
}

uint8_t ToByte(double value) {
  return static_cast<uint8_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255));
}

void FromHsl(const Hsl& hsl, uint8_t& red, uint8_t& green, uint8_t& blue) {
  const double c = (1 - std::fabs(2 * hsl.l - 1)) * hsl.s;
  const double hp = hsl.h / 60;
  const double x = c * (1 - std::fabs(std::fmod(hp, 2) - 1));
  // Red, green and blue before adding m, by sector of 60 degrees.
  const double sectors[6][3] = {{c, x, 0}, {x, c, 0}, {0, c, x}, {0, x, c}, {x, 0, c}, {c, 0, x}};
  const double* rgb = sectors[static_cast<int>(hp) % 6];
  const double m = hsl.l - c / 2;
  red = ToByte(rgb[0] + m);
  green = ToByte(rgb[1] + m);
  blue = ToByte(rgb[2] + m);
}

void RecolorRgb(uint8_t& red, uint8_t& green, uint8_t& blue, const RecolorParams& params) {
  Hsl hsl = ToHsl(red, green, blue);
  const int hue = params.hue % 360;
  hsl.h = std::fmod(hsl.h + hue + 360, 360);
  const double saturation = std::clamp(params.saturation, -100, 100) / 100.0;
  hsl.s = std::clamp(hsl.s * (1 + saturation), 0.0, 1.0);
  const double lightness = std::clamp(params.lightness, -100, 100) / 100.0;
  hsl.l = lightness >= 0 ? hsl.l + (1 - hsl.l) * lightness : hsl.l * (1 + lightness);
  FromHsl(hsl, red, green, blue);
}

// Premultiplied channel back to straight colour, and the reverse.
uint8_t Unpremultiply(uint8_t channel, uint8_t alpha) {
  return static_cast<uint8_t>(std::min(255, (channel * 255 + alpha / 2) / alpha));
}
uint8_t Premultiply(uint8_t channel, uint8_t alpha) {
  return static_cast<uint8_t>((channel * alpha + 127) / 255);
}

}  // namespace

uint32_t RecolorColorRef(uint32_t color, const RecolorParams& params) {
  if (params.IsIdentity()) return color;
  uint8_t red = color & 0xFF;
  uint8_t green = (color >> 8) & 0xFF;
  uint8_t blue = (color >> 16) & 0xFF;
  RecolorRgb(red, green, blue, params);
  return (color & 0xFF000000u) | red | uint32_t{green} << 8 | uint32_t{blue} << 16;
}

void RecolorPixels(uint8_t* bits, int width, int height, int stride, int bits_per_pixel,
                   const RecolorParams& params) {
  if (!bits || width <= 0 || height <= 0 || params.IsIdentity()) return;
  if (bits_per_pixel != 24 && bits_per_pixel != 32) return;
  const int pixel_bytes = bits_per_pixel / 8;
  for (int y = 0; y < height; ++y) {
    uint8_t* pixel = bits + static_cast<ptrdiff_t>(y) * stride;
    for (int x = 0; x < width; ++x, pixel += pixel_bytes) {
      if (pixel_bytes == 3) {
        RecolorRgb(pixel[2], pixel[1], pixel[0], params);
        continue;
      }
      const uint8_t alpha = pixel[3];
      if (alpha == 0) continue;
      uint8_t red = Unpremultiply(pixel[2], alpha);
      uint8_t green = Unpremultiply(pixel[1], alpha);
      uint8_t blue = Unpremultiply(pixel[0], alpha);
      RecolorRgb(red, green, blue, params);
      pixel[2] = Premultiply(red, alpha);
      pixel[1] = Premultiply(green, alpha);
      pixel[0] = Premultiply(blue, alpha);
    }
  }
}
