// Hints for a mistyped command-line option of brindle-pack: the options a
// command knows are those its help text names, so an option documented there
// is known here without a second list.
#ifndef BRINDLE_TOOLS_OPTION_HINTS_H_
#define BRINDLE_TOOLS_OPTION_HINTS_H_

#include <string>
#include <vector>

// Every option "--word" (letters, digits and "-") that `help_text` names, once each, in order.
std::vector<std::string> OptionsNamedIn(const std::string& help_text);

// The known option nearest to `given` (an option name without its "=value"):
// at most two letters added, removed, changed or swapped with a neighbour, and
// fewer than a third of the longer name; empty when none is that near.
std::string NearestOption(const std::string& given, const std::vector<std::string>& known);

// The problem with the first argument of `arguments` that looks like an
// option ("--word" or "--word=value"), is not one of `known` and has a
// nearest known option: "unknown option '--paylod'; did you mean --payload?".
// Empty when there is no such argument.
std::string MistypedOptionProblem(const std::vector<std::string>& arguments,
                                  const std::vector<std::string>& known);

#endif  // BRINDLE_TOOLS_OPTION_HINTS_H_
