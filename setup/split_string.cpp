#include "setup/split_string.h"

std::vector<std::string> SplitString(const std::string& text, const std::string& separator) {
  std::vector<std::string> pieces;
  size_t start = 0;
  if (!separator.empty()) {
    for (size_t found = text.find(separator); found != std::string::npos;
         found = text.find(separator, start)) {
      pieces.push_back(text.substr(start, found - start));
      start = found + separator.size();
    }
  }
  if (start < text.size()) pieces.push_back(text.substr(start));
  return pieces;
}
