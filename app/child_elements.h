// Building the setup windows' element trees.
#ifndef BRINDLE_APP_CHILD_ELEMENTS_H_
#define BRINDLE_APP_CHILD_ELEMENTS_H_

#include <memory>

#include "ui/framework/ui_object.h"
#include "ui/framework/ui_resource.h"

// Makes an element of class `Element`, loads its skin from the full skin path
// `path` when `resource` is given, appends it to `parent` (which owns it) and
// lays it out. Returns the element, borrowed from `parent`.
template <typename Element>
Element* AddLoadedChild(UIObject* parent, IResource* resource, const char* path) {
  auto element = std::make_unique<Element>();
  Element* raw = element.get();
  if (resource) raw->LoadSkin(resource, path, nullptr);
  AppendChild(parent, std::move(element));
  LayoutTree(raw);
  return raw;
}

// Makes an element of a registered factory kind with CreateElement and casts
// it to the class registered for that kind; null when the kind has no maker.
template <typename Element>
Element* CreateElementAs(const char* path, IResource* resource, int kind, UIObject* parent) {
  return static_cast<Element*>(CreateElement(path, resource, kind, parent));
}

#endif  // BRINDLE_APP_CHILD_ELEMENTS_H_
