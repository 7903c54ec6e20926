#include "setup/windows_names.h"

#include <cstdint>
#include <cstring>

#include "setup/device_names.h"

namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t length;
    uint32_t code;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      code = lead & 0x07;
    } else {
      return false;
    }
    if (text.size() - i < length) return false;
    for (size_t k = 1; k < length; ++k) {
      const unsigned char byte = static_cast<unsigned char>(text[i + k]);
      if (!IsContinuation(byte)) return false;
      code = code << 6 | (byte & 0x3F);
    }
    if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000)) return false;
    if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return false;
    i += length;
  }
  return true;
}

std::string WindowsNameProblem(std::string_view name) {
  if (name.empty()) return "is empty";
  if (name == "." || name == "..") return "is a relative folder reference";
  for (char c : name) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return "holds a control character";
    if (std::strchr("\\/:*?\"<>|", c)) {
      return std::string("holds the character '") + c + "', which Windows does not allow";
    }
  }
  if (name.back() == '.' || name.back() == ' ') {
    return "ends with a dot or a space, which Windows removes";
  }
  if (IsReservedDeviceName(name)) return "is a reserved device name on Windows";
  return std::string();
}
