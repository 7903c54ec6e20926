#include "ui/framework/dpi_scale.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <vector>

namespace {

int Blend(int a, int b, int c, int d, int fx, int fy) {
  // fx, fy are 8-bit fractions; the sum carries 16 bits of fraction.
  const int top = a * (256 - fx) + b * fx;
  const int bottom = c * (256 - fx) + d * fx;
  return (top * (256 - fy) + bottom * fy + (1 << 15)) >> 16;
}

// Where target pixel `index` samples the source, as a whole pixel and an
// 8-bit fraction towards the next one, both kept inside the source.
void SamplePosition(int index, int source_size, int target_size, int& whole, int& fraction) {
  const double centre = (index + 0.5) * source_size / target_size - 0.5;
  const double clamped = std::clamp(centre, 0.0, static_cast<double>(source_size - 1));
  whole = static_cast<int>(clamped);
  fraction = static_cast<int>((clamped - whole) * 256.0);
  if (whole >= source_size - 1) {
    whole = source_size - 1;
    fraction = 0;
  }
}

int Shift(int value, int delta) { return value < 0 ? -delta : delta; }

// How much of source pixel `j` target pixel `i` covers when `source_size` pixels shrink to
// `target_size`, in units of 1 / target_size of a source pixel: target pixel i spans
// [i * source_size, (i + 1) * source_size) and source pixel j spans [j * target_size,
// (j + 1) * target_size) on that scale, so a target pixel's weights add up to source_size.
int Coverage(int i, int j, int source_size, int target_size) {
  const int64_t low = std::max(int64_t{i} * source_size, int64_t{j} * target_size);
  const int64_t high = std::min(int64_t{i + 1} * source_size, int64_t{j + 1} * target_size);
  return static_cast<int>(std::max<int64_t>(high - low, 0));
}

// The first source pixel target pixel `i` covers.
int FirstCovered(int i, int source_size, int target_size) {
  return static_cast<int>(int64_t{i} * source_size / target_size);
}

// Each target pixel the exact mean of the source area it covers (partly covered pixels by their
// share), rounded to nearest: rows first into sums, then columns.
void AreaAverage(const uint8_t* source, int source_width, int source_height, int source_stride,
                 uint8_t* target, int target_width, int target_height, int target_stride,
                 int channels) {
  const size_t row_values = static_cast<size_t>(target_width) * channels;
  // Row sums: at most 255 * source_width each.
  std::vector<uint32_t> sums(row_values * static_cast<size_t>(source_height), 0);
  for (int y = 0; y < source_height; ++y) {
    const uint8_t* in = source + static_cast<std::ptrdiff_t>(y) * source_stride;
    uint32_t* out = sums.data() + row_values * y;
    for (int x = 0; x < target_width; ++x) {
      for (int j = FirstCovered(x, source_width, target_width); j < source_width; ++j) {
        const int weight = Coverage(x, j, source_width, target_width);
        if (weight == 0) break;
        for (int c = 0; c < channels; ++c) {
          out[channels * x + c] += static_cast<uint32_t>(weight) * in[channels * j + c];
        }
      }
    }
  }
  const uint64_t area =
      uint64_t{static_cast<uint32_t>(source_width)} * static_cast<uint32_t>(source_height);
  std::vector<uint64_t> column(row_values);
  for (int y = 0; y < target_height; ++y) {
    std::fill(column.begin(), column.end(), 0);
    for (int j = FirstCovered(y, source_height, target_height); j < source_height; ++j) {
      const int weight = Coverage(y, j, source_height, target_height);
      if (weight == 0) break;
      const uint32_t* in = sums.data() + row_values * j;
      for (size_t v = 0; v < row_values; ++v) column[v] += uint64_t{in[v]} * weight;
    }
    uint8_t* out = target + static_cast<std::ptrdiff_t>(y) * target_stride;
    for (size_t v = 0; v < row_values; ++v) {
      out[v] = static_cast<uint8_t>((column[v] + area / 2) / area);
    }
  }
}

}  // namespace

int ScaleLength(int value, int dpi) {
  if (dpi <= 0) dpi = kBaseDpi;
  const int64_t product = static_cast<int64_t>(value) * dpi;
  const int64_t half = Shift(value, kBaseDpi / 2);
  return static_cast<int>((product + half) / kBaseDpi);
}

ScaledBox ScaleBox(const ScaledBox& box, int dpi) {
  const int left = ScaleLength(box.x, dpi);
  const int top = ScaleLength(box.y, dpi);
  return {left, top, ScaleLength(box.x + box.width, dpi) - left,
          ScaleLength(box.y + box.height, dpi) - top};
}

int NearestSheetDpi(const std::vector<int>& sheet_dpis, int dpi) {
  if (dpi <= 0) dpi = kBaseDpi;
  int nearest = 0;
  for (int sheet_dpi : sheet_dpis) {
    const int distance = std::abs(sheet_dpi - dpi);
    const int best = std::abs(nearest - dpi);
    if (nearest == 0 || distance < best || (distance == best && sheet_dpi > nearest)) {
      nearest = sheet_dpi;
    }
  }
  return nearest != 0 ? nearest : kBaseDpi;
}

void ScalePixels(const uint8_t* source, int source_width, int source_height, int source_stride,
                 uint8_t* target, int target_width, int target_height, int target_stride,
                 int channels) {
  if (source_width <= 0 || source_height <= 0 || target_width <= 0 || target_height <= 0) return;
  if (channels != 3 && channels != 4) return;
  if (target_width <= source_width && target_height <= source_height) {
    AreaAverage(source, source_width, source_height, source_stride, target, target_width,
                target_height, target_stride, channels);
    return;
  }
  std::vector<int> xs(static_cast<size_t>(target_width));
  std::vector<int> fxs(xs.size());
  for (int x = 0; x < target_width; ++x) {
    SamplePosition(x, source_width, target_width, xs[static_cast<size_t>(x)],
                   fxs[static_cast<size_t>(x)]);
  }
  for (int y = 0; y < target_height; ++y) {
    int sy = 0;
    int fy = 0;
    SamplePosition(y, source_height, target_height, sy, fy);
    const uint8_t* row0 = source + static_cast<std::ptrdiff_t>(sy) * source_stride;
    const uint8_t* row1 = row0 + (sy + 1 < source_height ? source_stride : 0);
    uint8_t* out = target + static_cast<std::ptrdiff_t>(y) * target_stride;
    for (int x = 0; x < target_width; ++x) {
      const int sx = xs[static_cast<size_t>(x)];
      const int fx = fxs[static_cast<size_t>(x)];
      const int next = sx + 1 < source_width ? channels : 0;
      for (int channel = 0; channel < channels; ++channel) {
        const int at = channels * sx + channel;
        out[channels * x + channel] = static_cast<uint8_t>(
            Blend(row0[at], row0[at + next], row1[at], row1[at + next], fx, fy));
      }
    }
  }
}

ScreenBox FitInside(const ScreenBox& window, const ScreenBox& work) {
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  const int left = std::max(std::min(window.left, work.right - width), work.left);
  const int top = std::max(std::min(window.top, work.bottom - height), work.top);
  return {left, top, left + width, top + height};
}

ScreenBox CentreInside(int width, int height, const ScreenBox& work) {
  const int left = work.left + (work.right - work.left - width) / 2;
  const int top = work.top + (work.bottom - work.top - height) / 2;
  return FitInside({left, top, left + width, top + height}, work);
}
