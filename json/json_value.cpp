#include "json/json_value.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "json/contract_failure.h"
#include "json/decimal_real.h"

namespace {

// Truncates toward zero into the 32-bit range. Values outside it (and NaN) give
// INT32_MIN, which is what the x86 conversion instruction yields for them, instead of
// leaving the result undefined.
int32_t TruncateToInt32(double value) {
  if (value > -2147483649.0 && value < 2147483648.0) {
    return static_cast<int32_t>(value);
  }
  return INT32_MIN;
}

// A text's leading decimal real after blanks (as the C library's strtod skips them); 0.0 when
// there is none. Spellings other than decimal ones (hexadecimal, "inf", "nan") read as none.
double RealFromText(const char* text) {
  while (*text == ' ' || (*text >= '\t' && *text <= '\r')) {
    ++text;
  }
  double value = 0.0;
  ReadDecimalReal(text, text + std::strlen(text), value);
  return value;
}

[[noreturn]] void ThrowSubscript() { ThrowOutOfRange("invalid vector<T> subscript"); }

}  // namespace

JsonValue::JsonValue(JsonKind kind) : kind_(JsonKind::Null) {
  payload_.integer = 0;
  switch (kind) {
    case JsonKind::Array:
      makeArray();
      break;
    case JsonKind::Object:
      makeObject();
      break;
    case JsonKind::String:
      assignString("");
      break;
    case JsonKind::Boolean:
      kind_ = kind;
      payload_.boolean = false;
      break;
    case JsonKind::Real:
      kind_ = kind;
      payload_.real = 0.0;
      break;
    default:
      kind_ = kind;
      break;
  }
}

JsonValue::JsonValue(const char* text) : kind_(JsonKind::Null) {
  payload_.integer = 0;
  assignString(text);
}

JsonValue::JsonValue(const std::string& text) : JsonValue(text.c_str()) {}

JsonValue::JsonValue(int64_t value) noexcept : kind_(JsonKind::Integer) {
  payload_.integer = value;
}

JsonValue::JsonValue(int value) noexcept : JsonValue(static_cast<int64_t>(value)) {}

JsonValue::JsonValue(bool value) noexcept : kind_(JsonKind::Boolean) {
  payload_.integer = 0;
  payload_.boolean = value;
}

JsonValue::JsonValue(double value) noexcept : kind_(JsonKind::Real) { payload_.real = value; }

JsonValue::JsonValue(const JsonValue& other) : kind_(JsonKind::Null) {
  payload_.integer = 0;
  copyFrom(other);
}

JsonValue::JsonValue(JsonValue&& other) noexcept : kind_(JsonKind::Null) {
  payload_.integer = 0;
  takeFrom(other);
}

JsonValue& JsonValue::operator=(const JsonValue& other) {
  if (this != &other) {
    // Copy first: `other` may live inside this value's payload.
    JsonValue copy(other);
    clear();
    takeFrom(copy);
  }
  return *this;
}

JsonValue& JsonValue::operator=(JsonValue&& other) noexcept {
  if (this != &other) {
    // Detach first: `other` may live inside this value's payload.
    JsonValue taken(std::move(other));
    clear();
    takeFrom(taken);
  }
  return *this;
}

JsonValue::~JsonValue() { clear(); }

const JsonValue& JsonValue::Null() {
  static const JsonValue null_value;
  return null_value;
}

int64_t JsonValue::toInt64() const {
  switch (kind_) {
    case JsonKind::Integer:
      return payload_.integer;
    case JsonKind::Boolean:
      return payload_.boolean ? 1 : 0;
    case JsonKind::Real:
      return TruncateToInt32(payload_.real);
    case JsonKind::String:
      return std::strtoll(toCString(), nullptr, 10);
    default:
      return 0;
  }
}

double JsonValue::toReal() const {
  switch (kind_) {
    case JsonKind::Integer:
      return static_cast<double>(payload_.integer);
    case JsonKind::Boolean:
      return payload_.boolean ? 1.0 : 0.0;
    case JsonKind::Real:
      return payload_.real;
    case JsonKind::String:
      return RealFromText(toCString());
    default:
      return 0.0;
  }
}

bool JsonValue::toBool() const {
  switch (kind_) {
    case JsonKind::Integer:
      return payload_.integer != 0;
    case JsonKind::Boolean:
      return payload_.boolean;
    case JsonKind::Real:
      return payload_.real != 0.0;
    case JsonKind::String:
      return toCString()[0] != '\0';
    case JsonKind::Array:
    case JsonKind::Object:
      return size() != 0;
    default:
      return false;
  }
}

const char* JsonValue::toCString() const {
  if (kind_ == JsonKind::String && payload_.string != nullptr) {
    return payload_.string;
  }
  return "";
}

size_t JsonValue::size() const {
  switch (kind_) {
    case JsonKind::Array:
      return payload_.array->size();
    case JsonKind::Object:
      return payload_.object->size();
    default:
      return 0;
  }
}

bool JsonValue::hasMember(const std::string& key) const {
  return kind_ == JsonKind::Object && payload_.object->count(key) != 0;
}

std::vector<std::string> JsonValue::memberNames() const {
  std::vector<std::string> names;
  if (kind_ == JsonKind::Object) {
    names.reserve(payload_.object->size());
    for (const auto& member : *payload_.object) {
      names.push_back(member.first);
    }
  }
  return names;
}

const JsonValue& JsonValue::operator[](const std::string& key) const {
  if (kind_ != JsonKind::Object) {
    return Null();
  }
  auto found = payload_.object->find(key);
  return found == payload_.object->end() ? Null() : found->second;
}

const JsonValue& JsonValue::operator[](const char* key) const { return (*this)[std::string(key)]; }

JsonValue& JsonValue::operator[](const std::string& key) {
  Object& object = kind_ == JsonKind::Object ? *payload_.object : makeObject();
  return object[key];
}

JsonValue& JsonValue::operator[](const char* key) { return (*this)[std::string(key)]; }

const JsonValue& JsonValue::operator[](size_t index) const {
  if (kind_ != JsonKind::Array || index >= payload_.array->size()) {
    ThrowSubscript();
  }
  return (*payload_.array)[index];
}

const JsonValue& JsonValue::operator[](int index) const {
  if (index < 0) {
    ThrowSubscript();
  }
  return (*this)[static_cast<size_t>(index)];
}

JsonValue& JsonValue::operator[](size_t index) {
  Array& array = kind_ == JsonKind::Array ? *payload_.array : makeArray();
  if (index >= array.size()) {
    if (index >= array.max_size()) {
      ThrowLengthError("JsonValue array index too large");
    }
    array.resize(index + 1);
  }
  return array[index];
}

JsonValue& JsonValue::operator[](int index) {
  if (index < 0) {
    ThrowSubscript();
  }
  return (*this)[static_cast<size_t>(index)];
}

void JsonValue::clear() noexcept {
  switch (kind_) {
    case JsonKind::Array:
      delete payload_.array;
      break;
    case JsonKind::Object:
      delete payload_.object;
      break;
    case JsonKind::String:
      delete[] payload_.string;
      break;
    default:
      break;
  }
  kind_ = JsonKind::Null;
  payload_.integer = 0;
}

// Requires this value to be null.
void JsonValue::copyFrom(const JsonValue& other) {
  switch (other.kind_) {
    case JsonKind::Array:
      payload_.array = new Array(*other.payload_.array);
      break;
    case JsonKind::Object:
      payload_.object = new Object(*other.payload_.object);
      break;
    case JsonKind::String:
      assignString(other.payload_.string);
      break;
    default:
      payload_ = other.payload_;
      break;
  }
  kind_ = other.kind_;
}

// Requires this value to be null; leaves `other` null.
void JsonValue::takeFrom(JsonValue& other) noexcept {
  kind_ = other.kind_;
  payload_ = other.payload_;
  other.kind_ = JsonKind::Null;
  other.payload_.integer = 0;
}

// Requires this value to be null.
void JsonValue::assignString(const char* text) {
  char* copy = nullptr;
  if (text != nullptr) {
    size_t length = std::strlen(text);
    copy = new char[length + 1];
    std::memcpy(copy, text, length + 1);
  }
  kind_ = JsonKind::String;
  payload_.string = copy;
}

JsonValue::Array& JsonValue::makeArray() {
  Array* array = new Array();
  clear();
  kind_ = JsonKind::Array;
  payload_.array = array;
  return *array;
}

JsonValue::Object& JsonValue::makeObject() {
  Object* object = new Object();
  clear();
  kind_ = JsonKind::Object;
  payload_.object = object;
  return *object;
}
