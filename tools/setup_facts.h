// What deployment tools need to know of a packed setup program: its architecture, product,
// scope, version and SHA-256, and where it registers the product. Read from the file's bytes
// without any platform; used by "inspect" and "manifest".
#ifndef BRINDLE_TOOLS_SETUP_FACTS_H_
#define BRINDLE_TOOLS_SETUP_FACTS_H_

#include <cstdio>
#include <string>
#include <vector>

#include "setup/product_identity.h"

struct SetupFacts {
  std::string architecture;  // "x86" or "x64"
  ProductIdentity product;   // its id is the name of the Uninstall subkey: the product code
  PackageScope scope = PackageScope::kMachine;
  std::string version;  // the "DisplayVersion"; empty when the package states none
  std::string sha256;   // of the whole file, 64 upper-case hexadecimal digits
};

// Reads the facts of the setup package `path`. False with `problem` (one sentence naming the
// file) when it is no readable setup package of a known architecture.
bool ReadSetupFacts(const std::string& path, SetupFacts& facts, std::string& problem);

// The Uninstall keys the install registers under, one per scope the package can install for,
// machine first, each as "HKEY_...\\...\\Uninstall\\<id>". An x86 machine install on 64-bit
// Windows writes to the 32-bit view (WOW6432Node); the path says so.
std::vector<std::string> UninstallKeyPaths(const SetupFacts& facts);

// Prints the SHA-256, the product code and the Uninstall key paths of the setup package `path`
// as lines of the inspect report (one line saying why, when they cannot be read).
void PrintDeploymentFacts(const std::string& path, FILE* out);

#endif  // BRINDLE_TOOLS_SETUP_FACTS_H_
