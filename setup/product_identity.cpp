#include "setup/product_identity.h"

#include <algorithm>
#include <utility>

#include "json/json_value.h"
#include "setup/language.h"
#include "setup/windows_names.h"

namespace {

constexpr size_t kMaxIdLength = 64;
constexpr size_t kMaxNameBytes = 100;

bool IsIdCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '_' || c == '-';
}

// "auto" or a language the package carries (built in, or in "texts").
bool IsLanguage(const JsonValue& config, const std::string& language) {
  if (language == kLanguageAuto) return true;
  const std::vector<std::string> carried = CarriedLanguages(config);
  return std::find(carried.begin(), carried.end(), language) != carried.end();
}

// Reads the string member `key` of `product` into `out` (unchanged when absent). False when the
// member is there but no string.
bool ReadString(const JsonValue& product, const char* key, std::string& out) {
  if (!product.hasMember(key)) return true;
  const JsonValue& value = product[key];
  if (value.kind() != JsonKind::String) return false;
  out = value.toCString();
  return true;
}

bool ReadRemoveList(const JsonValue& product, std::vector<std::string>& list,
                    std::string& problem) {
  if (!product.hasMember("remove")) return true;
  const JsonValue& value = product["remove"];
  if (value.kind() != JsonKind::Array) {
    problem = "\"remove\" is not a list";
    return false;
  }
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i].kind() != JsonKind::String) {
      problem = "\"remove\" holds something other than a path";
      return false;
    }
    std::string path = value[i].toCString();
    problem = RemovePathProblem(path);
    if (!problem.empty()) {
      problem = "\"remove\" '" + path + "' " + problem;
      return false;
    }
    for (char& c : path) {
      if (c == '/') c = '\\';
    }
    list.push_back(path);
  }
  return true;
}

}  // namespace

const char* ScopeName(PackageScope scope) {
  switch (scope) {
    case PackageScope::kUser:
      return "user";
    case PackageScope::kBoth:
      return "both";
    case PackageScope::kMachine:
      break;
  }
  return "machine";
}

bool ParseScopeName(std::string_view name, PackageScope& scope) {
  for (PackageScope known : {PackageScope::kMachine, PackageScope::kUser, PackageScope::kBoth}) {
    if (name == ScopeName(known)) {
      scope = known;
      return true;
    }
  }
  return false;
}

bool ReadPackageScope(const JsonValue& config, PackageScope& scope, std::string& problem) {
  problem.clear();
  if (!config.hasMember(kScopeMember)) {
    scope = PackageScope::kMachine;
    return true;
  }
  const JsonValue& value = config[kScopeMember];
  if (value.kind() == JsonKind::String && ParseScopeName(value.toCString(), scope)) return true;
  problem = "\"scope\" is not \"machine\", \"user\" or \"both\"";
  return false;
}

void WritePackageScope(PackageScope scope, JsonValue& config) {
  config[kScopeMember] = JsonValue(ScopeName(scope));
}

bool operator==(const ProductIdentity& a, const ProductIdentity& b) {
  return a.id == b.id && a.name == b.name && a.publisher == b.publisher &&
         a.help_link == b.help_link && a.language == b.language &&
         a.remove_on_uninstall == b.remove_on_uninstall;
}

ProductIdentity DefaultProductIdentity() {
  ProductIdentity identity;
  identity.id = "Velto";
  identity.name = "Velto";
  identity.publisher = "Velto Software Ltd.";
  identity.help_link = "https://www.velto.app/";
  identity.remove_on_uninstall = {"Velto\\Velto.cfg"};
  return identity;
}

std::string ProductIdProblem(std::string_view id) {
  if (id.empty() || id.size() > kMaxIdLength) return "must have 1 to 64 characters";
  if (id == "." || id == "..") return "is a relative folder reference";
  for (char c : id) {
    if (!IsIdCharacter(c)) return "may hold only letters, digits, '.', '_' and '-'";
  }
  return std::string();
}

std::string ProductNameProblem(std::string_view name) {
  if (!IsValidUtf8(name)) return "is not valid UTF-8";
  if (name.size() > kMaxNameBytes) return "is longer than 100 bytes";
  return WindowsNameProblem(name);
}

std::string RemovePathProblem(std::string_view path) {
  if (!IsValidUtf8(path)) return "is not valid UTF-8";
  if (path.empty()) return "is empty";
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find_first_of("/\\", start);
    if (end == std::string_view::npos) end = path.size();
    const std::string problem = WindowsNameProblem(path.substr(start, end - start));
    if (!problem.empty()) {
      return "is not a path relative to the application data folder: a name " + problem;
    }
    start = end + 1;
  }
  return std::string();
}

bool ReadProductIdentity(const JsonValue& config, ProductIdentity& identity, std::string& problem) {
  problem.clear();
  if (!config.hasMember(kProductMember)) {
    identity = DefaultProductIdentity();
    return true;
  }
  const JsonValue& product = config[kProductMember];
  if (product.kind() != JsonKind::Object) {
    problem = "\"product\" is not an object";
    return false;
  }
  identity = ProductIdentity();
  identity.name = DefaultProductIdentity().name;
  const std::pair<const char*, std::string*> strings[] = {
      {"name", &identity.name},
      {"publisher", &identity.publisher},
      {"helplink", &identity.help_link},
      {"language", &identity.language},
  };
  for (const auto& [key, field] : strings) {
    if (!ReadString(product, key, *field)) {
      problem = std::string("\"") + key + "\" is not a string";
      return false;
    }
  }
  identity.id = identity.name;
  if (!ReadString(product, "id", identity.id)) {
    problem = "\"id\" is not a string";
    return false;
  }
  if (std::string why = ProductIdProblem(identity.id); !why.empty()) {
    problem = "the id '" + identity.id + "' " + why;
  } else if (std::string why = ProductNameProblem(identity.name); !why.empty()) {
    problem = "the name '" + identity.name + "' " + why;
  } else if (std::string why = TranslationsProblem(config); !why.empty()) {
    problem = why;
  } else if (!IsLanguage(config, identity.language)) {
    problem = "the language '" + identity.language + "' is not auto, zh, en or one in \"texts\"";
  } else if (!IsValidUtf8(identity.publisher) || !IsValidUtf8(identity.help_link)) {
    problem = "the publisher or the help link is not valid UTF-8";
  }
  return problem.empty() && ReadRemoveList(product, identity.remove_on_uninstall, problem);
}

void WriteProductIdentity(const ProductIdentity& identity, JsonValue& config) {
  JsonValue product(JsonKind::Object);
  const std::pair<const char*, const std::string*> strings[] = {
      {"id", &identity.id},
      {"name", &identity.name},
      {"publisher", &identity.publisher},
      {"helplink", &identity.help_link},
  };
  for (const auto& [key, value] : strings) {
    if (!value->empty()) product[key] = JsonValue(*value);
  }
  if (identity.language != kLanguageChinese) product["language"] = JsonValue(identity.language);
  if (!identity.remove_on_uninstall.empty()) {
    JsonValue& list = product["remove"];
    list = JsonValue(JsonKind::Array);
    for (size_t i = 0; i < identity.remove_on_uninstall.size(); ++i) {
      std::string path = identity.remove_on_uninstall[i];
      for (char& c : path) {
        if (c == '/') c = '\\';
      }
      list[i] = JsonValue(path);
    }
  }
  config[kProductMember] = std::move(product);
}
