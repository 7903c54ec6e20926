#include "setup/engine_texts.h"

const EngineTexts& EngineTextsFor(Language language) {
  return language == Language::kEnglish ? kEnglishEngineTexts : kChineseEngineTexts;
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
