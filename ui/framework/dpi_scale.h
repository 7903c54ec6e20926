// DPI arithmetic shared by the skin, the windows and their tests: lengths and
// rectangles designed at 96 DPI brought to a window's DPI, the choice among
// image sheets rendered at several DPIs, a smooth scale of pixels, and
// fitting a window into a monitor's work area. Portable: no Windows call here
// (dpi_awareness.h has those).
#ifndef BRINDLE_UI_FRAMEWORK_DPI_SCALE_H_
#define BRINDLE_UI_FRAMEWORK_DPI_SCALE_H_

#include <cstdint>
#include <vector>

// The DPI the skin is designed at: 100 %.
inline constexpr int kBaseDpi = 96;

// `value` (pixels at 96 DPI) at `dpi`, rounded half away from zero, so that a
// negative offset (anchored to the right or bottom) scales like its mirror. A
// `dpi` of 0 or less is taken as 96.
int ScaleLength(int value, int dpi);

// A rectangle as the skin writes it: [x, y, width, height].
struct ScaledBox {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// `box` at `dpi`, scaling its edges rather than its size: the left edge is
// ScaleLength(x), the right edge ScaleLength(x + width), and so on. Boxes
// that touch at 96 DPI still touch, and a box cut from a sheet rendered at
// dpi / 96 times the size covers the same picture.
ScaledBox ScaleBox(const ScaledBox& box, int dpi);

// The DPI in `sheet_dpis` (the positive DPIs a sheet was rendered at, any order) of the
// sheet to cut pictures from at `dpi`: the nearest one, the larger of two
// equally near (smoothing down keeps more detail than blowing up). A `dpi` of
// 0 or less is taken as 96; an empty list gives 96.
int NearestSheetDpi(const std::vector<int>& sheet_dpis, int dpi);

// Scales pixels of `channels` bytes each (3 or 4; 32-bit pixels are
// premultiplied), rows `source_stride` and `target_stride` bytes apart, same
// row order in both, from source_width x source_height to target_width x
// target_height, every channel alike, so that colour never exceeds alpha. Shrinking (neither
// side larger than the source's) takes each target pixel as the mean of the source area it
// covers (partly covered pixels by their share, rounded to nearest): an exact 2:1 reduction
// averages 2 x 2 blocks, and the same size copies exactly. Anything else is bilinear between
// the pixel centres. Nothing is written when a size is not positive or `channels` is neither
// 3 nor 4.
void ScalePixels(const uint8_t* source, int source_width, int source_height, int source_stride,
                 uint8_t* target, int target_width, int target_height, int target_stride,
                 int channels);

// A rectangle as left, top, right, bottom (right and bottom exclusive).
struct ScreenBox {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// A window of `width` x `height` centred on `work` (the monitor's work area)
// and then moved inside it (FitInside).
ScreenBox CentreInside(int width, int height, const ScreenBox& work);

// `window` moved, keeping its size, so that it lies inside `work`; a window
// larger than the work area keeps its top-left corner at the area's top-left
// corner, so its title band stays reachable.
ScreenBox FitInside(const ScreenBox& window, const ScreenBox& work);

#endif  // BRINDLE_UI_FRAMEWORK_DPI_SCALE_H_
