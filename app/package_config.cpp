#include "app/package_config.h"

#include <cstdint>

#include "json/json_value.h"
#include "setup/package_layout.h"

bool ReadPackageConfig(const std::wstring& path, JsonValue& config, int& run_mode) {
  if (!LoadPackageConfig(path, config) || !config.hasMember("mode")) return false;
  run_mode = static_cast<int>(static_cast<uint32_t>(config["mode"].toInt64()));
  return true;
}
