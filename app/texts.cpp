#include "app/texts.h"

const AppTexts& AppTextsFor(Language language) {
  return language == Language::kEnglish ? kEnglishTexts : kChineseTexts;
}
