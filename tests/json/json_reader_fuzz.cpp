// Every input that parses must write a text that parses again to a value writing the
// same text; copies must write the same text as their source. An input made only of the
// characters of number tokens must read as a real exactly as the C library reads it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "json/decimal_real.h"
#include "json/json_reader.h"
#include "json/json_value.h"
#include "json/json_writer.h"

namespace {

void CheckRealAgainstTheCLibrary(const std::string& text) {
  if (text.find_first_not_of("0123456789+-.eE") != std::string::npos) {
    return;
  }
  char* scanned = nullptr;
  const double expected = std::strtod(text.c_str(), &scanned);
  double value = 0.0;
  const char* end = ReadDecimalReal(text.data(), text.data() + text.size(), value);
  if (end != scanned || std::memcmp(&value, &expected, sizeof value) != 0) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  CheckRealAgainstTheCLibrary(text);
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
