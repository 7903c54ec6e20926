// The elements of a host window as assistive technology sees them: which
// elements it is shown, in which order (their child ids), and what it is told
// about each (role, name, value, state, place, default action), in the terms
// of Microsoft Active Accessibility. The accessible object of the window
// (accessible_window.h) answers its clients from here.
//
// Shown are the elements below the host whose Describe gives a role and whose
// skin size is positive (an element of zero size is never drawn), hidden ones
// included with the invisible state, so that child ids stay put while
// elements are shown and hidden. Child ids are 1-based indices in reading
// order (SortInReadingOrder: the tab order for the tab stops); 0
// (CHILDID_SELF) is the window's client area itself.
//
// User-interface thread only.
#ifndef BRINDLE_UI_FRAMEWORK_ACCESSIBLE_ELEMENTS_H_
#define BRINDLE_UI_FRAMEWORK_ACCESSIBLE_ELEMENTS_H_

#include <windows.h>

#include <string>
#include <vector>

#include "ui/framework/ui_object.h"

// The private message by which a default action reaches the host: lParam is
// the element (checked against the tree on arrival), wParam 0; result 0.
inline constexpr UINT kAccessibleClickMessage = 0x6401;

// What a client is told about the window (child id 0) or one element.
struct AccessibleFacts {
  // ROLE_SYSTEM_* of oleacc.h.
  LONG role = 0;
  std::wstring name;
  // Empty: the element has no value.
  std::wstring value;
  // STATE_SYSTEM_* flags of oleacc.h.
  LONG state = 0;
  // "Press", "Check" or "Uncheck"; empty when there is none.
  std::wstring default_action;
  // Screen coordinates in the window's own pixels (physical pixels for a
  // per-monitor DPI aware program).
  RECT screen_rect = {};
};

// The shown elements of `host` in child-id order (index i has child id i + 1).
std::vector<UIObject*> ShownElements(UIObject* host);

// The child id of `element` in `host`; 0 when it is not shown there.
LONG ChildIdOf(UIObject* host, const UIObject* element);

// The facts of child `child_id` of `host` (0: the window itself). False for
// an id that names no shown element.
bool DescribeChild(UIObject* host, LONG child_id, AccessibleFacts* facts);

// The child id of the shown element under `screen_point` (the last one in
// child-id order that contains it, as the topmost is painted last), 0 when
// the point is in the client area but on no visible element, -1 outside it.
LONG ChildAtPoint(UIObject* host, POINT screen_point);

// Requests the default action of child `child_id` (what a click on it does),
// run by the host from its message queue (kAccessibleClickMessage), so that a
// click that opens a message box or runs the whole install never holds the
// client. S_OK when requested; E_INVALIDARG for an id that names no element;
// DISP_E_MEMBERNOTFOUND for the window itself and an element without an
// action; E_FAIL for a disabled or hidden one.
HRESULT RequestDefaultAction(UIObject* host, LONG child_id);

// Runs a requested default action: `element` is clicked (UIObject::Click)
// when it is still below `host` and enabled and visible. True when clicked.
bool RunDefaultAction(UIObject* host, LPARAM element);

// Tells assistive technology (EVENT_OBJECT_FOCUS) that `element` of `host`
// has the keyboard focus, when the host window has it and `element` is shown.
void NotifyElementFocus(UIObject* host, UIObject* element);

// Tells assistive technology that `element` changed: `event` is
// EVENT_OBJECT_STATECHANGE (checked), EVENT_OBJECT_VALUECHANGE (a text box's
// text, a bar's position) or EVENT_OBJECT_NAMECHANGE (a label's text). Only
// for an element shown in a host window, called on that window's thread (the
// tree is read); nothing otherwise.
void NotifyElementChange(UIObject* element, DWORD event);

#endif  // BRINDLE_UI_FRAMEWORK_ACCESSIBLE_ELEMENTS_H_
