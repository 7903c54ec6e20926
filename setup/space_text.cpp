#include "setup/space_text.h"

namespace {

constexpr uint64_t kKilobyte = 1024;
constexpr uint64_t kMegabyte = kKilobyte * 1024;
constexpr uint64_t kGigabyte = kMegabyte * 1024;

// The decimal digits of `value`, at least `width` of them (leading zeros).
std::wstring Digits(uint64_t value, unsigned width) {
  std::wstring digits;
  do {
    digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + value % 10));
    value /= 10;
  } while (value != 0);
  if (digits.size() < width) digits.insert(0, width - digits.size(), L'0');
  return digits;
}

// `bytes` / `unit` with `decimals` decimals (0 to 2), rounded as asked.
std::wstring Scaled(uint64_t bytes, uint64_t unit, unsigned decimals, SpaceRounding rounding,
                    const wchar_t* suffix) {
  const uint64_t scale = decimals == 0 ? 1 : decimals == 1 ? 10 : 100;
  uint64_t whole = bytes / unit;
  const uint64_t rest = bytes % unit;
  // rest < 2^30 and scale <= 100: no overflow.
  uint64_t fraction = rest * scale / unit;
  if (rounding == SpaceRounding::kUp && fraction * unit < rest * scale) ++fraction;
  if (fraction == scale) {
    ++whole;
    fraction = 0;
  }
  std::wstring text = Digits(whole, 1);
  if (decimals > 0) text += L"." + Digits(fraction, decimals);
  return text + suffix;
}

}  // namespace

std::wstring SpaceText(uint64_t bytes, SpaceRounding rounding) {
  if (bytes < kMegabyte) return Scaled(bytes, kKilobyte, 0, rounding, L" KB");
  if (bytes < kGigabyte) return Scaled(bytes, kMegabyte, 1, rounding, L" MB");
  return Scaled(bytes, kGigabyte, 2, rounding, L" GB");
}
