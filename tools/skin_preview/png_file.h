// Writing pictures as PNG files with the GDI+ PNG encoder (8 bits per
// channel with alpha).
#ifndef BRINDLE_TOOLS_SKIN_PREVIEW_PNG_FILE_H_
#define BRINDLE_TOOLS_SKIN_PREVIEW_PNG_FILE_H_

#include <string>

#include "tools/skin_preview/host_snapshot.h"

// Writes `picture` to the file at `path`, replacing an existing file. Starts
// GDI+ when it does not run. False for an empty picture, when the system has
// no PNG encoder, or when the file cannot be written.
bool WritePng(const Picture& picture, const std::wstring& path);

#endif  // BRINDLE_TOOLS_SKIN_PREVIEW_PNG_FILE_H_
