// What a package says about the product it installs: its key, its names, its publisher, the
// language of the setup's texts and the files of the user's that its uninstall removes. Stored in
// the package config as the object "product":
//
//   "product": {"helplink": URL, "id": ID, "language": "zh"|"en"|"auto"|TAG, "name": TEXT,
//               "publisher": TEXT, "remove": [PATH, ...]}
//
// A config without "product" describes the sample product Velto (DefaultProductIdentity), so that
// every package packed before the member existed installs as it always did. Inside "product" an
// absent "id" is the name, an absent "language" is "zh", and absent "publisher", "helplink" and
// "remove" are empty. The install engine copies the object into the uninstaller's config, so
// the uninstaller knows the product it removes. Portable: the packing tool writes and checks it,
// the setup program reads it.
#ifndef BRINDLE_SETUP_PRODUCT_IDENTITY_H_
#define BRINDLE_SETUP_PRODUCT_IDENTITY_H_

#include <string>
#include <string_view>
#include <vector>

class JsonValue;

// The config member that holds the identity, and the languages it may name.
inline constexpr char kProductMember[] = "product";
// The config member that holds the product's own skin: Base64 of a skin container, plain or
// packed. Without it the setup draws with the skin built into the program.
inline constexpr char kSkinMember[] = "skin";
inline constexpr char kLanguageChinese[] = "zh";
inline constexpr char kLanguageEnglish[] = "en";
inline constexpr char kLanguageAuto[] = "auto";

// The config member that says for whom the package installs, a sibling of "product":
//   "machine"  every user: the Program Files folder and the machine's Uninstall key, with
//              administrator rights (the setup asks for elevation)
//   "user"     the user who runs it: the user's own programs folder and Uninstall key, never
//              asking for elevation
//   "both"     the command line or the install page chooses; "machine" unless told otherwise
// Absent: "machine", as every package packed before the member existed. An uninstaller's config
// holds "user" when its install was for the current user, and no member otherwise.
inline constexpr char kScopeMember[] = "scope";

enum class PackageScope { kMachine, kUser, kBoth };

// All text is UTF-8.
struct ProductIdentity {
  // The product's key: its subkey under the Uninstall key and the name of everything
  // product-wide (named objects, run folders). ProductIdProblem holds its rule.
  std::string id;
  // "DisplayName", the start-menu folder and link, the folder under Program Files and every text
  // that names the product. One file name (ProductNameProblem).
  std::string name;
  // "Publisher" and "HelpLink" of the Uninstall entry; empty: the value is not written.
  std::string publisher;
  std::string help_link;
  // kLanguageChinese, kLanguageEnglish, kLanguageAuto or the tag of a translation the config
  // carries in "texts" (setup/language.h).
  std::string language = kLanguageChinese;
  // Files in the user's application data folder that the uninstall removes, relative to that
  // folder, "\" between names (RemovePathProblem).
  std::vector<std::string> remove_on_uninstall;
};

bool operator==(const ProductIdentity& a, const ProductIdentity& b);

// Velto: id and name "Velto", publisher "Velto Software Ltd.", help link
// "https://www.velto.app/", Chinese texts, and its settings file "Velto\Velto.cfg" removed.
ProductIdentity DefaultProductIdentity();

// Why `id` cannot be a product id (empty when it can): 1 to 64 characters, each an ASCII letter,
// digit, ".", "_" or "-", neither "." nor "..".
std::string ProductIdProblem(std::string_view id);
// Why `name` cannot be a product name: it must be valid UTF-8 and one file or folder name that
// Windows accepts (WindowsNameProblem), of at most 100 bytes.
std::string ProductNameProblem(std::string_view name);
// Why `path` cannot name a file to remove: valid UTF-8, relative ("/" or "\" between names), each
// name one Windows accepts, none "." or "..".
std::string RemovePathProblem(std::string_view path);

// Reads the identity of `config` (a package config or an uninstaller's config). Without a
// "product" member: DefaultProductIdentity. False, with `problem` naming the first fault, when
// "product" is not an object or a member breaks its rule (a wrong kind, an id, name or path
// above, a language that is neither "auto" nor carried, "texts" that break their rules);
// `identity` is then unspecified.
bool ReadProductIdentity(const JsonValue& config, ProductIdentity& identity, std::string& problem);

// The member's text for `scope`: "machine", "user" or "both".
const char* ScopeName(PackageScope scope);
// `name` as a scope (exactly one of the three texts, lower case); false for any other text.
bool ParseScopeName(std::string_view name, PackageScope& scope);

// Reads config["scope"]: kMachine when absent. False, with `problem` naming the fault, when the
// member is not one of the three texts; `scope` is then unchanged.
bool ReadPackageScope(const JsonValue& config, PackageScope& scope, std::string& problem);

// Sets config["scope"] to ScopeName(`scope`).
void WritePackageScope(PackageScope scope, JsonValue& config);

// Sets config["product"] to `identity`; members that are empty are left out, and so is "language"
// when it is Chinese. Remove paths are stored with "\" separators.
void WriteProductIdentity(const ProductIdentity& identity, JsonValue& config);

#endif  // BRINDLE_SETUP_PRODUCT_IDENTITY_H_
