// What skinned elements use to put pixels into a back buffer: state entries
// drawn as nine-grids with a foreground, key-colour copies, and text drawn
// through GDI+.
//
// Rectangles and coordinates are pixels in the target DC. Nothing here
// reports failure: what cannot be drawn is skipped.
#ifndef BRINDLE_UI_FRAMEWORK_DRAW_PRIMITIVES_H_
#define BRINDLE_UI_FRAMEWORK_DRAW_PRIMITIVES_H_

#include <windows.h>

#include <string>
#include <vector>

#include "ui/framework/gdi_handles.h"
#include "ui/framework/skin_types.h"

class CHBitmap;

// Draws entry.image's rectangle (x, y, width, height) into `target` as a
// nine-grid: corners unscaled, edges stretched along the edge, centre
// stretched both ways, never tiled; cells of non-positive size are skipped.
// Then the foreground picture, unscaled, placed by foreground_align:
//   1 top-left, 2 top-centre, 4 top-right, 8 centre-left, 16 centre-right,
//   32 bottom-left, 64 bottom-centre, 128 bottom-right, anything else centred;
// moved by the foreground offset. Nothing is drawn into an empty target.
void DrawStateEntry(const RECT& target, const StateEntry& entry, HDC dc);

// Copies one source cell of `bitmap` (selected into `source`) to a target
// cell: AlphaBlend for a 32-bit bitmap, else the key-colour copy when
// `key_color` is not 0, else BitBlt (equal sizes) or a halftone DrawDibDraw.
// Nothing is drawn for a source cell not wholly inside the image: a skin
// rectangle outside its image draws nothing on every path.
void DrawCell(HDC source, HDC target, int x, int y, int width, int height, int source_x,
              int source_y, int source_width, int source_height, COLORREF key_color,
              CHBitmap* bitmap);

// Copies a cell of `bitmap` (selected into `source`) leaving pixels of
// `key_color` out: TransparentBlt, after a halftone stretch into a temporary
// bitmap when the sizes differ. A 32-bit bitmap goes through AlphaBlend.
// Nothing is drawn for a source cell not wholly inside the image.
void KeyColorCopy(HDC source, HDC target, int x, int y, int width, int height, int source_x,
                  int source_y, int source_width, int source_height, COLORREF key_color,
                  CHBitmap* bitmap);

// Draws `text` (or style.text when `text` is null) into `layout` with the
// style's font and colour (drawn with alpha 254) and its alignment flags:
// DT_CENTER / DT_RIGHT horizontal alignment, DT_SINGLELINE (one line, never
// wrapped; with DT_VCENTER centred vertically), DT_WORD_ELLIPSIS (ellipsis at
// a word boundary), DT_END_ELLIPSIS (ellipsis after the last character that
// fits). Other flags are ignored; text is top-aligned unless centred.
// With `clip`, nothing is drawn outside it. style.offset is not applied.
void DrawSkinText(HDC dc, const TextStyle& style, const RECT& layout, const wchar_t* text,
                  const RECT* clip);

// The width in pixels (rounded up) that DrawSkinText needs to draw `text` on
// one line, unshortened, with the style's font; 0 for an empty text or when
// GDI+ cannot measure.
int MeasureSkinText(HDC dc, const TextStyle& style, const wchar_t* text);

// Draws a one-pixel frame of `color` (0x00BBGGRR, drawn with alpha 254 like
// text) along the inside of `frame`: the focus look of elements whose skin
// has no focused picture. Nothing is drawn into a frame narrower or lower
// than 2 pixels.
void DrawFocusFrame(HDC dc, const RECT& frame, COLORREF color);

// A GDI+ font made from `font`, or from the font selected into `dc` when
// `font` is null or not a font. Starts GDI+ if needed. When GDI+ cannot make
// `font` (its face is missing, or not TrueType or OpenType), the same size and
// style in a fallback face: one the system has for the font's character set
// (for a non-Latin script), the system's message font, the default GUI font;
// so text is drawn whatever faces the skin names. Null only when none of
// these, nor the DC's font, can be made.
brindle::gdi::GdipFont MakeGdiplusFont(HDC dc, HFONT font);

// The fallback faces of MakeGdiplusFont for a font of `charset`, in the order
// tried, none empty: for a character set other than ANSI and DEFAULT, first
// the first TrueType face the system lists for it (when there is one); then
// the message font's face (SPI_GETNONCLIENTMETRICS), the default GUI font's
// face, and for ANSI and DEFAULT the first TrueType face with ANSI. Looked up
// once per character set and kept for the process (user-interface thread).
const std::vector<std::wstring>& FallbackFontFaces(BYTE charset);

#endif  // BRINDLE_UI_FRAMEWORK_DRAW_PRIMITIVES_H_
