// Hints for a mistyped command-line option of brindle-pack: the options a
// command knows are those its help text names, so an option documented there
// is known here without a second list.
#ifndef BRINDLE_TOOLS_OPTION_HINTS_H_
#define BRINDLE_TOOLS_OPTION_HINTS_H_

#include <string>
#include <utility>
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

// An option as given: its name ("--out") and value, and the argument it came from (for messages).
struct GivenOption {
  std::string name;
  std::string value;
  std::string argument;
};

// Sorts `arguments` into options, each "--name value" or "--name=value", and the other arguments
// (`operands`). False with `problem` when the last option has no value.
bool SplitOptions(const std::vector<std::string>& arguments, std::vector<GivenOption>& options,
                  std::vector<std::string>& operands, std::string& problem);

#endif  // BRINDLE_TOOLS_OPTION_HINTS_H_
