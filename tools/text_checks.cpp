#include "tools/text_checks.h"

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// The code point at `at` of valid UTF-8, and the bytes it takes.
char32_t DecodeAt(std::string_view text, size_t at, size_t& length) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[at + i]); };
  const unsigned char lead = byte(0);
  length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  if (length > text.size() - at) length = text.size() - at;
  if (length == 1) return lead;
  char32_t code = lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) code = code << 6 | (byte(i) & 0x3F);
  return code;
}

void AppendUtf8(char32_t code, std::string& out) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | code >> 6);
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | code >> 12);
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | code >> 18);
    out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

char32_t UpperCase(char32_t c) {
  if ((c >= U'a' && c <= U'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) ||
      (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) || (c >= 0x430 && c <= 0x44F)) {
    return c - 0x20;
  }
  if (c >= 0x450 && c <= 0x45F) return c - 0x50;  // Cyrillic with diacritics
  return c;
}

}  // namespace

std::string FoldNameCase(std::string_view name) {
  std::string folded;
  for (size_t at = 0, length = 0; at < name.size(); at += length) {
    AppendUtf8(UpperCase(DecodeAt(name, at, length)), folded);
  }
  return folded;
}

bool NormaliseLicenceText(std::string_view bytes, std::string& text, std::string& problem) {
  text.clear();
  problem.clear();
  if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF") ||
      StartsWith(bytes, std::string_view("\x00\x00\xFE\xFF", 4))) {
    problem = "is UTF-16 or UTF-32 text; save it as UTF-8";
    return false;
  }
  if (StartsWith(bytes, "\xEF\xBB\xBF")) bytes.remove_prefix(3);
  if (bytes.find('\0') != std::string_view::npos) {
    problem = "holds a zero byte; it must be plain UTF-8 text";
    return false;
  }
  if (!IsValidUtf8(bytes)) {
    problem = "is not valid UTF-8 text";
    return false;
  }
  text.reserve(bytes.size() + bytes.size() / 16);
  for (size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\r' || c == '\n') {
      text += "\r\n";
      if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else {
      text += c;
    }
  }
  return true;
}
