// UIProgress: a windowless skinned bar (element kind 13) that fills from the
// left in proportion to a position. The owner sets lower, upper and position
// and then calls Invalidate; the bar draws its background ("bkgnd") over the
// whole rectangle and the foreground ("frgnd") over the filled part. Display
// only: it reacts to no input.
#ifndef BRINDLE_UI_CONTROLS_UI_PROGRESS_H_
#define BRINDLE_UI_CONTROLS_UI_PROGRESS_H_

#include "ui/framework/skin_types.h"
#include "ui/framework/ui_object.h"

// Filled width in pixels of a bar `width` pixels wide: width × position ÷
// (upper − lower), truncated towards zero, when upper > lower; otherwise 0.
// The position is counted from 0, not from lower. The result is kept within
// 0 ... width, so a position outside the range fills nothing or everything.
int ProgressFillWidth(int width, int position, int lower, int upper);

class UIProgress : public UIObject {
 public:
  UIProgress();

  // Reads "id", "size", "bkgnd" and "frgnd" of the node at `path` below
  // `base`. False when the node is missing.
  bool LoadSkin(IResource* resource, const char* path, const JsonValue* base) override;
  void OnPaint(HDC dc, const RECT& rect, const RECT& clip) override;
  // A progress bar whose value is the filled share in percent ("45%").
  ElementDescription Describe() const override;

  // Plain fields: callers repaint with Invalidate after changing them.
  int position() const { return position_; }
  void set_position(int position) { position_ = position; }
  int lower() const { return lower_; }
  void set_lower(int lower) { lower_ = lower; }
  int upper() const { return upper_; }
  void set_upper(int upper) { upper_ = upper; }

 private:
  int position_ = 0;
  int upper_ = 0;
  int lower_ = 0;
  StateEntry background_;
  StateEntry foreground_;
};

#endif  // BRINDLE_UI_CONTROLS_UI_PROGRESS_H_
