// UILabel: windowless text in a skinned text style (element kind value 0;
// made by the factory for kind 9). Display only: it reacts to no input, and
// it sets the drag-through flag, so a press on a label lying over a frame's
// title band drags the window like a press on the band itself.
//
// The text may be replaced from any thread: it is replaced and drawn only
// under the label's own lock, and the repaint is requested after the lock is
// released.
#ifndef BRINDLE_UI_CONTROLS_UI_LABEL_H_
#define BRINDLE_UI_CONTROLS_UI_LABEL_H_

#include <windows.h>

#include <string>

#include "ui/framework/skin_types.h"
#include "ui/framework/ui_object.h"

// A critical section that counts how deeply it is held (by its owner thread;
// it is re-entrant). Not movable: the section's address is its identity.
class CountedLock {
 public:
  CountedLock() { ::InitializeCriticalSection(&section_); }
  ~CountedLock() { ::DeleteCriticalSection(&section_); }
  CountedLock(const CountedLock&) = delete;
  CountedLock& operator=(const CountedLock&) = delete;

  void Lock() {
    ::EnterCriticalSection(&section_);
    ++depth_;
  }
  void Unlock() {
    --depth_;
    ::LeaveCriticalSection(&section_);
  }
  // How many Lock calls the holding thread has not yet undone; 0 when free.
  // Meaningful only to the thread that holds the lock.
  int depth() const { return depth_; }

 private:
  CRITICAL_SECTION section_;
  int depth_ = 0;
};

// Holds a CountedLock for its own lifetime.
class ScopedCountedLock {
 public:
  explicit ScopedCountedLock(CountedLock& lock) : lock_(lock) { lock_.Lock(); }
  ~ScopedCountedLock() { lock_.Unlock(); }
  ScopedCountedLock(const ScopedCountedLock&) = delete;
  ScopedCountedLock& operator=(const ScopedCountedLock&) = delete;

 private:
  CountedLock& lock_;
};

// `text` as a one-line label `width` pixels wide shows it in `style`'s font
// on `dc`: unchanged when it fits, else its longest start that fits with
// "…" after it (spaces before the "…" dropped; never ending inside a
// surrogate pair), down to "…" alone when not even one character fits.
std::wstring FitTextToWidth(HDC dc, const TextStyle& style, const std::wstring& text, int width);

class UILabel : public UIObject {
 public:
  UILabel();

  // Reads the text style from "text" (its "tx" presets the text; missing:
  // all zero, empty text; a text given with SetText is kept) and the size
  // from "size" of the node at `path` below `base`. No "id". False when the
  // node is missing.
  bool LoadSkin(IResource* resource, const char* path, const JsonValue* base) override;
  // Draws the text, when not empty, into the element rectangle with the
  // style's font, colour and alignment. No background. A one-line text wider
  // than the rectangle is shown shortened (FitTextToWidth), never cut inside
  // a letter nor drawn past the rectangle; the accessible name stays whole.
  void OnPaint(HDC dc, const RECT& rect, const RECT& clip) override;
  // Static text named by its text. User-interface thread.
  ElementDescription Describe() const override;

  // Replaces the text with a copy of `text` (null: empty) under the lock,
  // then repaints. Any thread.
  void SetText(const wchar_t* text);
  // A copy of the text, taken under the lock. Any thread.
  std::wstring text();
  // Alignment flags etc.; the style's text member is the label's text.
  // User-interface thread.
  const TextStyle& style() const { return style_; }
  // The label's lock, held while the text is replaced or drawn.
  CountedLock& text_lock() { return text_lock_; }

 private:
  TextStyle style_;
  // SetText was called: the text is the program's, not the skin's.
  bool text_set_ = false;
  // Taken by const readers (Describe) too.
  mutable CountedLock text_lock_;
};

#endif  // BRINDLE_UI_CONTROLS_UI_LABEL_H_
