#include "tools/text_checks.h"

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

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
