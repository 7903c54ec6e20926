#include "setup/shortcut_place.h"

#include "json/json_value.h"

const char* ShortcutPlaceName(ShortcutPlace place) {
  return place == ShortcutPlace::kAllUsers ? "all-users" : "current-user";
}

bool ParseShortcutPlace(std::string_view name, ShortcutPlace& place) {
  for (const ShortcutPlace candidate : {ShortcutPlace::kCurrentUser, ShortcutPlace::kAllUsers}) {
    if (name == ShortcutPlaceName(candidate)) {
      place = candidate;
      return true;
    }
  }
  return false;
}

bool ReadShortcutPlace(const JsonValue& config, ShortcutPlace& place, std::string& problem) {
  place = ShortcutPlace::kCurrentUser;
  if (!config.hasMember(kShortcutsMember)) return true;
  const JsonValue& value = config[kShortcutsMember];
  if (value.kind() == JsonKind::String && ParseShortcutPlace(value.toCString(), place)) return true;
  problem = "\"shortcuts\" must be \"all-users\" or \"current-user\"";
  return false;
}

void WriteShortcutPlace(ShortcutPlace place, JsonValue& config) {
  if (place == ShortcutPlace::kAllUsers)
    config[kShortcutsMember] = JsonValue(ShortcutPlaceName(place));
}

ShortcutPlace ChooseShortcutPlace(bool machine_install, ShortcutPlace package,
                                  bool runs_as_local_system) {
  if (!machine_install) return ShortcutPlace::kCurrentUser;
  return package == ShortcutPlace::kAllUsers || runs_as_local_system ? ShortcutPlace::kAllUsers
                                                                     : ShortcutPlace::kCurrentUser;
}
