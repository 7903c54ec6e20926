// "brindle-pack pack": builds a setup package from a stub executable, a payload folder, a licence
// text and the shortcut lists.
#ifndef BRINDLE_TOOLS_PACK_COMMAND_H_
#define BRINDLE_TOOLS_PACK_COMMAND_H_

#include <cstdio>
#include <string>
#include <vector>

#include "json/json_value.h"
#include "setup/product_identity.h"
#include "setup/shortcut_place.h"
#include "tools/signing.h"

struct ShortcutSpec {
  std::string name;  // the shortcut's file name without ".lnk"
  std::string file;  // target path relative to the install folder
};

enum class ProgressMode { kAuto, kAlways, kNever };

// The identity options (--product-id and the others); `given` when any of them was given, and
// only then does the package config carry "product".
struct ProductOptions {
  bool given = false;
  std::string id;  // empty: the name
  std::string name;
  std::string publisher;
  std::string help_link;
  std::string language = "zh";
  std::vector<std::string> remove_on_uninstall;
};

struct PackOptions {
  std::string stub;
  std::string payload;
  std::string licence;
  std::string lastrun;
  std::string output;
  std::vector<ShortcutSpec> desktop;
  std::vector<ShortcutSpec> taskbar;
  std::string product_version;  // empty: from the lastrun program's version resource, if any
  ProductOptions product;
  std::string skin;                // a skin container file; empty: the setup's built-in skin
  std::string icon;                // an icon file for the setup program; empty: the stub's own icon
  std::vector<std::string> texts;  // --texts: translation files (tools/texts_file.h), in order
  // --scope: for whom the package installs; kMachine (the default) leaves "scope" out.
  PackageScope scope = PackageScope::kMachine;
  // --shortcuts: whose desktop and start menu a machine install uses; kCurrentUser (the
  // default) leaves "shortcuts" out (and LocalSystem's installs still use the all-users ones).
  ShortcutPlace shortcuts = ShortcutPlace::kCurrentUser;
  SigningOptions signing;                       // signs the package when a certificate is given
  ProgressMode progress = ProgressMode::kAuto;  // kAuto: when stderr is a terminal
};

// Parses the arguments that follow "pack". False with `problem` set on an unknown or incomplete
// option, a missing required option, a shortcut that is not NAME=PATH, or a --scope other than
// user, machine or both.
bool ParsePackOptions(const std::vector<std::string>& arguments, PackOptions& options,
                      std::string& problem);

// The setup package's config: "mode" 1, "lastrun", "protocol" (Base64 of `licence_text`, which
// is UTF-8 with CR LF line breaks), "shortcut" with both lists, each entry {"file","name"}, and
// "version" (the product version that the Uninstall entry shows) unless `version` is empty.
JsonValue MakeSetupConfig(const std::string& lastrun, const std::string& licence_text,
                          const std::vector<ShortcutSpec>& desktop,
                          const std::vector<ShortcutSpec>& taskbar, const std::string& version);

// The options' product identity: the id defaults to the name. Meaningful when `options.given`.
ProductIdentity IdentityOf(const ProductOptions& options);

// Packs (and signs, when asked) and reports on `out` (summary) and `err` (errors, warnings,
// progress). Returns the exit code: 0 packed, 1 bad input, failed write or failed signing (no
// output file is left behind).
int RunPack(const PackOptions& options, FILE* out, FILE* err);

#endif  // BRINDLE_TOOLS_PACK_COMMAND_H_
