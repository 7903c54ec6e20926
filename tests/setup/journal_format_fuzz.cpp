// libFuzzer target: a journal file as a recovery reads it after a power cut. The input is the
// whole file. Aborts when the records read back do not encode to exactly the bytes they were read
// from (a record accepted that the writer could not have written), or when a complete prefix of
// the input does not read back the same records.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "setup/journal_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const ParsedJournal parsed = ParseJournal(bytes);
  if (!parsed.recognised) return 0;
  std::string written = JournalHeader();
  for (const JournalRecord& record : parsed.records) written += EncodeJournalRecord(record);
  if (bytes.compare(0, written.size(), written) != 0) std::abort();
  if (parsed.torn == (written.size() == bytes.size())) std::abort();
  const ParsedJournal again = ParseJournal(written);
  if (again.torn || again.records.size() != parsed.records.size()) std::abort();
  return 0;
}
