// Width of a line of text in a device context's current font.
#pragma once

#include <windows.h>

#include <string>

// Width in pixels of `text` drawn in one line in the current font of `dc`; with
// a null `dc`, in the screen's device context and its default font. 0 for an
// empty text or when measuring fails.
int TextWidth(HDC dc, const std::wstring& text);
