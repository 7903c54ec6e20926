#include "json/json_writer.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char kEscapedChars[] = "\"\\\b\f\n\r\t";

void WriteInteger(int64_t value, std::string& out) {
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  char digits[20];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) out += '-';
  while (count > 0) out += digits[--count];
}

// C99 writes at least two exponent digits ("1e+20"); Microsoft's C library writes three
// ("1e+020"). Drops the extra leading zeros, so that every build writes the same text.
void TrimExponentZeros(char* text) {
  char* exponent = std::strchr(text, 'e');
  if (exponent == nullptr || exponent[1] == '\0') return;
  char* digits = exponent + 2;  // after the sign
  size_t length = std::strlen(digits);
  while (length > 2 && digits[0] == '0') {
    std::memmove(digits, digits + 1, length);  // the terminating zero moves too
    --length;
  }
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
    // "%g" writes at most 13 characters ("-1.23457e-308"), so neither call truncates. On Windows
    // the system C library's own formatting: mingw's C99 printf family would add about 11 KB to
    // the setup program.
#ifdef _WIN32
    _snprintf(text, sizeof text, "%g", value);
#else
    std::snprintf(text, sizeof text, "%g", value);
#endif
    TrimExponentZeros(text);
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
