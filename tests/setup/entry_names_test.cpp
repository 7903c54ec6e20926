// The install engine's rule for payload entry names, on every tree: names that stay inside the
// install folder as written are taken; every way out of it (or onto a device) is refused.
#include "setup/entry_names.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(EntryNamesTest, NamesInsideTheFolderAreTaken) {
  const wchar_t* const taken[] = {
      L"Velto.exe",     L"docs/",    L"docs/readme.txt",  L"docs\\readme.txt",
      L"a//b",          L"a/b/",     L".hidden",          L"a..b",
      L"con_notes.txt", L"com0.txt", L"\u4f7f\u7528.txt",
  };
  for (const wchar_t* name : taken) EXPECT_TRUE(IsSafeEntryName(name)) << name;
}

TEST(EntryNamesTest, EveryWayOutIsRefused) {
  const wchar_t* const refused[] = {
      L"",
      L"/etc/passwd",
      L"\\Windows\\x.dll",
      L"C:\\x.exe",
      L"C:x.exe",
      L"a:stream",
      L"..",
      L"../x",
      L"a/../../x",
      L"a\\..\\..\\x",
      L"...",
      L"a/./b",
      L"x. ",
      L"a /b",
      L"a*b",
      L"a?b",
      L"a\"b",
      L"a<b",
      L"a>b",
      L"a|b",
      L"a\tb",
      L"a\x7f",
      L"NUL",
      L"docs/nul.txt",
      L"COM1.tar.gz",
      L"lpt9 .txt",
  };
  for (const wchar_t* name : refused) EXPECT_FALSE(IsSafeEntryName(name)) << name;
}

}  // namespace
