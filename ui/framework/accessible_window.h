// The accessible object of a host window: what a screen reader, a magnifier
// or a test client gets for the window's client area (OBJID_CLIENT) through
// WM_GETOBJECT. An IAccessible whose children are the window's shown elements
// as simple elements (child ids, no objects of their own), answered from
// accessible_elements.h; its parent is the system's object of the window.
//
// The object refers to the window by handle and to the host only while the
// window is still driven by it: once the window is destroyed (or driven by
// another object) every call returns CO_E_OBJNOTCONNECTED, however long a
// client keeps the object. Calls are answered on the window's thread (a
// client in another process or apartment comes through COM's marshalling);
// a direct call from another thread gets RPC_E_WRONG_THREAD.
#ifndef BRINDLE_UI_FRAMEWORK_ACCESSIBLE_WINDOW_H_
#define BRINDLE_UI_FRAMEWORK_ACCESSIBLE_WINDOW_H_

// windows.h, then the accessibility interfaces.
// clang-format off
#include <windows.h>
#include <oleacc.h>
// clang-format on

#include "ui/framework/ui_object.h"

// A new accessible object of `host`'s window with one reference, which the
// caller owns; null when `host` has no window.
IAccessible* CreateAccessibleWindow(UIObject* host);

// Answers the accessibility messages of a host window: WM_GETOBJECT for
// OBJID_CLIENT (a new accessible object, handed over with oleacc's
// LresultFromObject, loaded from the system folder) and the default actions
// posted by the object (kAccessibleClickMessage). True when the message was
// answered, with the answer in `*result`; false for every other message, for
// other object ids and when the object cannot be handed over (no COM on this
// thread, no oleacc): the window's default handling answers those.
bool AnswerAccessibilityMessage(UIObject* host, UINT message, WPARAM wparam, LPARAM lparam,
                                LRESULT* result);

#endif  // BRINDLE_UI_FRAMEWORK_ACCESSIBLE_WINDOW_H_
