// Off-screen pictures of layered hosts: the back buffer a layered window
// hands to the system, recomposed without showing the window and turned into
// straight-alpha pixels for image files.
#ifndef BRINDLE_TOOLS_SKIN_PREVIEW_HOST_SNAPSHOT_H_
#define BRINDLE_TOOLS_SKIN_PREVIEW_HOST_SNAPSHOT_H_

#include <cstdint>
#include <vector>

class UIObject;

// A picture of `width` x `height` pixels, rows top-down, each pixel
// 0xAARRGGBB with straight (not premultiplied) alpha.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;

  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// The alpha byte of a 0xAARRGGBB pixel.
inline int AlphaOf(uint32_t pixel) { return static_cast<int>(pixel >> 24); }

// Converts a 32-bit bottom-up DIB of premultiplied BGRA pixels (`stride`
// bytes per row, at least 4 * `width`) into a Picture. Colour channels are
// divided by alpha (rounded, capped at 255); a pixel with alpha 0 becomes
// 0x00000000 whatever colour bytes it holds. Negative sizes give an empty
// picture.
Picture PictureFromPremultipliedDib(const uint8_t* bits, int width, int height, int stride);

// Composes the whole client area of the layered host `host` (hidden or not)
// into its zeroed back buffer and copies the buffer into `out`: the picture
// the window would show on its first appearance in its present state. False, leaving `out`
// unchanged, when the host is not a layered window or has no buffer (zero size).
bool SnapshotLayeredHost(UIObject* host, Picture& out);

#endif  // BRINDLE_TOOLS_SKIN_PREVIEW_HOST_SNAPSHOT_H_
