// Whether two paths name the same file, as the file system sees it.
#pragma once

#include <string>

// `path` as a full path (GetFullPathNameW) with every existing part in its
// long form (GetLongPathNameW): a path given with 8.3 short names, forward
// slashes, "." or ".." names the same text as its plain long form. A missing
// file keeps its own name after its (long) folder. Empty for an empty path.
std::wstring NormalizePath(const std::wstring& path);

// True when both paths name the same file: their normalised forms compare
// equal without regard to case (ordinal, as the file system compares names).
bool IsSamePath(const std::wstring& first, const std::wstring& second);
