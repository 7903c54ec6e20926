// Splitting of a skin container into its JSON text and its data records.
// Portable: byte-level only, no JSON and no Win32.
//
// Layout, every integer unsigned 32-bit little-endian:
//   offset 0      magic, the four bytes ".uir"
//   offset 4      L, length of the JSON text in bytes
//   offset 8      L bytes of JSON text (UTF-8; may end with a NUL byte)
//   offset 8 + L  N, number of records
//   then N records, each: id, size S, S bytes of data
// Bytes after the last record are ignored.
#ifndef BRINDLE_UI_FRAMEWORK_SKIN_CONTAINER_H_
#define BRINDLE_UI_FRAMEWORK_SKIN_CONTAINER_H_

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

struct SkinContainerParts {
  // The L bytes of the text exactly as stored (embedded NUL bytes included).
  std::string json_text;
  // Record bytes by id; a later record with an id seen before replaces the
  // earlier one.
  std::map<uint32_t, std::string> records;
};

// Splits `bytes` into `out`. Returns false when the magic is wrong or when any
// length or count runs past the end of `bytes`; nothing is read beyond the
// end, and `out` is left unchanged on failure.
bool SplitSkinContainer(std::string_view bytes, SkinContainerParts& out);

#endif  // BRINDLE_UI_FRAMEWORK_SKIN_CONTAINER_H_
