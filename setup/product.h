// The product that a package installs, as the setup program uses it: its key,
// its names, its Uninstall entry's values, the language of every text shown
// and the files of the user's that its uninstall removes. Read once from a
// package config (the setup package's, or the uninstaller copy's, which
// carries the same "product" member) and passed down as one value.
#pragma once

#include <string>
#include <vector>

#include "setup/language.h"
#include "setup/product_identity.h"
#include "setup/shortcut_place.h"

class JsonValue;

struct Product {
  // Subkey under the Uninstall key; letters, digits, ".", "_" and "-".
  std::wstring id;
  // "DisplayName", the start-menu folder and link, the folder under Program
  // Files, and the name in every text; one valid file name.
  std::wstring name;
  // "Publisher" and "HelpLink"; empty: not written.
  std::wstring publisher;
  std::wstring help_link;
  // The language every text of the setup is shown in.
  Language language;
  // Files the uninstall removes, relative to the user's application data
  // folder ("\" between names, never leaving that folder).
  std::vector<std::wstring> remove_on_uninstall;
  // For whom the package installs ("scope"); in an uninstaller's config,
  // the scope its install chose (kMachine or kUser).
  PackageScope scope = PackageScope::kMachine;
  // "shortcuts": in a package, where its machine installs put shortcuts
  // (ChooseShortcutPlace); in an uninstaller's config, where its install put
  // them.
  ShortcutPlace shortcuts = ShortcutPlace::kCurrentUser;
};

// For whom one install is made: every user (Program Files, the machine's
// Uninstall key, administrator rights) or the user who runs the setup (the
// user's own programs folder and Uninstall key, no elevation).
enum class InstallScope { kMachine, kUser };

// The install scope that `scope` gives when nothing else chooses: kUser for
// kUser, kMachine for kMachine and kBoth.
InstallScope DefaultInstallScope(PackageScope scope);

// The product described by `config` ("product", or Velto without it, and
// "scope"), in the language it names; "auto" picks among the languages the
// package carries by the user's UI language (ChooseLanguageTag). False when
// the member breaks its rules (setup/product_identity.h): a package handled
// as damaged.
bool ReadProduct(const JsonValue& config, Product& product);

// Velto, the product of a package without "product".
Product DefaultProduct();

// The Uninstall key of all products under HKEY_LOCAL_MACHINE (every user's
// products) or HKEY_CURRENT_USER (the user's own); a product's own entry is
// its subkey Product::id.
constexpr wchar_t kUninstallRootKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// `kUninstallRootKey` + "\" + `product_id`.
std::wstring UninstallKeyPath(const std::wstring& product_id);

// File name of the uninstaller copy in the install folder.
constexpr wchar_t kUninstallerFileName[] = L"unins000.exe";
