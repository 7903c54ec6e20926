#include "setup/base64.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

struct Vector {
  const char* bytes;
  const char* text;
};

// RFC 4648, section 10, plus bytes that use the alphabet's last characters.
constexpr Vector kVectors[] = {
    {"", ""},
    {"f", "Zg=="},
    {"fo", "Zm8="},
    {"foo", "Zm9v"},
    {"foob", "Zm9vYg=="},
    {"fooba", "Zm9vYmE="},
    {"foobar", "Zm9vYmFy"},
    {"\xfb\xff", "+/8="},
    {"\xff\xff\xff", "////"},
};

TEST(Base64Test, EncodesAndDecodesRfcVectors) {
  for (const Vector& v : kVectors) {
    SCOPED_TRACE(v.text);
    EXPECT_EQ(Base64EncodeBytes(v.bytes), v.text);
    EXPECT_EQ(Base64DecodeText(v.text), v.bytes);
  }
}

TEST(Base64Test, PoolFormsMatchRfcVectors) {
  ScratchPool pool;
  for (const Vector& v : kVectors) {
    SCOPED_TRACE(v.text);
    EXPECT_STREQ(Base64Encode(v.bytes, pool), v.text);
    EXPECT_STREQ(Base64Decode(v.text, pool), v.bytes);
  }
}

TEST(Base64Test, RoundTripsEveryByteValueAtEveryTailLength) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  for (size_t length = 0; length <= 9; ++length) {
    const std::string bytes = all.substr(256 - length) + all;
    const std::string text = Base64EncodeBytes(bytes);
    EXPECT_EQ(text.size() % 4, 0u);
    const size_t pads = text.size() - text.find_last_not_of('=') - 1;
    EXPECT_EQ(pads, (3 - bytes.size() % 3) % 3);
    EXPECT_EQ(Base64DecodeText(text), bytes) << "length " << bytes.size();
  }
}

TEST(Base64Test, EmptyAndNullGiveStaticEmptyStringOutsideThePool) {
  ScratchPool pool;
  EXPECT_STREQ(Base64Encode("", pool), "");
  EXPECT_STREQ(Base64Decode("", pool), "");
  EXPECT_STREQ(Base64Encode(nullptr, pool), "");
  EXPECT_STREQ(Base64Decode(nullptr, pool), "");
  EXPECT_EQ(pool.Count(), 0u);
}

TEST(Base64Test, PoolDecodeEndsAtFirstZeroByte) {
  ScratchPool pool;
  const std::string bytes("ab\0cd", 5);
  const std::string text = Base64EncodeBytes(bytes);
  EXPECT_EQ(Base64DecodeText(text), bytes);
  EXPECT_STREQ(Base64Decode(text.c_str(), pool), "ab");
  // Content that starts with a zero byte is empty text.
  EXPECT_STREQ(Base64Decode("AGFi", pool), "");
  EXPECT_EQ(pool.Count(), 1u);
}

TEST(Base64Test, ResultsStayValidUntilPoolIsReleased) {
  ScratchPool pool;
  const char* first = Base64Encode("first", pool);
  const char* second = Base64Decode("c2Vjb25k", pool);
  for (int i = 0; i < 100; ++i) Base64Encode("filler", pool);
  EXPECT_STREQ(first, "Zmlyc3Q=");
  EXPECT_STREQ(second, "second");
}

// A short final group is decoded as if padded, and the decoder reads only the
// characters it is given (the buffers below hold no terminator, so a read
// past them shows under AddressSanitizer).
TEST(Base64Test, ShortFinalGroupNeverReadsPastInput) {
  struct Case {
    const char* text;
    std::string bytes;
  };
  const Case cases[] = {
      {"Zm8", "fo"},        {"Zg", "f"},
      {"Z", "d"},  // one character: its 6 bits make the first byte
      {"Zm9vYmE", "fooba"}, {"Zm9vY", "foo`"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const size_t length = std::strlen(c.text);
    std::unique_ptr<char[]> exact(new char[length]);
    std::memcpy(exact.get(), c.text, length);
    EXPECT_EQ(Base64DecodeText(std::string_view(exact.get(), length)), c.bytes);
  }
}

TEST(Base64Test, DoesNotValidate) {
  // Characters outside the alphabet count as zero bits; no error.
  EXPECT_EQ(Base64DecodeText("Z!=="), std::string(1, 'd'));
  EXPECT_EQ(Base64DecodeText("Zm9v\nYmFy").size(), 7u);
}

}  // namespace
