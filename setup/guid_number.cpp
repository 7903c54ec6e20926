#include "setup/guid_number.h"

#include <objbase.h>

uint64_t NewGuidNumber() {
  GUID guid = {};
  if (FAILED(CoCreateGuid(&guid))) return 0;
  return static_cast<uint64_t>(guid.Data1) | static_cast<uint64_t>(guid.Data2) << 32 |
         static_cast<uint64_t>(guid.Data3) << 48;
}
