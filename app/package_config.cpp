#include "app/package_config.h"

#include <cstdint>

#include "json/json_value.h"
#include "setup/base64.h"
#include "setup/package_layout.h"
#include "setup/product_identity.h"
#include "ui/framework/packed_skin.h"
#include "ui/framework/ui_resource.h"

bool ReadPackageConfig(const PackageFile& package, JsonValue& config, int& run_mode) {
  if (!LoadPackageConfig(package, config) || !config.hasMember("mode")) return false;
  run_mode = static_cast<int>(static_cast<uint32_t>(config["mode"].toInt64()));
  return true;
}

bool HasPackageSkin(const JsonValue& config) { return config.hasMember(kSkinMember); }

bool LoadPackageSkin(const JsonValue& config, UIResource& skin) {
  const JsonValue& member = config[kSkinMember];
  if (member.kind() != JsonKind::String) return false;
  std::string bytes = Base64DecodeText(member.toCString());
  return UnpackSkinContainer(bytes) && skin.Parse(bytes);
}
