// JsonValue: the dynamically typed value behind every JSON document of the system
// (package configs, uninstaller config, skin description).
//
// A value holds a kind and owns its payload. Copies are deep. Strings are byte strings
// (UTF-8 in every document the system reads or writes); callers convert to wide text.
// Reads of missing members and out-of-kind conversions never fail: they give the shared
// null value, 0, 0.0, false or "".
#ifndef BRINDLE_JSON_JSON_VALUE_H_
#define BRINDLE_JSON_JSON_VALUE_H_

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

enum class JsonKind {
  Null = 0,
  Integer = 1,
  Boolean = 2,
  Real = 3,
  Array = 4,
  Object = 5,
  String = 6
};

class JsonValue {
 public:
  // Null.
  JsonValue() noexcept : kind_(JsonKind::Null) { payload_.integer = 0; }
  // An empty value of `kind`: null, 0, false, 0.0, [], {} or "".
  explicit JsonValue(JsonKind kind);
  // String holding a copy of the zero-terminated `text`; a null `text` gives a string
  // without storage, which reads as "".
  explicit JsonValue(const char* text);
  explicit JsonValue(char* text) : JsonValue(static_cast<const char*>(text)) {}
  // Rejects every other pointer, and text given where no string was spelled out
  // (`value = "text"`), which would otherwise silently become a boolean.
  template <typename T>
  JsonValue(T*) = delete;
  // String holding a copy of `text` up to its first NUL byte.
  JsonValue(const std::string& text);
  JsonValue(int64_t value) noexcept;
  JsonValue(int value) noexcept;
  JsonValue(bool value) noexcept;
  JsonValue(double value) noexcept;

  JsonValue(const JsonValue& other);
  JsonValue(JsonValue&& other) noexcept;
  // Deep copy; assigning a value to itself does nothing.
  JsonValue& operator=(const JsonValue& other);
  JsonValue& operator=(JsonValue&& other) noexcept;
  ~JsonValue();

  // The shared, immutable null value returned by every read access that finds nothing.
  static const JsonValue& Null();

  JsonKind kind() const { return kind_; }

  // Integer as is; boolean 0 or 1; real truncated toward zero as a 32-bit signed integer
  // (INT32_MIN when outside that range or NaN); string by its leading decimal digits
  // (0 when none); every other kind 0.
  int64_t toInt64() const;
  // Integer widened; boolean 1.0 or 0.0; real as is; string by its leading decimal
  // number; every other kind 0.0.
  double toReal() const;
  // Non-zero number, true boolean, non-empty string/array/object; null is false.
  bool toBool() const;
  // The string's bytes, or "" for any other kind or a string without storage. Never null.
  // The pointer stays valid until the value is changed or destroyed.
  const char* toCString() const;
  // Element count of an array, member count of an object, 0 otherwise.
  size_t size() const;

  // True only when this is an object holding `key`.
  bool hasMember(const std::string& key) const;
  // An object's keys in ascending byte order; empty for every other kind.
  std::vector<std::string> memberNames() const;

  // Read access: the member `key` of an object, otherwise Null(). Never changes the value.
  const JsonValue& operator[](const std::string& key) const;
  const JsonValue& operator[](const char* key) const;
  // Write access: a value that is not an object first becomes an empty object (its old
  // payload is lost); a missing member is inserted as null. The reference stays valid
  // until the member is removed or this value changes kind.
  JsonValue& operator[](const std::string& key);
  JsonValue& operator[](const char* key);

  // Read access by index. Callers test size() first: an index at or beyond the size (or a
  // negative one) throws std::out_of_range("invalid vector<T> subscript").
  const JsonValue& operator[](size_t index) const;
  const JsonValue& operator[](int index) const;
  // Write access by index: a value that is not an array first becomes an empty array; null
  // elements are appended until the index exists. The reference is invalidated by the
  // next write access that grows the array.
  JsonValue& operator[](size_t index);
  JsonValue& operator[](int index);

  // Frees the payload; the value becomes null.
  void clear() noexcept;

 private:
  using Array = std::vector<JsonValue>;
  using Object = std::map<std::string, JsonValue>;

  void copyFrom(const JsonValue& other);
  void takeFrom(JsonValue& other) noexcept;
  void assignString(const char* text);
  Array& makeArray();
  Object& makeObject();

  JsonKind kind_;
  // Pointers are owned; array and object pointers are never null, the string pointer is
  // null for a string without storage.
  union Payload {
    int64_t integer;
    bool boolean;
    double real;
    Array* array;
    Object* object;
    char* string;
  } payload_;
};

#endif  // BRINDLE_JSON_JSON_VALUE_H_
