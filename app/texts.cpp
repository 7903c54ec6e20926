#include "app/texts.h"

AppTexts AppTextsFor(const Language& language) {
  if (language.IsChinese()) return kChineseTexts;
  AppTexts texts = kEnglishTexts;
  if (language.IsEnglish()) return texts;
  for (const AppTextId& id : kAppTextIds) {
    texts.*id.member = TranslatedText(language, id.id, kEnglishTexts.*id.member);
  }
  return texts;
}
