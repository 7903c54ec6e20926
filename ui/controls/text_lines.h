// Word wrapping of a block of text into lines, for the multi-line text box.
//
// The work is linear in the length of the text: each line measures at most a
// bounded run of characters (about one per pixel of the width), so a long
// paragraph costs no more per line than a short one, and a licence of a
// megabyte is wrapped in one pass.
//
// Indices and lengths count UTF-16 units of the text; widths are pixels in
// the current font of the device context given. User-interface thread only.
#ifndef BRINDLE_UI_CONTROLS_TEXT_LINES_H_
#define BRINDLE_UI_CONTROLS_TEXT_LINES_H_

#include <windows.h>

#include <string>
#include <vector>

// One wrapped line: `length` units of the text from `start`, without the LF
// that may end it. An empty line (length 0) stands for a blank line.
struct TextLine {
  int start = 0;
  int length = 0;
};

// The lines of `text` (line ends are LF) wrapped to `width` pixels in the
// current font of `dc`. Every LF ends a line, so n LFs give n + 1 lines and
// blank lines are kept; an empty text is one empty line. A line longer than
// the width breaks after its last space that fits, or between CJK
// characters; a word wider than the width alone breaks inside it (never
// between the halves of a surrogate pair). Spaces at a break stay at the end
// of their line. A width below 1 is taken as 1; a DC that cannot measure
// gives one line per paragraph.
std::vector<TextLine> WrapTextLines(HDC dc, const std::wstring& text, int width);

// The height in pixels of one line in the current font of `dc` (the font's
// height plus its external leading); 0 when it cannot be measured.
int TextLineHeight(HDC dc);

#endif  // BRINDLE_UI_CONTROLS_TEXT_LINES_H_
