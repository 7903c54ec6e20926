// Whose desktop and start menu a machine install puts its shortcuts in. Stored in a config as
// the member "shortcuts": in a setup package, the packer's --shortcuts ("all-users": every
// machine install uses the all-users folders); in an uninstaller's config, the folders its
// install used ("all-users" when it used the all-users folders). Absent: "current-user", as
// every package and uninstaller written before the member existed. Portable.
#ifndef BRINDLE_SETUP_SHORTCUT_PLACE_H_
#define BRINDLE_SETUP_SHORTCUT_PLACE_H_

#include <string>
#include <string_view>

class JsonValue;

inline constexpr char kShortcutsMember[] = "shortcuts";

enum class ShortcutPlace {
  kCurrentUser,  // the running account's desktop and start menu
  kAllUsers,     // the all-users (public) desktop and start menu
};

// "current-user" or "all-users".
const char* ShortcutPlaceName(ShortcutPlace place);
// False for any other name.
bool ParseShortcutPlace(std::string_view name, ShortcutPlace& place);

// Reads "shortcuts" of `config`: kCurrentUser without it. False, with `problem`, when it is not
// one of the two names.
bool ReadShortcutPlace(const JsonValue& config, ShortcutPlace& place, std::string& problem);
// Writes "shortcuts" for kAllUsers; leaves `config` without the member for kCurrentUser.
void WriteShortcutPlace(ShortcutPlace place, JsonValue& config);

// The folders an install uses: a per-user install (`machine_install` false) always the
// account's own; a machine install the all-users ones when the package asks for them or when
// the LocalSystem account runs it (deployment tools do: its own desktop is seen by nobody),
// otherwise the account's own.
ShortcutPlace ChooseShortcutPlace(bool machine_install, ShortcutPlace package,
                                  bool runs_as_local_system);

#endif  // BRINDLE_SETUP_SHORTCUT_PLACE_H_
