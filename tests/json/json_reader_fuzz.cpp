// Every input that parses must write a text that parses again to a value writing the
// same text; copies must write the same text as their source.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "json/json_reader.h"
#include "json/json_value.h"
#include "json/json_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  JsonReader reader;
  JsonValue root;
  if (!reader.parse(text.c_str(), root)) {
    if (reader.message().empty() || reader.errorOffset() > text.size()) {
      std::abort();
    }
    return 0;
  }
  JsonWriter writer;
  std::string written = writer.write(root);
  JsonValue reread;
  if (!reader.parse(written.c_str(), reread) || writer.write(reread) != written) {
    std::abort();
  }
  JsonValue copy(root);
  if (writer.write(copy) != written) {
    std::abort();
  }
  return 0;
}
