#include "ui/framework/element_factory.h"

#include <map>

namespace {

bool IsFactoryKind(int kind) {
  return kind >= kElementPane && kind <= kElementEditBox && kind != kElementFrameWindow;
}

std::map<int, ElementMaker>& Makers() {
  static std::map<int, ElementMaker> makers;
  return makers;
}

}  // namespace

bool RegisterElementKind(int kind, ElementMaker maker) {
  if (!IsFactoryKind(kind) || !maker) return false;
  Makers()[kind] = maker;
  return true;
}

void UnregisterElementKind(int kind) { Makers().erase(kind); }

std::unique_ptr<UIObject> MakeElement(int kind) {
  const auto found = Makers().find(kind);
  if (found == Makers().end()) return nullptr;
  return found->second();
}
