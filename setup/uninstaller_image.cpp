#include "setup/uninstaller_image.h"

#include <cstdint>
#include <cwctype>

#include "json/json_value.h"
#include "setup/base64.h"
#include "setup/package_format.h"

JsonValue RecordBesideConfig() {
  JsonValue config(JsonKind::Object);
  config["mode"] = 0;
  config[kRecordMember] = JsonValue(kRecordBeside);
  return config;
}

bool NamesRecordBeside(const JsonValue& config) {
  if (config.kind() != JsonKind::Object || !config.hasMember("mode") ||
      config["mode"].toInt64() != 0 || !config.hasMember(kRecordMember)) {
    return false;
  }
  const JsonValue& record = config[kRecordMember];
  return record.kind() == JsonKind::String && std::string(record.toCString()) == kRecordBeside;
}

std::wstring RecordPathBeside(const std::wstring& uninstaller) {
  constexpr wchar_t kExe[] = L".exe";
  constexpr size_t kExeLength = 4;
  std::wstring path = uninstaller;
  if (path.size() >= kExeLength) {
    bool exe = true;
    for (size_t i = 0; i < kExeLength; ++i) {
      exe = exe && towlower(path[path.size() - kExeLength + i]) == static_cast<wint_t>(kExe[i]);
    }
    if (exe) path.resize(path.size() - kExeLength);
  }
  return path + L".dat";
}

bool SignedUninstallerImage(const JsonValue& setup_config, std::string& image) {
  image.clear();
  if (setup_config.kind() != JsonKind::Object ||
      !setup_config.hasMember(kSignedUninstallerMember)) {
    return false;
  }
  const JsonValue& member = setup_config[kSignedUninstallerMember];
  if (member.kind() != JsonKind::String) return false;
  image = Base64DecodeText(member.toCString());
  MemoryByteSource source(image);
  JsonValue config;
  PackageLocation location;
  if (LoadPackageConfig(source, config, location) != PackageError::kNone ||
      !NamesRecordBeside(config)) {
    image.clear();
    return false;
  }
  return true;
}

bool BuildRecordBesideImage(std::string_view setup_image, uint32_t package_offset,
                            std::string& image) {
  return BuildUninstallerCopy(setup_image, package_offset, RecordBesideConfig(), image);
}
