// JsonWriter: the compact text of a JsonValue, as stored in the package configs.
#ifndef BRINDLE_JSON_JSON_WRITER_H_
#define BRINDLE_JSON_JSON_WRITER_H_

#include <string>

#include "json/json_value.h"

class JsonWriter {
 public:
  // The value without any blanks, object keys in ascending byte order, followed by "\n".
  // Integers are written with "%lld" and reals with "%g"; reals that "%g" would write as
  // something that does not read back to a real of the same text are written instead as
  // "-0.0" (negative zero), "1e9999" / "-1e9999" (infinities) and "null" (NaN). Strings
  // escape '"', '\\', '\b', '\f', '\n', '\r' and '\t', except that a backslash before 'u'
  // is written as is, so a kept "\uXXXX" escape reads back unchanged.
  std::string write(const JsonValue& value) const;
};

#endif  // BRINDLE_JSON_JSON_WRITER_H_
