#include "setup/base64.h"

#include <cstdint>
#include <cstring>
#include <utility>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kPad = '=';

// Value of one Base64 character; 0 for "=" and for characters outside the
// alphabet (the decoder does not validate).
uint32_t SextetOf(char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<uint32_t>(c - 'A');
  if (c >= 'a' && c <= 'z') return static_cast<uint32_t>(c - 'a' + 26);
  if (c >= '0' && c <= '9') return static_cast<uint32_t>(c - '0' + 52);
  if (c == '+') return 62;
  if (c == '/') return 63;
  return 0;
}

// The 24 bits of one group of up to 4 characters; missing characters are
// padding.
uint32_t GroupBits(std::string_view group) {
  uint32_t bits = 0;
  for (size_t i = 0; i < 4; ++i) {
    bits = (bits << 6) | (i < group.size() ? SextetOf(group[i]) : 0);
  }
  return bits;
}

bool IsPadOrMissing(std::string_view group, size_t index) {
  return index >= group.size() || group[index] == kPad;
}

}  // namespace

std::string Base64EncodeBytes(std::string_view bytes) {
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t count = bytes.size() - i < 3 ? bytes.size() - i : 3;
    uint32_t bits = 0;
    for (size_t k = 0; k < 3; ++k) {
      bits = (bits << 8) | (k < count ? static_cast<uint8_t>(bytes[i + k]) : 0u);
    }
    text += kAlphabet[(bits >> 18) & 0x3F];
    text += kAlphabet[(bits >> 12) & 0x3F];
    text += count > 1 ? kAlphabet[(bits >> 6) & 0x3F] : kPad;
    text += count > 2 ? kAlphabet[bits & 0x3F] : kPad;
  }
  return text;
}

std::string Base64DecodeText(std::string_view text) {
  std::string bytes;
  if (text.empty()) return bytes;
  const size_t last_start = (text.size() - 1) / 4 * 4;
  bytes.reserve(last_start / 4 * 3 + 3);
  for (size_t i = 0; i < last_start; i += 4) {
    const uint32_t bits = GroupBits(text.substr(i, 4));
    bytes += static_cast<char>(bits >> 16);
    bytes += static_cast<char>(bits >> 8);
    bytes += static_cast<char>(bits);
  }
  const std::string_view last = text.substr(last_start);
  const uint32_t bits = GroupBits(last);
  bytes += static_cast<char>(bits >> 16);
  if (!IsPadOrMissing(last, 1) && !IsPadOrMissing(last, 2)) {
    bytes += static_cast<char>(bits >> 8);
  }
  if (!IsPadOrMissing(last, 2) && !IsPadOrMissing(last, 3)) {
    bytes += static_cast<char>(bits);
  }
  return bytes;
}

const char* Base64Encode(const char* bytes, ScratchPool& pool) {
  if (!bytes || !*bytes) return "";
  return pool.Keep(Base64EncodeBytes(bytes));
}

const char* Base64Decode(const char* text, ScratchPool& pool) {
  if (!text || !*text) return "";
  std::string bytes = Base64DecodeText(text);
  bytes.resize(std::strlen(bytes.c_str()));
  if (bytes.empty()) return "";
  return pool.Keep(std::move(bytes));
}
