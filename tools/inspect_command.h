// "brindle-pack inspect": what a setup package or an uninstaller copy holds, or the rule of the
// package layout that the file breaks.
#ifndef BRINDLE_TOOLS_INSPECT_COMMAND_H_
#define BRINDLE_TOOLS_INSPECT_COMMAND_H_

#include <cstdio>
#include <string>

// Prints the report on `out` and any broken rule on `err`, then the file's Authenticode signature
// as "osslsigncode verify" sees it, with `ca_file` as the trusted certificates when not empty.
// Returns the exit code: 0 when the file is an intact setup package or uninstaller copy, 1 when
// it breaks a rule, cannot be read, or was changed after it was signed.
int RunInspect(const std::string& path, const std::string& ca_file, FILE* out, FILE* err);

#endif  // BRINDLE_TOOLS_INSPECT_COMMAND_H_
