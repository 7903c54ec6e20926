#include "setup/language.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "json/json_value.h"
#include "setup/product_identity.h"

namespace {

constexpr char kChineseTag[] = "zh";
constexpr char kEnglishTag[] = "en";

bool IsLower(char c) { return c >= 'a' && c <= 'z'; }
bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Length modifiers and conversion letters of the printf family the setup's formats use.
bool IsLengthModifier(wchar_t c) {
  return c == L'l' || c == L'h' || c == L'I' || c == L'6' || c == L'4';
}
bool IsConversion(wchar_t c) {
  return c != 0 && std::wstring_view(L"sSdiuxXcCfeEgGp%").find(c) != std::wstring_view::npos;
}
bool IsFlagOrWidth(wchar_t c) {
  return c == L'-' || c == L'+' || c == L'#' || c == L'0' || (c >= L'1' && c <= L'9') || c == L'.';
}

template <typename Char>
std::vector<std::string> Placeholders(std::basic_string_view<Char> text) {
  std::vector<std::string> found;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') continue;
    size_t end = i + 1;
    while (end < text.size() && IsFlagOrWidth(static_cast<wchar_t>(text[end]))) ++end;
    while (end < text.size() && IsLengthModifier(static_cast<wchar_t>(text[end]))) ++end;
    if (end >= text.size() || !IsConversion(static_cast<wchar_t>(text[end]))) continue;
    std::string placeholder;
    for (size_t k = i; k <= end; ++k) placeholder += static_cast<char>(text[k]);
    found.push_back(placeholder);
    i = end;
  }
  return found;
}

std::string Lowered(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lowered;
}

bool SameTag(std::string_view a, std::string_view b) { return Lowered(a) == Lowered(b); }

}  // namespace

Language Language::Chinese() { return Language(); }

Language Language::English() {
  Language language;
  language.tag_ = kEnglishTag;
  return language;
}

Language Language::Translated(std::string tag, TextMap texts) {
  Language language;
  language.tag_ = std::move(tag);
  language.texts_ = std::make_shared<const TextMap>(std::move(texts));
  return language;
}

const std::wstring* Language::Find(std::string_view id) const {
  if (!texts_) return nullptr;
  const auto found = texts_->find(id);
  return found == texts_->end() ? nullptr : &found->second;
}

const wchar_t* TranslatedText(const Language& language, std::string_view id,
                              const wchar_t* english) {
  const std::wstring* text = language.Find(id);
  if (!text || text->empty() ||
      PlaceholdersOf(*text) != PlaceholdersOf(std::wstring_view(english))) {
    return english;
  }
  return text->c_str();
}

std::vector<std::string> PlaceholdersOf(std::string_view text) { return Placeholders(text); }
std::vector<std::string> PlaceholdersOf(std::wstring_view text) { return Placeholders(text); }

bool IsLanguageTag(std::string_view tag) {
  size_t at = 0;
  while (at < tag.size() && IsLower(tag[at])) ++at;
  if (at < 2 || at > 3) return false;
  auto subtag_end = [&tag](size_t start) {
    const size_t dash = tag.find('-', start);
    return dash == std::string_view::npos ? tag.size() : dash;
  };
  bool script_allowed = true;
  while (at < tag.size()) {
    if (tag[at] != '-') return false;
    const size_t start = at + 1;
    const size_t end = subtag_end(start);
    const std::string_view subtag = tag.substr(start, end - start);
    const bool script = subtag.size() == 4 && IsUpper(subtag[0]) &&
                        std::all_of(subtag.begin() + 1, subtag.end(), IsLower);
    const bool region =
        (subtag.size() == 2 && std::all_of(subtag.begin(), subtag.end(), IsUpper)) ||
        (subtag.size() == 3 && std::all_of(subtag.begin(), subtag.end(), IsDigit));
    if (script && script_allowed) {
      script_allowed = false;
    } else if (region && end == tag.size()) {
      script_allowed = false;
    } else {
      return false;
    }
    at = end;
  }
  return true;
}

std::string ChooseLanguageTag(std::string_view user_tag, const std::vector<std::string>& carried) {
  if (carried.empty()) return std::string();
  const std::string_view primary = user_tag.substr(0, user_tag.find('-'));
  for (const std::string_view wanted : {user_tag, primary, std::string_view(kEnglishTag)}) {
    if (wanted.empty()) continue;
    for (const std::string& tag : carried) {
      if (SameTag(tag, wanted)) return tag;
    }
  }
  return carried.front();
}

std::vector<std::string> CarriedLanguages(const JsonValue& config) {
  std::vector<std::string> tags = {kChineseTag, kEnglishTag};
  const JsonValue& texts = config[kTextsMember];
  if (texts.kind() != JsonKind::Array) return tags;
  for (size_t i = 0; i < texts.size(); ++i) tags.push_back(texts[i][kLanguageTagKey].toCString());
  return tags;
}

std::string TranslationsProblem(const JsonValue& config) {
  if (!config.hasMember(kTextsMember)) return std::string();
  const JsonValue& texts = config[kTextsMember];
  if (texts.kind() != JsonKind::Array) return "\"texts\" is not a list";
  std::vector<std::string> seen = {kChineseTag, kEnglishTag};
  for (size_t i = 0; i < texts.size(); ++i) {
    const JsonValue& entry = texts[i];
    const std::string tag = entry[kLanguageTagKey].toCString();
    if (entry.kind() != JsonKind::Object || !IsLanguageTag(tag)) {
      return "\"texts\" holds an entry without a valid language tag";
    }
    if (std::any_of(seen.begin(), seen.end(),
                    [&tag](const std::string& s) { return SameTag(s, tag); })) {
      return "\"texts\" gives the language '" + tag + "' twice or names a built-in one";
    }
    seen.push_back(tag);
    for (const std::string& id : entry.memberNames()) {
      if (entry[id].kind() != JsonKind::String) {
        return "\"texts\" '" + tag + "': \"" + id + "\" is not a string";
      }
    }
  }
  return std::string();
}

const JsonValue* FindTranslation(const JsonValue& config, std::string_view tag) {
  const JsonValue& texts = config[kTextsMember];
  if (texts.kind() != JsonKind::Array) return nullptr;
  for (size_t i = 0; i < texts.size(); ++i) {
    if (texts[i][kLanguageTagKey].toCString() == tag) return &texts[i];
  }
  return nullptr;
}

void KeepChosenLanguage(const JsonValue& setup_config, const std::string& tag,
                        JsonValue& uninstaller_config) {
  if (uninstaller_config.hasMember(kProductMember)) {
    uninstaller_config[kProductMember][kLanguageTagKey] = JsonValue(tag);
  }
  if (const JsonValue* entry = FindTranslation(setup_config, tag)) {
    JsonValue& texts = uninstaller_config[kTextsMember];
    texts = JsonValue(JsonKind::Array);
    texts[0] = *entry;
  }
}
