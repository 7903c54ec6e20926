// The pictures of the skin preview: the setup windows, built by the setup
// program's own window classes from a skin, composed off screen (never
// shown) and written as PNG files.
//
// Pictures, each of its window's full size with the skin's per-pixel alpha:
//   main-install.png           install page, every box ticked
//   main-install-unticked.png  install page after a click on the agreement
//                              box (unticked, install button grayed)
//   main-uninstall.png         uninstall confirmation page
//   progress.png               progress window during an install, part way
//   success-install.png        install-finished window
//   success-uninstall.png      uninstall-finished window
#ifndef BRINDLE_TOOLS_SKIN_PREVIEW_PREVIEW_PICTURES_H_
#define BRINDLE_TOOLS_SKIN_PREVIEW_PREVIEW_PICTURES_H_

#include <string>

#include "json/json_value.h"

// Registers the window class "CHWindow" for the program's instance (unless it
// is registered) and the element kinds of the setup windows. False when the
// class cannot be registered. User-interface thread.
bool PrepareSetupWindows();

// What the pictures are made from.
struct PreviewSource {
  // A skin container file; empty: the skin embedded in the program
  // (resource "UIR" 129).
  std::wstring skin_path;
  // The install page's licence text, UTF-8.
  std::string licence_utf8;
  // A setup package's config, whose "product", "protocol" and "skin" take
  // the place of Velto's, of `licence_utf8` and of `skin_path`; an empty
  // object: none.
  JsonValue package_config = JsonValue(JsonKind::Object);
};

// Builds the windows from `source` and writes every picture into the existing
// folder `folder`, replacing files of the same names. Stops at the first
// failure with a message in `error`: the skin does not load, a window cannot
// be created or composed, or a file cannot be written. Needs
// PrepareSetupWindows; user-interface thread.
bool WritePreviewPictures(const PreviewSource& source, const std::wstring& folder,
                          std::wstring& error);

#endif  // BRINDLE_TOOLS_SKIN_PREVIEW_PREVIEW_PICTURES_H_
