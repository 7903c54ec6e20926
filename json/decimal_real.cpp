#include "json/decimal_real.h"

#include <cstdint>
#include <cstring>
#include <limits>

// The double nearest a decimal D x 10^scale is found by exact integer comparison: for a
// candidate double (bits b, value m x 2^e) the decimal lies above the halfway point to the
// next double exactly when D x 10^scale > (2m + 1) x 2^(e - 1), both sides made integers.
// A long double estimate starts the search, which gallops from it and bisects, so the
// estimate's error costs only time.

namespace {

// Significant digits kept. A halfway point between two doubles has at most 767 significant
// digits, so digits past the kept ones can never put a value on the other side of one; they
// only tell an exact tie from a value just above it.
constexpr int kMaxDigits = 780;

// Bounds of the decimal exponent of the leading digit: at 10^309 and above every value is beyond
// the largest double, below 10^-324 every value is under half the smallest.
constexpr int64_t kOverflowPlaces = 310;
constexpr int64_t kUnderflowPlaces = -324;
constexpr int64_t kExponentLimit = 100000;  // exponents read past this saturate

constexpr uint64_t kFractionBits = 52;
constexpr uint64_t kInfinityBits = uint64_t{0x7FF} << kFractionBits;

// A non-negative integer in 32-bit words, least significant first, without leading zero words.
// With at most kMaxDigits digits shifted by at most 1075 bits, or a 54-bit odd number times
// 10^1103, every number compared stays below 2^3800.
class BigNumber {
 public:
  explicit BigNumber(uint64_t value) {
    std::memset(words_, 0, sizeof words_);
    words_[0] = static_cast<uint32_t>(value);
    words_[1] = static_cast<uint32_t>(value >> 32);
    size_ = words_[1] != 0 ? 2 : (words_[0] != 0 ? 1 : 0);
  }

  void MultiplyAdd(uint32_t factor, uint32_t addend) {
    uint64_t carry = addend;
    for (int i = 0; i < size_; ++i) {
      const uint64_t product = uint64_t{words_[i]} * factor + carry;
      words_[i] = static_cast<uint32_t>(product);
      carry = product >> 32;
    }
    if (carry != 0) {
      words_[size_++] = static_cast<uint32_t>(carry);
    }
  }

  void MultiplyByPowerOfTen(int64_t exponent) {
    static const uint32_t kPowers[] = {1,      10,      100,      1000,     10000,
                                       100000, 1000000, 10000000, 100000000};
    for (; exponent >= 9; exponent -= 9) {
      MultiplyAdd(1000000000, 0);
    }
    MultiplyAdd(kPowers[exponent], 0);
  }

  void ShiftLeft(int64_t bits) {
    if (size_ == 0) {
      return;
    }
    const int words = static_cast<int>(bits / 32);
    const int rest = static_cast<int>(bits % 32);
    const uint32_t spilled = rest != 0 ? words_[size_ - 1] >> (32 - rest) : 0;
    for (int i = size_ - 1; i >= 0; --i) {
      const uint32_t lower = rest != 0 && i > 0 ? words_[i - 1] >> (32 - rest) : 0;
      words_[i + words] = (words_[i] << rest) | lower;
    }
    std::memset(words_, 0, sizeof(uint32_t) * static_cast<size_t>(words));
    size_ += words;
    if (spilled != 0) {
      words_[size_++] = spilled;
    }
  }

  // Negative, zero or positive as this number is below, equal to or above `other`.
  int CompareWith(const BigNumber& other) const {
    if (size_ != other.size_) {
      return size_ < other.size_ ? -1 : 1;
    }
    for (int i = size_ - 1; i >= 0; --i) {
      if (words_[i] != other.words_[i]) {
        return words_[i] < other.words_[i] ? -1 : 1;
      }
    }
    return 0;
  }

 private:
  uint32_t words_[128];
  int size_;
};

// The significant digits of a decimal and where they stand: value = digits x 10^scale, plus
// something below the last kept digit's unit when `dropped_non_zero`.
struct Decimal {
  unsigned char digits[kMaxDigits];
  int count = 0;
  int64_t scale = 0;
  bool dropped_non_zero = false;

  void Add(int digit, bool after_point) {
    if (count == 0 && digit == 0) {
      scale -= after_point ? 1 : 0;
    } else if (count < kMaxDigits) {
      digits[count++] = static_cast<unsigned char>(digit);
      scale -= after_point ? 1 : 0;
    } else {
      dropped_non_zero = dropped_non_zero || digit != 0;
      scale += after_point ? 0 : 1;
    }
  }

  void DropTrailingZeros() {
    for (; count > 0 && digits[count - 1] == 0; --count) {
      ++scale;
    }
  }

  BigNumber Integer() const {
    BigNumber number(0);
    for (int i = 0; i < count;) {
      uint32_t chunk = 0;
      uint32_t factor = 1;
      for (int end = i + 9 < count ? i + 9 : count; i < end; ++i) {
        chunk = chunk * 10 + digits[i];
        factor *= 10;
      }
      number.MultiplyAdd(factor, chunk);
    }
    return number;
  }
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

long double PowerOfTen(int64_t exponent) {
  long double result = 1;
  long double base = 10;
  for (uint64_t k = static_cast<uint64_t>(exponent < 0 ? -exponent : exponent); k != 0; k >>= 1) {
    if ((k & 1) != 0) {
      result *= base;
    }
    base *= base;
  }
  return exponent < 0 ? 1 / result : result;
}

class NearestDouble {
 public:
  explicit NearestDouble(const Decimal& decimal) : decimal_(decimal), integer_(decimal.Integer()) {}

  // The bits of the non-negative double nearest the decimal; the infinity's when it rounds past
  // the largest double. `guess` is any bit pattern below the infinity's.
  uint64_t Find(uint64_t guess) const {
    uint64_t low = 0;  // the answer lies in [low, high]
    uint64_t high = kInfinityBits;
    if (RoundsAbove(guess)) {
      low = guess + 1;
      for (uint64_t step = 1; high - low > step; step *= 2) {
        if (!RoundsAbove(low + step)) {
          high = low + step;
          break;
        }
        low += step + 1;
      }
    } else {
      high = guess;
      for (uint64_t step = 1; high - low > step; step *= 2) {
        if (RoundsAbove(high - step)) {
          low = high - step + 1;
          break;
        }
        high -= step;
      }
    }
    while (low < high) {
      const uint64_t middle = low + (high - low) / 2;
      if (RoundsAbove(middle)) {
        low = middle + 1;
      } else {
        high = middle;
      }
    }
    return low;
  }

 private:
  // Whether the decimal rounds to a double above the one with these bits: it lies above the
  // halfway point to the next double, or on it while these bits are odd.
  bool RoundsAbove(uint64_t bits) const {
    const uint64_t fraction = bits & ((uint64_t{1} << kFractionBits) - 1);
    const int64_t biased = static_cast<int64_t>(bits >> kFractionBits);
    const uint64_t m = biased != 0 ? fraction | (uint64_t{1} << kFractionBits) : fraction;
    const int64_t e = biased != 0 ? biased - 1075 : -1074;
    BigNumber decimal = integer_;
    BigNumber halfway(2 * m + 1);
    if (decimal_.scale >= 0) {
      decimal.MultiplyByPowerOfTen(decimal_.scale);
    } else {
      halfway.MultiplyByPowerOfTen(-decimal_.scale);
    }
    if (e - 1 >= 0) {
      halfway.ShiftLeft(e - 1);
    } else {
      decimal.ShiftLeft(1 - e);
    }
    int order = decimal.CompareWith(halfway);
    if (order == 0 && decimal_.dropped_non_zero) {
      order = 1;
    }
    return order > 0 || (order == 0 && (bits & 1) != 0);
  }

  const Decimal& decimal_;
  BigNumber integer_;
};

double Magnitude(Decimal& decimal) {
  decimal.DropTrailingZeros();
  if (decimal.count == 0) {
    return 0.0;
  }
  const int64_t places = decimal.count + decimal.scale;
  if (places >= kOverflowPlaces) {
    return std::numeric_limits<double>::infinity();
  }
  if (places <= kUnderflowPlaces) {
    return 0.0;
  }
  const int leading = decimal.count < 19 ? decimal.count : 19;
  uint64_t head = 0;
  for (int i = 0; i < leading; ++i) {
    head = head * 10 + decimal.digits[i];
  }
  const double estimate =
      static_cast<double>(head * PowerOfTen(decimal.scale + decimal.count - leading));
  uint64_t guess = kInfinityBits - 1;
  if (estimate < std::numeric_limits<double>::max()) {
    std::memcpy(&guess, &estimate, sizeof guess);
  }
  const uint64_t bits = NearestDouble(decimal).Find(guess);
  double result;
  std::memcpy(&result, &bits, sizeof result);
  return result;
}

}  // namespace

const char* ReadDecimalReal(const char* begin, const char* end, double& value) {
  value = 0.0;
  const char* p = begin;
  const bool negative = p != end && *p == '-';
  if (p != end && (*p == '-' || *p == '+')) {
    ++p;
  }
  Decimal decimal;
  bool any_digit = false;
  bool after_point = false;
  for (; p != end && (IsDigit(*p) || (*p == '.' && !after_point)); ++p) {
    if (*p == '.') {
      after_point = true;
    } else {
      any_digit = true;
      decimal.Add(*p - '0', after_point);
    }
  }
  if (!any_digit) {
    return begin;
  }
  if (p != end && (*p == 'e' || *p == 'E')) {
    const char* q = p + 1;
    const bool negative_exponent = q != end && *q == '-';
    if (q != end && (*q == '-' || *q == '+')) {
      ++q;
    }
    if (q != end && IsDigit(*q)) {
      int64_t exponent = 0;
      for (; q != end && IsDigit(*q); ++q) {
        exponent = exponent < kExponentLimit ? exponent * 10 + (*q - '0') : exponent;
      }
      decimal.scale += negative_exponent ? -exponent : exponent;
      p = q;
    }
  }
  const double magnitude = Magnitude(decimal);
  value = negative ? -magnitude : magnitude;
  return p;
}
