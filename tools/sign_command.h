// "brindle-pack sign": signs a setup package that brindle-pack pack wrote.
#ifndef BRINDLE_TOOLS_SIGN_COMMAND_H_
#define BRINDLE_TOOLS_SIGN_COMMAND_H_

#include <cstdio>
#include <string>
#include <vector>

#include "tools/signing.h"

struct SignCommandOptions {
  SigningOptions signing;
  std::string file;    // the setup package to sign
  std::string output;  // where the signed package goes; empty: replaces `file`
};

// Parses the arguments that follow "sign". False with `problem` set on an unknown or incomplete
// option, no --cert, or not exactly one file.
bool ParseSignOptions(const std::vector<std::string>& arguments, SignCommandOptions& options,
                      std::string& problem);

// Signs and reports on `out` and `err`. The file must be an intact setup package. The output is
// replaced only by a complete signed file. Returns the exit code: 0 signed, 1 bad input or a
// failed signing.
int RunSign(const SignCommandOptions& options, FILE* out, FILE* err);

#endif  // BRINDLE_TOOLS_SIGN_COMMAND_H_
