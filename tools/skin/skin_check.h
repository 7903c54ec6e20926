// Checks of a skin container's content: what the windows draw from must be there and be usable.
#ifndef BRINDLE_TOOLS_SKIN_SKIN_CHECK_H_
#define BRINDLE_TOOLS_SKIN_SKIN_CHECK_H_

#include <string>
#include <vector>

#include "tools/skin/skin_container.h"

struct SkinReport {
  // Every problem found, each naming the JSON path ("cfg/MainWindow/...") or the record; empty
  // when the skin is sound.
  std::vector<std::string> problems;
  // State entries below "cfg" that name an image for their background or foreground.
  int drawn_entries = 0;
};

// Checks a parsed container:
//  - the description ends with "\n" and one NUL, parses, and is exactly the compact text that
//    the JSON writer makes of it (sorted keys, no blanks), followed by the NUL;
//  - it has the objects "cfg" and "res"; every "res" section is an array of objects with an
//    integer "id" whose record exists; every record is listed by some section; no id repeats;
//  - "images" records are 8-bit RGBA PNG files; "fonts" records are JSON objects in the
//    writer's compact form;
//  - an "images" entry with "base" or "dpi" (a rendering of image "base" at "dpi") has both as
//    integers, a DPI of 97 to 480, names an image that is no rendering, repeats no base and DPI,
//    and has each side of its base's scaled to the DPI (half up) within a pixel; no state entry
//    names a rendering;
//  - every state entry (an object with "bi" or "fi") names a listed image, and its "bg" / "fg"
//    rectangle has a positive size and lies inside that image; "mg" margins are not negative
//    and fit; keys that the loader ignores without "bi" or "fi" are reported;
//  - every nonzero "ft" names a listed font.
SkinReport CheckSkin(const SkinContainer& skin);

#endif  // BRINDLE_TOOLS_SKIN_SKIN_CHECK_H_
