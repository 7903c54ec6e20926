// Code-page conversion of zero-terminated text through a scratch pool.
#pragma once

#include <windows.h>

#include "setup/scratch_pool.h"

// Converts zero-terminated `text` in `codePage` (CP_UTF8 = 65001, CP_ACP = 0
// for the system's ANSI code page) to UTF-16, with flags 0: invalid sequences
// become U+FFFD. The result is owned by `pool`. A null, empty or unconvertible
// text gives a static empty string that no pool owns.
const wchar_t* ToWide(ScratchPool& pool, const char* text, UINT codePage);

// Converts zero-terminated UTF-16 `text` to `codePage` with flags 0 and no
// default character (characters the code page lacks come out as the code
// page's own default, "?" for most). Ownership and empty results as ToWide.
const char* ToNarrow(const wchar_t* text, ScratchPool& pool, UINT codePage);
