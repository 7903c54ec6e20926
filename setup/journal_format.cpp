#include "setup/journal_format.h"

#include <zlib.h>

namespace {

constexpr char kMagic[] = "BrindleJournal1\n";
constexpr size_t kMagicSize = sizeof kMagic - 1;
constexpr size_t kFrameHeader = 8;  // length, CRC

void PutU32(uint32_t value, std::string& out) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>(value >> shift));
}

uint32_t GetU32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

uint32_t Crc(const char* data, size_t size) {
  uLong crc = crc32(0L, Z_NULL, 0);
  return static_cast<uint32_t>(
      crc32(crc, reinterpret_cast<const Bytef*>(data), static_cast<uInt>(size)));
}

// Splits a payload into its kind and fields; false when they do not add up
// to exactly the payload.
bool DecodePayload(const std::string& payload, JournalRecord& record) {
  if (payload.empty()) return false;
  record.kind = static_cast<JournalKind>(payload[0]);
  record.fields.clear();
  size_t at = 1;
  while (at < payload.size()) {
    if (payload.size() - at < 4) return false;
    const uint32_t size = GetU32(payload, at);
    at += 4;
    if (size > payload.size() - at) return false;
    record.fields.push_back(payload.substr(at, size));
    at += size;
  }
  return true;
}

}  // namespace

std::string JournalHeader() { return std::string(kMagic, kMagicSize); }

std::string EncodeJournalRecord(const JournalRecord& record) {
  std::string payload(1, static_cast<char>(record.kind));
  for (const std::string& field : record.fields) {
    PutU32(static_cast<uint32_t>(field.size()), payload);
    payload += field;
  }
  std::string framed;
  framed.reserve(kFrameHeader + payload.size());
  PutU32(static_cast<uint32_t>(payload.size()), framed);
  PutU32(Crc(payload.data(), payload.size()), framed);
  return framed + payload;
}

ParsedJournal ParseJournal(const std::string& bytes) {
  ParsedJournal parsed;
  if (bytes.compare(0, kMagicSize, kMagic, kMagicSize) != 0) return parsed;
  parsed.recognised = true;
  size_t at = kMagicSize;
  while (at < bytes.size()) {
    const size_t rest = bytes.size() - at;
    if (rest < kFrameHeader) break;
    const uint32_t size = GetU32(bytes, at);
    if (size > kMaxJournalPayload || size > rest - kFrameHeader) break;
    if (Crc(bytes.data() + at + kFrameHeader, size) != GetU32(bytes, at + 4)) break;
    JournalRecord record;
    if (!DecodePayload(bytes.substr(at + kFrameHeader, size), record)) break;
    parsed.records.push_back(std::move(record));
    at += kFrameHeader + size;
  }
  parsed.torn = at < bytes.size();
  return parsed;
}

std::string JournalNumber(uint32_t value) {
  std::string field;
  PutU32(value, field);
  return field;
}

uint32_t ReadJournalNumber(const std::string& field) {
  return field.size() == 4 ? GetU32(field, 0) : 0;
}
