#include "setup/text_convert.h"

#include <string>
#include <utility>

const wchar_t* ToWide(ScratchPool& pool, const char* text, UINT codePage) {
  if (!text || !*text) return L"";
  // Both counts include the terminating zero (length -1).
  const int needed = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
  if (needed <= 0) return L"";
  std::wstring wide(static_cast<size_t>(needed), L'\0');
  const int converted = MultiByteToWideChar(codePage, 0, text, -1, &wide[0], needed);
  if (converted <= 1) return L"";
  wide.resize(static_cast<size_t>(converted - 1));
  return pool.Keep(std::move(wide));
}

const char* ToNarrow(const wchar_t* text, ScratchPool& pool, UINT codePage) {
  if (!text || !*text) return "";
  const int needed = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return "";
  std::string narrow(static_cast<size_t>(needed), '\0');
  const int converted =
      WideCharToMultiByte(codePage, 0, text, -1, &narrow[0], needed, nullptr, nullptr);
  if (converted <= 1) return "";
  narrow.resize(static_cast<size_t>(converted - 1));
  return pool.Keep(std::move(narrow));
}
