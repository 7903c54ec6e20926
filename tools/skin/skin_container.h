// Byte layout of a skin container (".uir"), the file that the setup program embeds as resource
// "UIR" 129. Every integer is unsigned 32-bit little-endian:
//   offset 0      magic ".uir"
//   offset 4      L, length of the description's text
//   offset 8      L bytes of text (UTF-8 JSON; the shipped container ends it with "\n" and NUL)
//   offset 8 + L  N, number of records
//   then N records: id, size S, S bytes
#ifndef BRINDLE_TOOLS_SKIN_SKIN_CONTAINER_H_
#define BRINDLE_TOOLS_SKIN_SKIN_CONTAINER_H_

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

struct SkinContainer {
  // The L bytes of the description exactly as stored.
  std::string text;
  // Record bytes by id. A later record with an id seen before replaces the earlier one, as the
  // loader does.
  std::map<uint32_t, std::string> records;
  // Ids that occurred more than once, in file order of their repetition.
  std::vector<uint32_t> repeated_ids;
};

// Reads `bytes` as a container. Stricter than the loader: bytes after the last record are an
// error too. Returns false with `error` naming the first broken rule and its byte offset;
// `out` is then unspecified.
bool ParseSkinContainer(std::string_view bytes, SkinContainer& out, std::string& error);

#endif  // BRINDLE_TOOLS_SKIN_SKIN_CONTAINER_H_
