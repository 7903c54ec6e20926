#include "setup/product.h"

#include <windows.h>

#include <string>

#include "json/json_value.h"
#include "setup/product_identity.h"
#include "setup/scratch_pool.h"
#include "setup/text_convert.h"

namespace {

Language ResolveLanguage(const std::string& language) {
  if (language == kLanguageEnglish) return Language::kEnglish;
  if (language == kLanguageAuto) {
    const LANGID ui = ::GetUserDefaultUILanguage();
    return PRIMARYLANGID(ui) == LANG_CHINESE ? Language::kChinese : Language::kEnglish;
  }
  return Language::kChinese;
}

Product FromIdentity(const ProductIdentity& identity) {
  ScratchPool pool;
  auto wide = [&pool](const std::string& text) {
    return std::wstring(ToWide(pool, text.c_str(), CP_UTF8));
  };
  Product product;
  product.id = wide(identity.id);
  product.name = wide(identity.name);
  product.publisher = wide(identity.publisher);
  product.help_link = wide(identity.help_link);
  product.language = ResolveLanguage(identity.language);
  for (const std::string& path : identity.remove_on_uninstall) {
    product.remove_on_uninstall.push_back(wide(path));
  }
  return product;
}

}  // namespace

bool ReadProduct(const JsonValue& config, Product& product) {
  ProductIdentity identity;
  std::string problem;
  PackageScope scope = PackageScope::kMachine;
  ShortcutPlace shortcuts = ShortcutPlace::kCurrentUser;
  if (!ReadProductIdentity(config, identity, problem) ||
      !ReadPackageScope(config, scope, problem) || !ReadShortcutPlace(config, shortcuts, problem)) {
    return false;
  }
  product = FromIdentity(identity);
  product.scope = scope;
  product.shortcuts = shortcuts;
  return true;
}

InstallScope DefaultInstallScope(PackageScope scope) {
  return scope == PackageScope::kUser ? InstallScope::kUser : InstallScope::kMachine;
}

Product DefaultProduct() { return FromIdentity(DefaultProductIdentity()); }

std::wstring UninstallKeyPath(const std::wstring& product_id) {
  return std::wstring(kUninstallRootKey) + L"\\" + product_id;
}
