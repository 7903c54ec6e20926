#include "tools/skin_preview/host_snapshot.h"

#include <windows.h>

#include <cstring>

#include "ui/framework/ui_object.h"

namespace {

// `channel` of a premultiplied pixel back to straight alpha; `alpha` > 0.
uint32_t Unpremultiply(uint8_t channel, uint8_t alpha) {
  const uint32_t value = (static_cast<uint32_t>(channel) * 255 + alpha / 2) / alpha;
  return value > 255 ? 255 : value;
}

}  // namespace

Picture PictureFromPremultipliedDib(const uint8_t* bits, int width, int height, int stride) {
  Picture picture;
  if (width <= 0 || height <= 0) return picture;
  picture.width = width;
  picture.height = height;
  picture.pixels.resize(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    // Bottom-up: the first row in memory is the picture's last.
    const uint8_t* row = bits + static_cast<size_t>(height - 1 - y) * stride;
    uint32_t* out = &picture.pixels[static_cast<size_t>(y) * width];
    for (int x = 0; x < width; ++x) {
      const uint8_t* bgra = row + 4 * x;
      const uint8_t alpha = bgra[3];
      if (alpha == 0) {
        out[x] = 0;
        continue;
      }
      out[x] = (static_cast<uint32_t>(alpha) << 24) | (Unpremultiply(bgra[2], alpha) << 16) |
               (Unpremultiply(bgra[1], alpha) << 8) | Unpremultiply(bgra[0], alpha);
    }
  }
  return picture;
}

bool SnapshotLayeredHost(UIObject* host, Picture& out) {
  if (!host->hwnd() || !host->layered()) return false;
  // A composition clears only the alpha bytes of the area it redraws and
  // blends over the colour bytes left there, so semi-transparent pixels (the
  // shadow, the card's rounded edges) would gather colour from an earlier
  // composition. Each picture starts from a zeroed buffer, as the first
  // composition of a new window does.
  EnsureBackBuffer(host);
  ::GdiFlush();
  if (host->buffer_bits()) std::memset(host->buffer_bits(), 0, host->buffer_bytes());
  // On the window's own thread the procedure runs at once: the buffer is
  // recomposed when SendMessageW returns, whether the window is shown or not.
  ::SendMessageW(host->hwnd(), kComposeMessage, 0, 0);
  ::GdiFlush();
  if (!host->buffer_bits()) return false;
  out = PictureFromPremultipliedDib(static_cast<const uint8_t*>(host->buffer_bits()),
                                    host->buffer_width(), host->buffer_height(),
                                    host->buffer_stride());
  return true;
}
