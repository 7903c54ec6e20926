// The start-up's reading of the package config: which life the process leads.
#ifndef BRINDLE_APP_PACKAGE_CONFIG_H_
#define BRINDLE_APP_PACKAGE_CONFIG_H_

#include <string>

class JsonValue;
class PackageFile;
class UIResource;

// Run modes named by the package config's "mode".
enum RunMode : int {
  kRunModeUninstall = 0,
  // Install is every nonzero mode; the packer writes 1.
  kRunModeInstall = 1,
};

// Reads the package config behind the program image of `package` (the
// running executable, in the program) into `config` and its run mode
// into `run_mode`. False ("no valid package") when the file cannot be read,
// the package offset or the config length is out of bounds, a read is short,
// the text is no JSON, or the root is no object with a member "mode"; then
// `run_mode` is unchanged. The mode is the low 32 bits of the member's
// integer reading: an integer as is, a boolean 0 or 1, a real truncated, a
// string by its leading digits, anything else 0.
bool ReadPackageConfig(const PackageFile& package, JsonValue& config, int& run_mode);

// True when `config` carries the product's own skin ("skin").
bool HasPackageSkin(const JsonValue& config);

// Loads the skin that `config` carries into `skin`. False when there is none,
// or when it is no Base64 text of a skin container (plain or packed).
bool LoadPackageSkin(const JsonValue& config, UIResource& skin);

#endif  // BRINDLE_APP_PACKAGE_CONFIG_H_
