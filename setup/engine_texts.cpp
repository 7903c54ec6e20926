#include "setup/engine_texts.h"

EngineTexts EngineTextsFor(const Language& language) {
  if (language.IsChinese()) return kChineseEngineTexts;
  EngineTexts texts = kEnglishEngineTexts;
  if (language.IsEnglish()) return texts;
  for (const EngineTextId& id : kEngineTextIds) {
    texts.*id.member = TranslatedText(language, id.id, kEnglishEngineTexts.*id.member);
  }
  return texts;
}

std::wstring FillText(const wchar_t* format, const std::wstring& value) {
  std::wstring text = format;
  const size_t at = text.find(L"%s");
  if (at != std::wstring::npos) text.replace(at, 2, value);
  return text;
}

std::wstring FillText(const wchar_t* format, const std::wstring& first,
                      const std::wstring& second) {
  std::wstring text = format;
  size_t at = text.find(L"%s");
  if (at == std::wstring::npos) return text;
  text.replace(at, 2, first);
  at = text.find(L"%s", at + first.size());
  if (at != std::wstring::npos) text.replace(at, 2, second);
  return text;
}
