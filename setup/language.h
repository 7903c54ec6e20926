// The language the setup speaks: Chinese ("zh") or English ("en"), both built into the program,
// or a translation that the package carries. Also the rules a translation keeps (its tag, its
// placeholders) and how "auto" picks a language. Portable except where noted.
//
// A package carries its translations as the config member "texts", a list in the order the
// packing tool was given them:
//
//   "texts": [{"language": "ja", "install_button": "今すぐインストール", ...}, ...]
//
// Each entry holds its language tag and one string per text id (the member names of AppTexts
// and EngineTexts). The uninstaller's config carries only the entry of the language its install
// spoke, and names that language in "product"/"language".
#ifndef BRINDLE_SETUP_LANGUAGE_H_
#define BRINDLE_SETUP_LANGUAGE_H_

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class JsonValue;

inline constexpr char kTextsMember[] = "texts";
// The member of a translation (in a file and in "texts") that holds its language tag.
inline constexpr char kLanguageTagKey[] = "language";

class Language {
 public:
  using TextMap = std::map<std::string, std::wstring, std::less<>>;

  // Chinese, the language of a package that names none.
  Language() = default;
  static Language Chinese();
  static Language English();
  // A packaged translation: `texts` maps text ids to their wording (ids it lacks are shown in
  // English).
  static Language Translated(std::string tag, TextMap texts);

  // "zh", "en" or the translation's tag.
  const std::string& tag() const { return tag_; }
  // True for the two built-in languages (no translation table).
  bool IsChinese() const { return !texts_ && tag_ == "zh"; }
  bool IsEnglish() const { return !texts_ && tag_ == "en"; }

  // The translation's wording of `id`; null for a built-in language or an id it lacks. The
  // pointer stays valid while any copy of this Language lives.
  const std::wstring* Find(std::string_view id) const;

 private:
  std::string tag_ = "zh";
  std::shared_ptr<const TextMap> texts_;
};

// The text to show for `id`: the translation's wording when `language` has one whose
// placeholders match `english`'s (PlaceholdersOf), otherwise `english`. Never null.
const wchar_t* TranslatedText(const Language& language, std::string_view id,
                              const wchar_t* english);

// The printf placeholders of a text in order, each as written from "%" to its conversion letter
// ("%s", "%ld", "%%"). A "%" that starts no conversion ("100%" at the end, "100 % done") is
// plain text. UTF-8 and wide texts alike.
std::vector<std::string> PlaceholdersOf(std::string_view text);
std::vector<std::string> PlaceholdersOf(std::wstring_view text);

// True for a tag of the form language[-Script][-REGION]: 2 or 3 lower-case letters, then
// optionally 4 letters with the first upper-case ("Hant"), then optionally 2 upper-case letters
// or 3 digits ("BR", "419"). "ja", "pt-BR", "zh-Hant-TW".
bool IsLanguageTag(std::string_view tag);

// The language "auto" picks for a user whose UI language is `user_tag` ("de-AT"; empty when
// unknown) among the tags a package carries, in the package's order: the exact tag, then the
// user's language without script or region ("de"), then "en", then the first carried tag. Tags
// compare ignoring case. Empty only when `carried` is empty.
std::string ChooseLanguageTag(std::string_view user_tag, const std::vector<std::string>& carried);

// The tags a package can speak, in order: "zh", "en", then those of config["texts"].
std::vector<std::string> CarriedLanguages(const JsonValue& config);

// Why config["texts"] is not a list of translations (empty when it is, or is absent): each
// entry an object whose "language" is a valid tag other than "zh" and "en", given once, and
// whose other members are strings.
std::string TranslationsProblem(const JsonValue& config);

// The entry of config["texts"] whose tag is `tag`, or null.
const JsonValue* FindTranslation(const JsonValue& config, std::string_view tag);

// Makes the uninstaller's config speak `tag`, the language its install chose: names it in
// "product"/"language" (when the config has "product") and keeps in "texts" only that
// language's entry of `setup_config` (none for a built-in language).
void KeepChosenLanguage(const JsonValue& setup_config, const std::string& tag,
                        JsonValue& uninstaller_config);

#endif  // BRINDLE_SETUP_LANGUAGE_H_
