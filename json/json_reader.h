// JsonReader: turns a NUL-terminated byte string into a JsonValue and reports the first
// error with a message and the byte offset where the offending token starts.
//
// Accepted beyond strict JSON: comments introduced by '#', '/' or ';', a separator before
// the closing brace of an object, and number tokens whose leading part is a number.
// "\uXXXX" escapes are kept as the six characters they are written with.
#ifndef BRINDLE_JSON_JSON_READER_H_
#define BRINDLE_JSON_JSON_READER_H_

#include <cstddef>
#include <string>

#include "json/json_value.h"

class JsonReader {
 public:
  // Nested arrays and objects deeper than this fail with "Nesting too deep".
  static constexpr int kMaxDepth = 1000;

  // Reads one value from `text` (up to its first NUL byte) into `root`. Text after the
  // first complete value is not examined. Returns false on the first error; `root` may
  // then hold a partly built value. A null `text` reads as empty input.
  bool parse(const char* text, JsonValue& root);

  // Message of the last failed parse; empty after a successful one.
  const std::string& message() const { return message_; }
  // Byte offset from the start of the text to the start of the offending token of the
  // last failed parse; 0 after a successful one.
  size_t errorOffset() const { return error_offset_; }

 private:
  std::string message_;
  size_t error_offset_ = 0;
};

#endif  // BRINDLE_JSON_JSON_READER_H_
