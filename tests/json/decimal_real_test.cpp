#include "json/decimal_real.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace {

// 2^-1075, half the smallest double, written out exactly (752 significant digits).
const std::string kHalfSmallest =
    "2.470328229206232720882843964341106861825299013071623822127928412503377536351043759326499181"
    "808179961898982823477228588654633283551779698981993873980053909390631503565951557022639229085"
    "839244910518443593180284993653615250031937045767824921936562366986365848075700158576926990370"
    "631192827955855133292783433840935197801553124659726357957462276646527282722005637400648549997"
    "709659947045402082816622623785739345073633900796776193057750674017632467360096895134053553745"
    "851666113422376667860416215968046191446729184030053005753084904876539171138659164623952491262"
    "365388187963623937328042389101867234849766823508986338858792562830275599565752445550725518931"
    "369083625477918694866799496832404970582102851318545139621383772282614543769341253209859132766"
    "7236328125e-324";

// Halfway between the largest double and 2^1024, exactly.
const std::string kHalfPastLargest =
    "179769313486231580793728971405303415079934132710037826936173778980444968292764750946649017977"
    "587207096330286416692887910946555547851940402630657488671505820681908902000708383676273854845"
    "817711531764475730270069855571366959622842914819860834936475292719074168444365510704342711559"
    "699508093042880177904174497792";

uint64_t Bits(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

struct Read {
  double value;
  size_t length;
};

Read ReadText(const std::string& text) {
  double value = -1.0;
  const char* end = ReadDecimalReal(text.data(), text.data() + text.size(), value);
  return {value, static_cast<size_t>(end - text.data())};
}

TEST(DecimalRealTest, ReadsTheNearestDoubleAndTheLongestDecimalPrefix) {
  constexpr double kInfinity = std::numeric_limits<double>::infinity();
  struct Case {
    std::string text;
    double expected;
    size_t length;
  };
  const Case cases[] = {
      {"0.1", 0x1.999999999999ap-4, 3},
      {"1e23", 0x1.52d02c7e14af6p+76, 4},
      {"2.2250738585072011e-308", 0x0.fffffffffffffp-1022, 23},
      {"2.2250738585072012e-308", 0x1p-1022, 23},
      {"4.9406564584124654e-324", 0x0.0000000000001p-1022, 23},
      {"2.4703282292062327e-324", 0.0, 23},
      {"2.4703282292062328e-324", 0x0.0000000000001p-1022, 23},
      {"1.7976931348623157e308", 0x1.fffffffffffffp+1023, 22},
      {"123456789012345678901234567890", 0x1.8ee90ff6c373ep+96, 30},
      // Exact ties go to the even neighbour; anything past a tie goes up.
      {"9007199254740993", 0x1p53, 16},
      {"9007199254740995", 0x1.0000000000002p53, 16},
      {"9007199254740993.0000000000000000000000000001", 0x1.0000000000001p53, 45},
      {"1.00000000000000011102230246251565404236316680908203125", 1.0, 55},
      {"1.00000000000000033306690738754696212708950042724609375", 0x1.0000000000002p0, 55},
      {kHalfSmallest, 0.0, kHalfSmallest.size()},
      {kHalfSmallest.substr(0, kHalfSmallest.size() - 5) + std::string(60, '0') + "1e-324",
       0x0.0000000000001p-1022, kHalfSmallest.size() + 61},
      {kHalfPastLargest, kInfinity, kHalfPastLargest.size()},
      {kHalfPastLargest.substr(0, kHalfPastLargest.size() - 1) + "1", 0x1.fffffffffffffp+1023,
       kHalfPastLargest.size()},
      {"1e309", kInfinity, 5},
      {"-1e99999999999999999999", -kInfinity, 23},
      {"1e-99999999999999999999", 0.0, 23},
      {"0." + std::string(400, '0') + "5e400", 0.5, 407},
      // Prefixes: the longest decimal real, nothing when it has no digit.
      {"-.5", -0.5, 3},
      {"+2.", 2.0, 3},
      {"1.2.3", 1.2, 3},
      {"1e", 1.0, 1},
      {"2e+", 2.0, 1},
      {"3.5-1", 3.5, 3},
      {"7E-1x", 0.7, 4},
      {"0x1p3", 0.0, 1},
      {".", 0.0, 0},
      {"-", 0.0, 0},
      {".e1", 0.0, 0},
      {"inf", 0.0, 0},
      {"", 0.0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 60));
    const Read read = ReadText(c.text);
    EXPECT_EQ(Bits(read.value), Bits(c.expected)) << read.value;
    EXPECT_EQ(read.length, c.length);
  }
  EXPECT_TRUE(std::signbit(ReadText("-0.0e5").value));
  EXPECT_TRUE(std::signbit(ReadText("-1e-400").value));
}

// Against the C library's conversion, which rounds correctly on the systems the tests run on
// (glibc; mingw-w64's own strtod): random digits, points and exponents around every binade,
// long mantissas among them.
TEST(DecimalRealTest, AgreesWithTheCLibraryOnRandomDecimals) {
  std::mt19937_64 random(20261209);
  for (int round = 0; round < 20000; ++round) {
    std::string text = random() % 2 != 0 ? "-" : "";
    const size_t digits = random() % 8 == 0 ? 20 + random() % 800 : 1 + random() % 20;
    const size_t point = random() % (digits + 1);
    for (size_t i = 0; i < digits; ++i) {
      text += i == point ? "." : "";
      text += static_cast<char>('0' + random() % 10);
    }
    text += "e" + std::to_string(static_cast<int>(random() % 700) - 350);
    char* scanned = nullptr;
    const double expected = std::strtod(text.c_str(), &scanned);
    const Read read = ReadText(text);
    ASSERT_EQ(Bits(read.value), Bits(expected)) << text;
    ASSERT_EQ(read.length, static_cast<size_t>(scanned - text.c_str())) << text;
  }
}

}  // namespace
