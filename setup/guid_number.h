// Random 64-bit numbers taken from a fresh GUID.
#pragma once

#include <cstdint>

// Creates a GUID and returns its first 8 bytes as a little-endian number:
// Data1 in bits 0-31, Data2 in bits 32-47, Data3 in bits 48-63. 0 if no GUID
// could be created.
uint64_t NewGuidNumber();
