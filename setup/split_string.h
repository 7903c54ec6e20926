// Splitting byte strings at a separator.
#pragma once

#include <string>
#include <vector>

// Cuts `text` at every occurrence of `separator`. Every piece before an
// occurrence is kept, empty pieces included; the rest after the last
// occurrence is kept only if it is not empty. So "a//b/" split at "/" gives
// "a", "" and "b"; a text without the separator gives itself; an empty text
// gives no piece. An empty separator never matches.
std::vector<std::string> SplitString(const std::string& text, const std::string& separator);
