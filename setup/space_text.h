// Disk space as the setup's messages show it ("512 KB", "12.5 MB", "1.25 GB"). Portable.
#pragma once

#include <cstdint>
#include <string>

// Which way a figure is rounded to its last digit: a space needed is shown
// rounded up and a space free rounded down, so that "needed" never looks
// smaller than "free" when it is not.
enum class SpaceRounding { kUp, kDown };

// `bytes` in binary units, as Windows Explorer shows sizes: below 1 MiB in
// whole KB, below 1 GiB in MB with one decimal, above in GB with two
// ("0 KB", "1023 KB", "1.0 MB", "15.9 MB", "1.25 GB"). A figure rounded up to
// the next unit's size stays in its unit ("1024 KB").
std::wstring SpaceText(uint64_t bytes, SpaceRounding rounding);
