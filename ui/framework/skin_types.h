// Plain values read from the skin: what an element draws for one visual
// state (StateEntry) and how it draws text (TextStyle). The skin loader fills
// them; the drawing primitives (draw_primitives.h) consume them. Images and
// fonts are borrowed: the skin resource owns them and outlives every entry.
#ifndef BRINDLE_UI_FRAMEWORK_SKIN_TYPES_H_
#define BRINDLE_UI_FRAMEWORK_SKIN_TYPES_H_

#include <windows.h>

#include <string>

class CHBitmap;

// Background picture drawn as a nine-grid, plus an optional unscaled
// foreground picture. Coordinates and sizes are pixels; colours 0x00BBGGRR.
struct StateEntry {
  // "bg": rectangle of the picture within `image`.
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  // "bc": colour drawn transparent for images without alpha; 0 = none.
  COLORREF key_color = 0;
  // "mg": nine-grid margins; corners keep their size, edges and centre stretch.
  int margin_left = 0;
  int margin_top = 0;
  int margin_right = 0;
  int margin_bottom = 0;
  // "md": stored only.
  int mode = 0;
  // "bi": the image sheet; null = no background.
  CHBitmap* image = nullptr;
  // "fg": rectangle of the foreground picture within `foreground_image`.
  int foreground_x = 0;
  int foreground_y = 0;
  int foreground_width = 0;
  int foreground_height = 0;
  // "fc": as key_color, for the foreground of a 24-bit image (0 = black is
  // transparent).
  COLORREF foreground_key_color = 0;
  // "fi": null = no foreground.
  CHBitmap* foreground_image = nullptr;
  // "al": placement flags, see DrawStateEntry.
  int foreground_align = 0;
  // "of": added to the foreground position.
  int foreground_offset_x = 0;
  int foreground_offset_y = 0;
};

struct TextStyle {
  // "ft": null = the font selected into the target DC.
  HFONT font = nullptr;
  // "al": DrawText flag bits (DT_CENTER, DT_RIGHT, DT_VCENTER, DT_SINGLELINE,
  // DT_WORD_ELLIPSIS, DT_END_ELLIPSIS are honoured).
  UINT align = 0;
  // "cr": 0x00BBGGRR.
  COLORREF color = 0;
  // "of": stored for elements; DrawSkinText does not apply it.
  int offset_x = 0;
  int offset_y = 0;
  // "tx": drawn when no text is given.
  std::wstring text;
};

#endif  // BRINDLE_UI_FRAMEWORK_SKIN_TYPES_H_
