// libFuzzer target: the skin container splitting on arbitrary bytes. Every
// record it returns must lie within the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "ui/framework/skin_container.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SkinContainerParts parts;
  if (!SplitSkinContainer(std::string_view(reinterpret_cast<const char*>(data), size), parts)) {
    return 0;
  }
  size_t total = 12 + parts.json_text.size();
  for (const auto& record : parts.records) total += 8 + record.second.size();
  if (total > size) std::abort();
  return 0;
}
