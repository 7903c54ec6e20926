// Product versions as "Apps & features" shows them ("DisplayVersion"), compared
// as dotted numbers. Portable.
#pragma once

#include <string_view>

// Compares `a` with `b` number by number from the left ("1.10" > "1.9"; a
// missing number is 0, so "2" == "2.0"; leading zeros do not count). The
// numbers are the leading digits of each dot-separated part; a part without
// digits counts 0. Returns a negative value, 0 or a positive value.
int CompareDottedVersions(std::string_view a, std::string_view b);
