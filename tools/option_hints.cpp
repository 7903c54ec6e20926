#include "tools/option_hints.h"

#include <algorithm>
#include <cctype>

namespace {

bool IsOptionChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-'; }

// The optimal string alignment distance: insertions, deletions, changes and
// swaps of neighbours, each counting 1.
size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
  for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t change = a[i - 1] == b[j - 1] ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    }
  }
  return d[a.size()][b.size()];
}

}  // namespace

std::vector<std::string> OptionsNamedIn(const std::string& help_text) {
  std::vector<std::string> options;
  for (size_t at = help_text.find("--"); at != std::string::npos;
       at = help_text.find("--", at + 2)) {
    if (at > 0 && IsOptionChar(help_text[at - 1])) continue;
    size_t end = at + 2;
    while (end < help_text.size() && IsOptionChar(help_text[end])) ++end;
    const std::string option = help_text.substr(at, end - at);
    if (option.size() > 2 && std::find(options.begin(), options.end(), option) == options.end()) {
      options.push_back(option);
    }
  }
  return options;
}

std::string NearestOption(const std::string& given, const std::vector<std::string>& known) {
  std::string nearest;
  size_t best = 3;
  for (const std::string& option : known) {
    const size_t distance = EditDistance(given, option);
    if (distance < best && distance * 3 < std::max(given.size(), option.size()) - 2) {
      best = distance;
      nearest = option;
    }
  }
  return nearest;
}

std::string MistypedOptionProblem(const std::vector<std::string>& arguments,
                                  const std::vector<std::string>& known) {
  for (const std::string& argument : arguments) {
    if (argument.rfind("--", 0) != 0) continue;
    const std::string name = argument.substr(0, argument.find('='));
    if (std::find(known.begin(), known.end(), name) != known.end()) continue;
    const std::string nearest = NearestOption(name, known);
    if (!nearest.empty()) {
      return "unknown option '" + argument + "'; did you mean " + nearest + "?";
    }
  }
  return std::string();
}

bool SplitOptions(const std::vector<std::string>& arguments, std::vector<GivenOption>& options,
                  std::vector<std::string>& operands, std::string& problem) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument.rfind("--", 0) != 0) {
      operands.push_back(argument);
      continue;
    }
    const size_t equals = argument.find('=');
    if (equals != std::string::npos) {
      options.push_back({argument.substr(0, equals), argument.substr(equals + 1), argument});
    } else if (i + 1 < arguments.size()) {
      options.push_back({argument, arguments[i + 1], argument});
      ++i;
    } else {
      problem = "option " + argument + " needs a value";
      return false;
    }
  }
  return true;
}
