// The table behind CreateElement: element kind -> maker.
//
// The framework knows no control class. Each control library registers the
// kinds it provides, once, at start-up and before the first CreateElement:
//
//   RegisterElementKind(kElementButton, &MakeElementOf<UIButton>);
//
// Registration is explicit on purpose: a static registration object in a
// control's .cpp would be dropped by the linker when nothing else refers to
// that object file of the static library. A kind nobody registered makes no
// element (CreateElement gives null). User-interface thread only.
#ifndef BRINDLE_UI_FRAMEWORK_ELEMENT_FACTORY_H_
#define BRINDLE_UI_FRAMEWORK_ELEMENT_FACTORY_H_

#include <memory>

#include "ui/framework/ui_object.h"

// Makes a new element of one kind, owned by the caller.
using ElementMaker = std::unique_ptr<UIObject> (*)();

template <typename Element>
std::unique_ptr<UIObject> MakeElementOf() {
  return std::make_unique<Element>();
}

// Registers (or replaces) the maker of `kind`. Only the factory kinds 1 to 4
// and 6 to 15 are accepted: kind 5 is the frame window's, which the factory
// never makes. Returns false for other kinds or a null maker.
bool RegisterElementKind(int kind, ElementMaker maker);

// Removes the maker of `kind`; afterwards that kind makes nothing.
void UnregisterElementKind(int kind);

// A new element of `kind`, or null when no maker is registered for it.
std::unique_ptr<UIObject> MakeElement(int kind);

#endif  // BRINDLE_UI_FRAMEWORK_ELEMENT_FACTORY_H_
