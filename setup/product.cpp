#include "setup/product.h"

#include <windows.h>

#include <string>
#include <utility>

#include "json/json_value.h"
#include "setup/product_identity.h"
#include "setup/scratch_pool.h"
#include "setup/text_convert.h"

namespace {

// The tag of the user's UI language ("de-DE"), or empty when Windows names none.
std::string UserUiLanguageTag() {
  wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
  const LCID lcid = MAKELCID(::GetUserDefaultUILanguage(), SORT_DEFAULT);
  if (::LCIDToLocaleName(lcid, name, LOCALE_NAME_MAX_LENGTH, 0) == 0) return std::string();
  std::string tag;
  for (const wchar_t* c = name; *c; ++c) tag += static_cast<char>(*c < 0x80 ? *c : '?');
  return tag;
}

// The language `tag` (resolved from "auto" first) of `config`: built in, or its entry in
// "texts" with every text turned to UTF-16.
Language ResolveLanguage(const JsonValue& config, std::string tag) {
  if (tag == kLanguageAuto) tag = ChooseLanguageTag(UserUiLanguageTag(), CarriedLanguages(config));
  if (tag == kLanguageEnglish) return Language::English();
  const JsonValue* entry = FindTranslation(config, tag);
  if (!entry) return Language::Chinese();
  ScratchPool pool;
  Language::TextMap texts;
  for (const std::string& id : entry->memberNames()) {
    if (id != kLanguageTagKey) texts[id] = ToWide(pool, (*entry)[id].toCString(), CP_UTF8);
  }
  return Language::Translated(tag, std::move(texts));
}

Product FromIdentity(const ProductIdentity& identity, const JsonValue& config) {
  ScratchPool pool;
  auto wide = [&pool](const std::string& text) {
    return std::wstring(ToWide(pool, text.c_str(), CP_UTF8));
  };
  Product product;
  product.id = wide(identity.id);
  product.name = wide(identity.name);
  product.publisher = wide(identity.publisher);
  product.help_link = wide(identity.help_link);
  product.language = ResolveLanguage(config, identity.language);
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
  product = FromIdentity(identity, config);
  product.scope = scope;
  product.shortcuts = shortcuts;
  return true;
}

InstallScope DefaultInstallScope(PackageScope scope) {
  return scope == PackageScope::kUser ? InstallScope::kUser : InstallScope::kMachine;
}

Product DefaultProduct() { return FromIdentity(DefaultProductIdentity(), JsonValue()); }

std::wstring UninstallKeyPath(const std::wstring& product_id) {
  return std::wstring(kUninstallRootKey) + L"\\" + product_id;
}
