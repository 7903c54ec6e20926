// libFuzzer target: the skin container as the setup program loads it, on arbitrary bytes: first
// the packed form (".uiz", unpacked in place; other bytes pass unchanged), then the splitting.
// Aborts when unpacking yields more than the packed form may state, when a refused packed form
// changed the bytes, or when the records returned do not lie within the (unpacked) container.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ui/framework/packed_skin.h"
#include "ui/framework/skin_container.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::string bytes = input;
  if (!UnpackSkinContainer(bytes)) {
    if (bytes != input) std::abort();
    return 0;
  }
  if (bytes.size() > kMaxSkinContainerBytes && bytes != input) std::abort();
  SkinContainerParts parts;
  if (!SplitSkinContainer(bytes, parts)) return 0;
  size_t total = 12 + parts.json_text.size();
  for (const auto& record : parts.records) total += 8 + record.second.size();
  if (total > bytes.size()) std::abort();
  return 0;
}
