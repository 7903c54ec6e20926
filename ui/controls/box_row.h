// Check boxes that share a row (the install page's shortcut boxes) laid out
// by the widths their captions need, so that no caption is drawn under its
// neighbour: the skin's places are kept while every caption fits before the
// next box; otherwise the boxes are placed one after the other with the
// widths they need, and when the room is too small for that the longest
// captions are shortened (drawn ending in "…", PaintCaptionedState).
#ifndef BRINDLE_UI_CONTROLS_BOX_ROW_H_
#define BRINDLE_UI_CONTROLS_BOX_ROW_H_

#include <vector>

class UICheckBox;

// Where one box of a row goes: its left edge and width, in pixels.
struct RowSlot {
  int x = 0;
  int width = 0;
};

// Places boxes needing `needs` (pixels each, picture and caption) from
// `left` on, before `right`, at least `gap` apart. With room to spare the
// gaps grow by the spare room shared out, each to at most three times `gap`;
// without enough room every box gets min(need, cap) for the one cap that
// fills the room (the longest shrink first, the short keep their width). A
// width is never negative.
std::vector<RowSlot> LayOutRow(const std::vector<int>& needs, int left, int right, int gap);

// The width `box` needs: its caption margins and its caption measured in
// the font of its normal state (on the host's DC), plus one pixel of slack
// for rounding.
int NeededWidth(UICheckBox* box);

// Lays out `boxes` (left to right, laid out already from the skin) in the
// row that starts at the first box's left edge and ends at `right` (host
// client pixels): kept where they are when each caption fits before the next
// box (the last before `right`), otherwise LayOutRow with `gap`. Changes only
// the boxes' rectangles (height and top stay) and repaints them.
void FitBoxRow(const std::vector<UICheckBox*>& boxes, int right, int gap);

#endif  // BRINDLE_UI_CONTROLS_BOX_ROW_H_
