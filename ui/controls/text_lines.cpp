#include "ui/controls/text_lines.h"

#include <algorithm>

namespace {

// CJK scripts break between any two characters (from the CJK radicals on,
// below the surrogates, and the compatibility forms above them).
bool BreaksAnywhere(wchar_t ch) {
  return (ch >= 0x2E80 && ch < 0xD800) || (ch >= 0xF900 && ch < 0xFFF0);
}

bool IsSpace(wchar_t ch) { return ch == L' ' || ch == L'\t' || ch == 0x3000; }

// The end of the line that starts at `start` when the characters up to
// `start + fit` fit (fit >= 1): after the last space or CJK boundary that
// fits, else right after the fitting characters.
int BreakWithin(const std::wstring& text, int start, int fit) {
  for (int end = start + fit; end > start; --end) {
    const wchar_t before = text[static_cast<size_t>(end - 1)];
    const wchar_t after = text[static_cast<size_t>(end)];
    if (IsSpace(before) || BreaksAnywhere(before) || BreaksAnywhere(after)) return end;
  }
  int end = start + fit;
  if (IS_HIGH_SURROGATE(text[static_cast<size_t>(end - 1)]) &&
      IS_LOW_SURROGATE(text[static_cast<size_t>(end)])) {
    end = fit > 1 ? end - 1 : end + 1;
  }
  return end;
}

// Wraps the paragraph [start, end) onto `lines`.
void WrapParagraph(HDC dc, const std::wstring& text, int start, int end, int width,
                   std::vector<TextLine>& lines) {
  // No character is narrower than a pixel that is drawn at all, so no more
  // than width + 1 of them can fit: measuring more would be wasted work.
  const int run_limit = width + 1;
  while (start < end) {
    const int run = std::min(end - start, run_limit);
    int fit = 0;
    SIZE size = {};
    if (!::GetTextExtentExPointW(dc, text.c_str() + start, run, width, &fit, nullptr, &size)) {
      fit = end - start;
    }
    if (fit >= end - start) {
      lines.push_back({start, end - start});
      return;
    }
    // A run of characters all too narrow to measure is taken whole.
    const int line_end = fit >= run ? start + run : BreakWithin(text, start, std::max(fit, 1));
    lines.push_back({start, line_end - start});
    start = line_end;
  }
}

}  // namespace

std::vector<TextLine> WrapTextLines(HDC dc, const std::wstring& text, int width) {
  std::vector<TextLine> lines;
  width = std::max(width, 1);
  const auto length = static_cast<int>(text.size());
  int start = 0;
  for (;;) {
    const size_t found = text.find(L'\n', static_cast<size_t>(start));
    const int end = found == std::wstring::npos ? length : static_cast<int>(found);
    if (end == start) {
      lines.push_back({start, 0});
    } else {
      WrapParagraph(dc, text, start, end, width, lines);
    }
    if (end == length) break;
    start = end + 1;
  }
  return lines;
}

int TextLineHeight(HDC dc) {
  TEXTMETRICW metrics = {};
  if (!dc || !::GetTextMetricsW(dc, &metrics)) return 0;
  return metrics.tmHeight + metrics.tmExternalLeading;
}
