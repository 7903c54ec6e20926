// Base64 with the standard alphabet and "=" padding, no line breaks.
#pragma once

#include <string>
#include <string_view>

#include "setup/scratch_pool.h"

// Encodes any bytes: every 3 bytes give 4 characters; a final group of 1 or 2
// bytes gives 2 or 3 characters followed by "==" or "=".
std::string Base64EncodeBytes(std::string_view bytes);

// Decodes text as Base64EncodeBytes writes it; zero bytes in the decoded
// content are kept. The text is cut into groups of 4 characters, the last
// group holding the last 1 to 4 characters. Every group but the last gives 3
// bytes. The last group always gives its first byte, its second only if
// neither its second nor its third character is "=", and its third only if
// neither its third nor its fourth character is "="; characters missing from
// a short last group count as "=". No validation: a character outside the
// alphabet decodes as 0 and a line break as a character, giving wrong bytes
// and no error. Never reads outside `text`.
std::string Base64DecodeText(std::string_view text);

// Pool forms for zero-terminated text. The result is owned by `pool`; an empty
// result, and a null argument, give a static empty string that no pool owns.
// Base64Decode returns the decoded content up to its first zero byte.
const char* Base64Encode(const char* bytes, ScratchPool& pool);
const char* Base64Decode(const char* text, ScratchPool& pool);
