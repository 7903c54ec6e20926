#include "setup/dotted_version.h"

#include <cstddef>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsIdentifierChar(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-';
}

bool AllOf(std::string_view text, bool (*test)(char)) {
  for (const char c : text) {
    if (!test(c)) return false;
  }
  return true;
}

// Takes the text up to the next `separator` off `text` (all of it when there is none).
std::string_view NextPart(std::string_view& text, char separator) {
  const size_t at = text.find(separator);
  const std::string_view part = text.substr(0, at);
  text = at == std::string_view::npos ? std::string_view() : text.substr(at + 1);
  return part;
}

// `digits` without leading zeros ("0" and "" become "").
std::string_view Significant(std::string_view digits) {
  while (!digits.empty() && digits[0] == '0') digits.remove_prefix(1);
  return digits;
}

// Orders two numbers of decimal digits of any length.
int CompareNumbers(std::string_view x, std::string_view y) {
  x = Significant(x);
  y = Significant(y);
  if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
  const int order = x.compare(y);
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

// The leading digits of a dotted part.
std::string_view LeadingDigits(std::string_view part) {
  size_t end = 0;
  while (end < part.size() && IsDigit(part[end])) ++end;
  return part.substr(0, end);
}

int CompareNumberParts(std::string_view a, std::string_view b) {
  while (!a.empty() || !b.empty()) {
    const int order =
        CompareNumbers(LeadingDigits(NextPart(a, '.')), LeadingDigits(NextPart(b, '.')));
    if (order != 0) return order;
  }
  return 0;
}

int ComparePreRelease(std::string_view a, std::string_view b) {
  if (a.empty() || b.empty()) return a.empty() == b.empty() ? 0 : (a.empty() ? 1 : -1);
  while (!a.empty() && !b.empty()) {
    const std::string_view x = NextPart(a, '.');
    const std::string_view y = NextPart(b, '.');
    const bool x_number = !x.empty() && AllOf(x, IsDigit);
    const bool y_number = !y.empty() && AllOf(y, IsDigit);
    int order = 0;
    if (x_number && y_number) {
      order = CompareNumbers(x, y);
    } else if (x_number != y_number) {
      order = x_number ? -1 : 1;
    } else {
      const int text_order = x.compare(y);
      order = text_order < 0 ? -1 : (text_order > 0 ? 1 : 0);
    }
    if (order != 0) return order;
  }
  return a.empty() == b.empty() ? 0 : (a.empty() ? -1 : 1);
}

// Splits `version` into its numbers and its pre-release part; build information is dropped.
void SplitVersion(std::string_view version, std::string_view& numbers,
                  std::string_view& pre_release) {
  version = version.substr(0, version.find('+'));
  const size_t dash = version.find('-');
  numbers = version.substr(0, dash);
  pre_release = dash == std::string_view::npos ? std::string_view() : version.substr(dash + 1);
}

// True when `text` is one or more non-empty dot-separated parts, each passing `test`.
bool DottedParts(std::string_view text, bool (*test)(char), size_t most) {
  // NextPart drops an empty last part after a trailing dot.
  if (text.empty() || text.back() == '.') return false;
  size_t count = 0;
  do {
    const std::string_view part = NextPart(text, '.');
    if (part.empty() || !AllOf(part, test) || ++count > most) return false;
  } while (!text.empty());
  return true;
}

}  // namespace

bool IsComparableVersion(std::string_view version) {
  const size_t plus = version.find('+');
  if (plus != std::string_view::npos &&
      !DottedParts(version.substr(plus + 1), IsIdentifierChar, std::string_view::npos)) {
    return false;
  }
  version = version.substr(0, plus);
  const size_t dash = version.find('-');
  if (dash != std::string_view::npos &&
      !DottedParts(version.substr(dash + 1), IsIdentifierChar, std::string_view::npos)) {
    return false;
  }
  return DottedParts(version.substr(0, dash), IsDigit, 4);
}

int CompareDottedVersions(std::string_view a, std::string_view b) {
  std::string_view a_numbers, a_pre, b_numbers, b_pre;
  SplitVersion(a, a_numbers, a_pre);
  SplitVersion(b, b_numbers, b_pre);
  const int order = CompareNumberParts(a_numbers, b_numbers);
  return order != 0 ? order : ComparePreRelease(a_pre, b_pre);
}
