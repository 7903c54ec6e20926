// Lists inside a package config. A hand-edited config may hold any JSON kind
// where a list belongs; every reader takes such a value for an empty list, so
// that nothing indexes a value that is not an array.
#pragma once

#include "json/json_value.h"

// `value` when it is an array, otherwise the shared null value, which has no
// elements.
inline const JsonValue& ConfigList(const JsonValue& value) {
  return value.kind() == JsonKind::Array ? value : JsonValue::Null();
}
