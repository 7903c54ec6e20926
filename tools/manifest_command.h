// "brindle-pack manifest": the three files of a Windows Package Manager (winget) manifest,
// schema 1.10.0 (version, defaultLocale, installer), for a packed setup program.
#ifndef BRINDLE_TOOLS_MANIFEST_COMMAND_H_
#define BRINDLE_TOOLS_MANIFEST_COMMAND_H_

#include <cstdio>
#include <string>
#include <vector>

#include "tools/setup_facts.h"

struct ManifestOptions {
  std::string setup;       // the setup package
  std::string identifier;  // Publisher.Product: winget's PackageIdentifier
  std::string url;         // where winget downloads the setup from (http or https)
  std::string out = ".";   // the existing folder the three files go into
  std::string locale = "en-US";
  std::string license = "Proprietary";
  std::string description;  // ShortDescription; empty: the product's name
};

// Parses the arguments after "manifest". False with `problem` on a usage error.
bool ParseManifestOptions(const std::vector<std::string>& arguments, ManifestOptions& options,
                          std::string& problem);

// The text of each manifest file for `facts`; portable, no file access.
std::string VersionManifest(const ManifestOptions& options, const SetupFacts& facts);
std::string LocaleManifest(const ManifestOptions& options, const SetupFacts& facts);
std::string InstallerManifest(const ManifestOptions& options, const SetupFacts& facts);

// Why `identifier` cannot be a PackageIdentifier (empty when it can): two to eight parts joined
// by ".", each 1 to 32 characters, none a blank, control character or one of \ / : * ? " < > |.
std::string IdentifierProblem(const std::string& identifier);

// Writes <identifier>.yaml, <identifier>.locale.<locale>.yaml and <identifier>.installer.yaml
// into options.out, names them on `out`, and returns the exit code: 0, or 1 (with the reason on
// `err`) when the setup cannot be read, states no version, names no publisher or a file cannot
// be written.
int RunManifest(const ManifestOptions& options, FILE* out, FILE* err);

#endif  // BRINDLE_TOOLS_MANIFEST_COMMAND_H_
