#include "setup/language.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "json/json_reader.h"
#include "json/json_value.h"

namespace {

JsonValue Parse(const std::string& text) {
  JsonValue value;
  EXPECT_TRUE(JsonReader().parse(text.c_str(), value)) << text;
  return value;
}

TEST(LanguageTest, AutoPicksExactTagThenLanguageThenEnglishThenTheFirst) {
  const std::vector<std::string> carried = {"zh", "en", "ja", "de", "pt-BR", "pt-PT"};
  const std::vector<std::string> no_english = {"ja", "de"};
  struct Case {
    const char* user;
    const std::vector<std::string>* carried;
    const char* chosen;
  };
  const Case cases[] = {
      {"ja-JP", &carried, "ja"},     // the language without its region
      {"pt-BR", &carried, "pt-BR"},  // the exact tag
      {"pt-br", &carried, "pt-BR"},  // tags compare ignoring case
      {"pt-AO", &carried, "en"},     // no "pt" alone: English
      {"de", &carried, "de"},       {"de-AT", &carried, "de"},
      {"zh-CN", &carried, "zh"},  // built-in Chinese for every Chinese UI, as before
      {"zh-TW", &carried, "zh"},    {"en-GB", &carried, "en"},
      {"fr-FR", &carried, "en"},     // not carried: English
      {"", &carried, "en"},          // the UI language unknown
      {"fr-FR", &no_english, "ja"},  // without English: the package's first
      {"de-CH", &no_english, "de"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.user);
    EXPECT_EQ(ChooseLanguageTag(c.user, *c.carried), c.chosen);
  }
  EXPECT_EQ(ChooseLanguageTag("de-DE", {}), "");
}

TEST(LanguageTest, LanguageTags) {
  for (const char* good : {"ja", "de", "pt-BR", "es-419", "zh-Hant", "zh-Hant-TW", "fil"}) {
    EXPECT_TRUE(IsLanguageTag(good)) << good;
  }
  for (const char* bad : {"", "j", "japanese", "pt_BR", "pt-br", "PT-BR", "de-", "-de",
                          "de-DE-1996", "zh-TW-Hant", "de DE", "en-US-x-twain", "ja\xE3\x81\x82"}) {
    EXPECT_FALSE(IsLanguageTag(bad)) << bad;
  }
}

TEST(LanguageTest, PlaceholdersInOrderAndPlainPercentSigns) {
  struct Case {
    const char* text;
    std::vector<std::string> placeholders;
  };
  const Case cases[] = {
      {"Copying files: %ld%%", {"%ld", "%%"}},
      {"\n\nSpace needed: %s; space free: %s", {"%s", "%s"}},
      {"Installation complete: 100%", {}},
      {"100 % fertig", {}},
      {"%I64u bytes, %5.2f%%", {"%I64u", "%5.2f", "%%"}},
      {"%d", {"%d"}},
      {"", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(PlaceholdersOf(std::string_view(c.text)), c.placeholders);
  }
  EXPECT_EQ(PlaceholdersOf(std::wstring_view(L"「%s」 %ld%%")),
            (std::vector<std::string>{"%s", "%ld", "%%"}));
}

TEST(LanguageTest, ATranslationFallsBackToEnglishWhereItDoesNotFit) {
  const Language japanese = Language::Translated(
      "ja", {{"install_button", L"インストール"}, {"copying_step", L"コピー中: %s"}});
  EXPECT_EQ(japanese.tag(), "ja");
  EXPECT_FALSE(japanese.IsChinese());
  EXPECT_FALSE(japanese.IsEnglish());
  EXPECT_EQ(std::wstring(TranslatedText(japanese, "install_button", L"Install now")),
            L"インストール");
  // Placeholders that differ from the English text's would be unsafe to format.
  EXPECT_EQ(std::wstring(TranslatedText(japanese, "copying_step", L"Copying files: %ld%%")),
            L"Copying files: %ld%%");
  EXPECT_EQ(std::wstring(TranslatedText(japanese, "done", L"Done")), L"Done");
  EXPECT_EQ(std::wstring(TranslatedText(Language::Chinese(), "done", L"Done")), L"Done");
  EXPECT_TRUE(Language().IsChinese());
  EXPECT_TRUE(Language::English().IsEnglish());
}

TEST(LanguageTest, CarriedLanguagesAndTheirRules) {
  const JsonValue config = Parse(
      R"({"texts":[{"language":"ja","done":"完了"},{"language":"pt-BR","done":"Concluir"}]})");
  EXPECT_EQ(CarriedLanguages(config), (std::vector<std::string>{"zh", "en", "ja", "pt-BR"}));
  EXPECT_EQ(TranslationsProblem(config), "");
  ASSERT_NE(FindTranslation(config, "pt-BR"), nullptr);
  EXPECT_STREQ((*FindTranslation(config, "pt-BR"))["done"].toCString(), "Concluir");
  EXPECT_EQ(FindTranslation(config, "de"), nullptr);
  EXPECT_EQ(CarriedLanguages(Parse("{}")), (std::vector<std::string>{"zh", "en"}));
  EXPECT_EQ(TranslationsProblem(Parse("{}")), "");

  const struct {
    const char* config;
    const char* problem;
  } faults[] = {
      {R"({"texts":{}})", "\"texts\" is not a list"},
      {R"({"texts":[{"done":"x"}]})", "\"texts\" holds an entry without a valid language tag"},
      {R"({"texts":[{"language":"ja"},{"language":"ja"}]})",
       "\"texts\" gives the language 'ja' twice or names a built-in one"},
      {R"({"texts":[{"language":"en"}]})",
       "\"texts\" gives the language 'en' twice or names a built-in one"},
      {R"({"texts":[{"language":"ja","done":1}]})", "\"texts\" 'ja': \"done\" is not a string"},
  };
  for (const auto& fault : faults) {
    EXPECT_EQ(TranslationsProblem(Parse(fault.config)), fault.problem) << fault.config;
  }
}

TEST(LanguageTest, TheUninstallerKeepsOnlyTheChosenLanguage) {
  const JsonValue setup =
      Parse(R"({"product":{"name":"Mossbank","language":"auto"},)"
            R"("texts":[{"language":"ja","done":"完了"},{"language":"de","done":"Fertig"}]})");
  JsonValue uninstaller = Parse(R"({"mode":0,"product":{"name":"Mossbank","language":"auto"}})");
  KeepChosenLanguage(setup, "de", uninstaller);
  EXPECT_STREQ(uninstaller["product"]["language"].toCString(), "de");
  ASSERT_EQ(uninstaller["texts"].size(), 1u);
  EXPECT_STREQ(uninstaller["texts"][0]["done"].toCString(), "Fertig");

  JsonValue english = Parse(R"({"mode":0,"product":{"name":"Mossbank","language":"auto"}})");
  KeepChosenLanguage(setup, "en", english);
  EXPECT_STREQ(english["product"]["language"].toCString(), "en");
  EXPECT_FALSE(english.hasMember("texts"));

  JsonValue velto = Parse(R"({"mode":0})");
  KeepChosenLanguage(Parse(R"({"mode":1})"), "zh", velto);
  EXPECT_FALSE(velto.hasMember("product"));
  EXPECT_FALSE(velto.hasMember("texts"));
}

}  // namespace
