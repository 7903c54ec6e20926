// The bytes of a run's journal on disk: a header, then records appended one
// at a time. Each record is framed as
//
//   u32 payload length | u32 CRC-32 of the payload | payload
//
// (little-endian), and a payload is one kind byte followed by its fields,
// each a u32 byte count and that many bytes. A record becomes part of the
// journal only when its frame is complete and its CRC matches: a power cut
// in the middle of an append leaves a torn last record, which ParseJournal
// leaves out together with anything after it. What a field holds (UTF-16LE
// paths, numbers) is the writer's business; this layer only frames bytes.
//
// Portable: no platform headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What a record says. The numbers are stored on disk: never reuse one.
enum class JournalKind : uint8_t {
  kInstallBegun = 1,     // install folder
  kNewPaths = 2,         // older setups: paths absent before the run (read as kRunCreates names)
  kMovedAside = 3,       // target, backup, keep ("1" or "0"): before the move
  kMoveCancelled = 4,    // target, backup: the move of the record before did not happen
  kNewFile = 5,          // a file outside kNewPaths the run is about to create
  kNewFolder = 6,        // a folder outside kNewPaths the run is about to create
  kEntryBefore = 7,      // registry key, then the values it held (see install_journal)
  kKeptRestored = 8,     // file, backup: an earlier install's kept original about to come back
  kPinned = 9,           // Quick Launch link name about to be pinned to the taskbar
  kFoldersToPrune = 10,  // folders the committed run removes when empty
  kCommitted = 11,       // the run succeeded: only the cleanup of its backups is left
  kUninstallBegun = 12,  // the uninstaller's package config (JSON text): finish it
  kEmptyFolders = 13,    // older setups: folders empty before the run (nothing is undone by it)
  kRunCreates = 14,      // the names absent before the run that it creates: files, and folders
                         // (ending in "\"); only these very names are the run's
};

struct JournalRecord {
  JournalKind kind = JournalKind::kInstallBegun;
  std::vector<std::string> fields;
};

// The bytes every journal file starts with.
std::string JournalHeader();

// The framed bytes of `record`, to be appended to a journal.
std::string EncodeJournalRecord(const JournalRecord& record);

struct ParsedJournal {
  // False when the bytes do not start with JournalHeader(): nothing in them
  // is trusted.
  bool recognised = false;
  // The complete records, in the order written.
  std::vector<JournalRecord> records;
  // True when bytes after the last complete record were left out (a torn or
  // damaged record).
  bool torn = false;
};

// Reads `bytes` (a whole journal file). Never throws on bad input; a length
// beyond the rest of the bytes or kMaxJournalPayload, a CRC mismatch or a
// payload whose fields do not add up ends the records there.
ParsedJournal ParseJournal(const std::string& bytes);

// The largest payload a record may have, in bytes.
constexpr uint32_t kMaxJournalPayload = 64u << 20;

// A u32 as a 4-byte little-endian field, and back (0 for a field of another
// size).
std::string JournalNumber(uint32_t value);
uint32_t ReadJournalNumber(const std::string& field);
