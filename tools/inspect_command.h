// "brindle-pack inspect": what a setup package or an uninstaller copy holds, or the rule of the
// package layout that the file breaks.
#ifndef BRINDLE_TOOLS_INSPECT_COMMAND_H_
#define BRINDLE_TOOLS_INSPECT_COMMAND_H_

#include <cstdio>
#include <string>

// Prints the report on `out` and any broken rule on `err`. Returns the exit code: 0 when the file
// is an intact setup package or uninstaller copy, 1 when it breaks a rule or cannot be read.
int RunInspect(const std::string& path, FILE* out, FILE* err);

#endif  // BRINDLE_TOOLS_INSPECT_COMMAND_H_
