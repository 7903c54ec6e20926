#include "tools/texts_file.h"

#include <algorithm>
#include <set>

#include "app/texts.h"
#include "json/json_reader.h"
#include "setup/engine_texts.h"
#include "setup/language.h"
#include "setup/product_identity.h"
#include "setup/windows_names.h"
#include "tools/tool_files.h"

namespace {

// `text` (UTF-16 or UTF-32, as wchar_t is wide) in UTF-8.
std::string Utf8Of(const wchar_t* text) {
  std::string out;
  for (const wchar_t* at = text; *at; ++at) {
    char32_t c = static_cast<char32_t>(*at);
    if (c >= 0xD800 && c <= 0xDBFF && at[1] >= 0xDC00 && at[1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(at[1]) - 0xDC00);
      ++at;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string Joined(const std::vector<std::string>& parts) {
  std::string out;
  for (const std::string& part : parts) out += (out.empty() ? "" : " ") + part;
  return out.empty() ? "none" : out;
}

// True when the JSON text `bytes` holds a "\u" escape (a "u" after an odd run of backslashes),
// which the reader would keep as six characters.
bool HasUnicodeEscape(std::string_view bytes) {
  size_t backslashes = 0;
  for (const char c : bytes) {
    if (c == 'u' && backslashes % 2 == 1) return true;
    backslashes = c == '\\' ? backslashes + 1 : 0;
  }
  return false;
}

bool IsBuiltIn(const std::string& tag) {
  return tag == kLanguageChinese || tag == kLanguageEnglish;
}

// The faults of the text `id` (its English wording `english`) in `entry`.
void CheckText(const JsonValue& entry, const TextReference& text,
               std::vector<std::string>& problems) {
  const std::string where = "\"" + text.id + "\"";
  if (!entry.hasMember(text.id)) {
    problems.push_back(where + " is missing");
    return;
  }
  const JsonValue& value = entry[text.id];
  const std::string wording = value.toCString();
  if (value.kind() != JsonKind::String) {
    problems.push_back(where + " is not a string");
  } else if (wording.empty()) {
    problems.push_back(where + " is empty");
  } else if (PlaceholdersOf(wording) != PlaceholdersOf(text.english)) {
    problems.push_back(where + " has the placeholders " + Joined(PlaceholdersOf(wording)) +
                       " where the English text has " + Joined(PlaceholdersOf(text.english)) +
                       " (same number, order and kind)");
  }
}

}  // namespace

std::vector<TextReference> SetupTextReference() {
  std::vector<TextReference> reference;
  for (const AppTextId& id : kAppTextIds) {
    reference.push_back({id.id, Utf8Of(kEnglishTexts.*id.member)});
  }
  for (const EngineTextId& id : kEngineTextIds) {
    reference.push_back({id.id, Utf8Of(kEnglishEngineTexts.*id.member)});
  }
  return reference;
}

bool CheckTranslation(std::string_view bytes, JsonValue& entry,
                      std::vector<std::string>& problems) {
  const size_t before = problems.size();
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  JsonReader reader;
  if (!IsValidUtf8(bytes) || bytes.find('\0') != std::string_view::npos) {
    problems.push_back("is not UTF-8 text");
    return false;
  }
  if (HasUnicodeEscape(bytes)) {
    problems.push_back("holds a \\u escape: write the character itself");
    return false;
  }
  if (!reader.parse(std::string(bytes).c_str(), entry)) {
    problems.push_back("is not JSON: " + reader.message() + " at byte " +
                       std::to_string(reader.errorOffset()));
    return false;
  }
  if (entry.kind() != JsonKind::Object) {
    problems.push_back("is not a JSON object");
    return false;
  }
  const std::string tag = entry[kLanguageTagKey].toCString();
  if (!IsLanguageTag(tag)) {
    problems.push_back("\"language\" '" + tag + "' is not a language tag such as ja, de or pt-BR");
  } else if (IsBuiltIn(tag)) {
    problems.push_back("\"language\" '" + tag + "' is built into the setup program");
  }
  const std::vector<TextReference> reference = SetupTextReference();
  std::set<std::string> known = {kLanguageTagKey};
  for (const TextReference& text : reference) {
    known.insert(text.id);
    CheckText(entry, text, problems);
  }
  for (const std::string& id : entry.memberNames()) {
    if (!known.count(id))
      problems.push_back("\"" + id + "\" is not a text id of the setup program");
  }
  return problems.size() == before;
}

std::vector<JsonValue> ReadTranslations(const std::vector<std::string>& paths,
                                        std::vector<std::string>& problems) {
  std::vector<JsonValue> translations;
  std::set<std::string> tags;
  for (const std::string& path : paths) {
    const std::string where = "--texts '" + path + "'";
    std::string bytes;
    std::string problem;
    std::vector<std::string> faults;
    JsonValue entry;
    if (!ReadFileBytes(path, bytes, problem)) {
      problems.push_back(where + ": " + problem);
    } else if (!CheckTranslation(bytes, entry, faults)) {
      for (const std::string& fault : faults) problems.push_back(where + " " + fault);
    } else if (!tags.insert(entry[kLanguageTagKey].toCString()).second) {
      problems.push_back(where + ": the language '" +
                         std::string(entry[kLanguageTagKey].toCString()) +
                         "' is given by another file too");
    } else {
      translations.push_back(std::move(entry));
    }
  }
  return translations;
}

void CheckLanguageOption(const std::string& language, const std::vector<JsonValue>& translations,
                         std::vector<std::string>& problems, std::vector<std::string>& warnings) {
  const bool carried =
      std::any_of(translations.begin(), translations.end(), [&language](const JsonValue& entry) {
        return language == entry[kLanguageTagKey].toCString();
      });
  if (!carried && language != kLanguageAuto && !IsBuiltIn(language)) {
    problems.push_back("--language '" + language +
                       "': expected auto, zh, en or the language of a --texts file");
  } else if (!translations.empty() && language != kLanguageAuto && !carried) {
    warnings.push_back("--language '" + language +
                       "': the setup never shows the --texts translations; give --language "
                       "auto or one of their languages");
  }
}

void WriteTranslations(const std::vector<JsonValue>& translations, JsonValue& config) {
  if (translations.empty()) return;
  JsonValue& texts = config[kTextsMember];
  texts = JsonValue(JsonKind::Array);
  for (size_t i = 0; i < translations.size(); ++i) texts[i] = translations[i];
}
