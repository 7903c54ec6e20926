#include "setup/dotted_version.h"

#include <cstddef>

namespace {

// The number at the start of `text` (its leading digits, without leading zeros) and where the
// next part starts; `text` is consumed up to and including the next dot.
std::string_view NextNumber(std::string_view& text) {
  size_t end = 0;
  while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
  std::string_view digits = text.substr(0, end);
  while (digits.size() > 1 && digits[0] == '0') digits.remove_prefix(1);
  if (digits == "0") digits = std::string_view();
  const size_t dot = text.find('.');
  text = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
  return digits;
}

}  // namespace

int CompareDottedVersions(std::string_view a, std::string_view b) {
  while (!a.empty() || !b.empty()) {
    const std::string_view x = NextNumber(a);
    const std::string_view y = NextNumber(b);
    if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
    const int order = x.compare(y);
    if (order != 0) return order < 0 ? -1 : 1;
  }
  return 0;
}
