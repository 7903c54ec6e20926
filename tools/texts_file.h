// Translation files, the input of "brindle-pack pack --texts FILE". A file is a UTF-8 JSON object
// with the member "language" (the tag, such as "ja" or "pt-BR") and one string member per text
// id of the setup program (the member names of AppTexts in app/texts.h and EngineTexts in
// setup/engine_texts.h), no more and no less. Each text keeps the printf placeholders ("%s",
// "%ld", "%%") of the built-in English text, in the same order. The package carries the checked
// files as its "texts" member (setup/language.h).
#ifndef BRINDLE_TOOLS_TEXTS_FILE_H_
#define BRINDLE_TOOLS_TEXTS_FILE_H_

#include <string>
#include <string_view>
#include <vector>

#include "json/json_value.h"

// One text the setup program shows: its id and its English wording, in UTF-8.
struct TextReference {
  std::string id;
  std::string english;
};

// Every text of the setup program, the windows' first, in the order of their structs.
std::vector<TextReference> SetupTextReference();

// Checks `bytes`, the contents of a translation file, against SetupTextReference. True with
// `entry` set to the translation as the package carries it; false with one line per fault
// appended to `problems` (each naming the id or the tag concerned): not UTF-8 JSON, a "\u"
// escape (which the reader keeps as written), not an object, a bad or built-in tag ("zh" and "en"
// are built in), a missing or unknown id, a text that is not a string or is empty, or whose
// placeholders differ from the English text's in number, order or kind.
bool CheckTranslation(std::string_view bytes, JsonValue& entry, std::vector<std::string>& problems);

// Reads and checks each file of `paths` (problems start with "--texts 'PATH'"); the checked
// translations in order. A tag given by two files is a problem.
std::vector<JsonValue> ReadTranslations(const std::vector<std::string>& paths,
                                        std::vector<std::string>& problems);

// Checks "--language `language`" against `translations`: a problem unless it is "auto", "zh",
// "en" or the tag of one of them; a warning when translations are given but the setup can never
// speak them (a language other than "auto" and theirs).
void CheckLanguageOption(const std::string& language, const std::vector<JsonValue>& translations,
                         std::vector<std::string>& problems, std::vector<std::string>& warnings);

// Sets config["texts"] to `translations` (left out when there are none).
void WriteTranslations(const std::vector<JsonValue>& translations, JsonValue& config);

#endif  // BRINDLE_TOOLS_TEXTS_FILE_H_
