// What the clickable controls (buttons, check boxes, radio boxes) share: the
// five state pictures and text styles read from the skin, the caption margin,
// and the painting of one visual state.
//
// Visual states index the entries drawn: 0 normal, 1 grayed, 2 lighted,
// 3 pressed, 4 focused. A control keeps an interaction state of 0 (normal),
// 2 (lighted: the pointer is over it) or 3 (pressed); grayed comes from the
// element's enabled flag at painting time, focused from the element model
// (ShowsFocusLook): a focused control otherwise normal draws its focused
// picture when the skin gives one (its normal picture when not), and every
// focused control draws a focus frame over its picture (PaintFocusFrame).
#ifndef BRINDLE_UI_CONTROLS_CONTROL_LOOK_H_
#define BRINDLE_UI_CONTROLS_CONTROL_LOOK_H_

#include <windows.h>

#include <array>
#include <string>

#include "ui/framework/skin_types.h"

class IResource;
class JsonValue;
class UIObject;

inline constexpr int kVisualNormal = 0;
inline constexpr int kVisualGrayed = 1;
inline constexpr int kVisualLighted = 2;
inline constexpr int kVisualPressed = 3;
inline constexpr int kVisualFocused = 4;
inline constexpr int kVisualStateCount = 5;

// Interaction states (the values 1 and 4 are never stored).
inline constexpr int kInteractionNormal = 0;
inline constexpr int kInteractionLighted = 2;
inline constexpr int kInteractionPressed = 3;

// One picture per visual state, in visual-state order.
using StateImages = std::array<StateEntry, kVisualStateCount>;

// The caption's look: one text style per visual state and the insets of the
// caption inside the element rectangle (left, top, right, bottom, pixels).
struct CaptionLook {
  std::array<TextStyle, kVisualStateCount> styles;
  RECT margin = {};
};

// Reads "id" into the command id and "size" into the element's size from
// the node at `path` below `base` (null: "cfg"), and remembers where for
// ReloadSkin (RememberSkin). Returns that node, or null
// (nothing read) when it does not exist. The node belongs to `resource`.
const JsonValue* LoadElementBasics(UIObject* element, IResource* resource, const char* path,
                                   const JsonValue* base);

// The entries `prefix` + "normal", "grayed", "lighted", "pressed",
// "focused" below `node`; a missing one stays empty (draws nothing).
StateImages LoadStateImages(IResource* resource, const JsonValue* node, const std::string& prefix);

// "Text" below `node`: its "margin" [l, t, r, b] and the five text styles.
// Without "Text" everything stays empty and zero.
CaptionLook LoadCaptionLook(IResource* resource, const JsonValue* node);

// Draws `image` over `rect`, then, when `caption` is not empty, the caption
// with `style` into `rect` less the margins, moved one pixel right and down
// when `shift` is set; a caption longer than its room ends in an ellipsis
// (DT_END_ELLIPSIS unless the style asks for DT_WORD_ELLIPSIS). No clip
// rectangle: the DC's clipping applies.
void PaintCaptionedState(HDC dc, const RECT& rect, const StateEntry& image, const TextStyle& style,
                         const RECT& margin, const std::wstring& caption, bool shift);

// True when `entry` draws something: a background or a foreground picture.
bool HasPicture(const StateEntry& entry);

// The focus frame of a control: DrawFocusFrame 2 pixels inside `rect`, in
// `color` (the caption colour of the state drawn).
void PaintFocusFrame(HDC dc, const RECT& rect, COLORREF color);

// A copy of zero-terminated `text`; null gives an empty string.
std::wstring CaptionFrom(const wchar_t* text);

#endif  // BRINDLE_UI_CONTROLS_CONTROL_LOOK_H_
