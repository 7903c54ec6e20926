#include "setup/journal_format.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

namespace {

std::vector<JournalRecord> SampleRecords() {
  return {
      {JournalKind::kInstallBegun, {std::string("C\0:\0\\\0", 6)}},
      {JournalKind::kNewPaths, {"a", "", std::string(300, 'x')}},
      {JournalKind::kCommitted, {}},
      {JournalKind::kMovedAside, {"target", "target.old", "1"}},
  };
}

std::string Journal(const std::vector<JournalRecord>& records) {
  std::string bytes = JournalHeader();
  for (const JournalRecord& record : records) bytes += EncodeJournalRecord(record);
  return bytes;
}

void ExpectSameRecords(const std::vector<JournalRecord>& expected,
                       const std::vector<JournalRecord>& actual) {
  ASSERT_EQ(expected.size(), actual.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(expected[i].kind, actual[i].kind) << i;
    EXPECT_EQ(expected[i].fields, actual[i].fields) << i;
  }
}

TEST(JournalFormatTest, RecordsComeBackAsWritten) {
  const ParsedJournal parsed = ParseJournal(Journal(SampleRecords()));
  EXPECT_TRUE(parsed.recognised);
  EXPECT_FALSE(parsed.torn);
  ExpectSameRecords(SampleRecords(), parsed.records);
}

// A power cut may end the file anywhere in the last append: every cut
// keeps exactly the records written before it.
TEST(JournalFormatTest, EveryCutOfTheLastRecordLeavesTheCompleteOnes) {
  const std::vector<JournalRecord> records = SampleRecords();
  const std::string complete = Journal({records.begin(), records.end() - 1});
  const std::string last = EncodeJournalRecord(records.back());
  for (size_t cut = 0; cut < last.size(); ++cut) {
    SCOPED_TRACE(cut);
    const ParsedJournal parsed = ParseJournal(complete + last.substr(0, cut));
    EXPECT_EQ(cut > 0, parsed.torn);
    ExpectSameRecords({records.begin(), records.end() - 1}, parsed.records);
  }
}

// A damaged byte anywhere in a record (its length, CRC or payload) ends
// the journal before that record.
TEST(JournalFormatTest, ADamagedRecordEndsTheJournalBeforeIt) {
  const std::vector<JournalRecord> records = SampleRecords();
  const std::string head = Journal({records[0], records[1]});
  const std::string damaged = EncodeJournalRecord(records[2]) + EncodeJournalRecord(records[3]);
  const size_t third_size = EncodeJournalRecord(records[2]).size();
  for (size_t at = 0; at < third_size; ++at) {
    SCOPED_TRACE(at);
    std::string bytes = head + damaged;
    bytes[head.size() + at] ^= 0x40;
    const ParsedJournal parsed = ParseJournal(bytes);
    EXPECT_TRUE(parsed.torn);
    ExpectSameRecords({records[0], records[1]}, parsed.records);
  }
}

TEST(JournalFormatTest, LengthsBeyondTheLimitOrTheFileAreRefused) {
  for (uint32_t length : {kMaxJournalPayload + 1, 0xFFFFFFFFu, 100u}) {
    SCOPED_TRACE(length);
    std::string bytes = JournalHeader() + JournalNumber(length) + JournalNumber(0) + "\x01";
    const ParsedJournal parsed = ParseJournal(bytes);
    EXPECT_TRUE(parsed.torn);
    EXPECT_TRUE(parsed.records.empty());
  }
}

// A frame whose CRC holds but whose fields run past its payload.
TEST(JournalFormatTest, FieldsThatDoNotAddUpToThePayloadAreRefused) {
  // Kind byte, then a field length of 9 with only 2 bytes after it.
  const std::string payload = std::string("\x01", 1) + JournalNumber(9) + "ab";
  const uLong crc = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(payload.data()),
                          static_cast<uInt>(payload.size()));
  const std::string frame = JournalNumber(static_cast<uint32_t>(payload.size())) +
                            JournalNumber(static_cast<uint32_t>(crc)) + payload;
  const ParsedJournal parsed = ParseJournal(Journal(SampleRecords()) + frame);
  EXPECT_TRUE(parsed.torn);
  ExpectSameRecords(SampleRecords(), parsed.records);
}

TEST(JournalFormatTest, BytesWithoutTheHeaderAreNotAJournal) {
  for (const std::string& bytes :
       {std::string(), std::string("BrindleJournal"), std::string("MZ\x90\0", 4),
        Journal(SampleRecords()).substr(1)}) {
    const ParsedJournal parsed = ParseJournal(bytes);
    EXPECT_FALSE(parsed.recognised);
    EXPECT_TRUE(parsed.records.empty());
  }
}

TEST(JournalFormatTest, NumbersRoundTripAndOtherSizesReadAsZero) {
  for (uint32_t value : {0u, 1u, 0x12345678u, 0xFFFFFFFFu}) {
    EXPECT_EQ(value, ReadJournalNumber(JournalNumber(value)));
  }
  EXPECT_EQ(0u, ReadJournalNumber("abc"));
  EXPECT_EQ(0u, ReadJournalNumber("abcde"));
}

}  // namespace
