#include "json/json_writer.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char kEscapedChars[] = "\"\\\b\f\n\r\t";

void WriteInteger(int64_t value, std::string& out) {
  char text[32];
  std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
  out += text;
}

void WriteReal(double value, std::string& out) {
  if (std::isnan(value)) {
    out += "null";
  } else if (std::isinf(value)) {
    out += value < 0 ? "-1e9999" : "1e9999";
  } else if (value == 0.0 && std::signbit(value)) {
    out += "-0.0";
  } else {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    out += text;
  }
}

void WriteQuoted(const char* text, std::string& out) {
  out += '"';
  if (std::strpbrk(text, kEscapedChars) == nullptr) {
    out += text;
    out += '"';
    return;
  }
  for (const char* p = text; *p != '\0'; ++p) {
    switch (*p) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += p[1] == 'u' ? "\\" : "\\\\";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        out += *p;
        break;
    }
  }
  out += '"';
}

void WriteValue(const JsonValue& value, std::string& out) {
  switch (value.kind()) {
    case JsonKind::Null:
      out += "null";
      break;
    case JsonKind::Integer:
      WriteInteger(value.toInt64(), out);
      break;
    case JsonKind::Boolean:
      out += value.toBool() ? "true" : "false";
      break;
    case JsonKind::Real:
      WriteReal(value.toReal(), out);
      break;
    case JsonKind::String:
      WriteQuoted(value.toCString(), out);
      break;
    case JsonKind::Array: {
      out += '[';
      for (size_t i = 0; i < value.size(); ++i) {
        if (i != 0) {
          out += ',';
        }
        WriteValue(value[i], out);
      }
      out += ']';
      break;
    }
    case JsonKind::Object: {
      out += '{';
      bool first = true;
      for (const std::string& key : value.memberNames()) {
        if (!first) {
          out += ',';
        }
        first = false;
        WriteQuoted(key.c_str(), out);
        out += ':';
        WriteValue(value[key], out);
      }
      out += '}';
      break;
    }
  }
}

}  // namespace

std::string JsonWriter::write(const JsonValue& value) const {
  std::string out;
  WriteValue(value, out);
  out += '\n';
  return out;
}
