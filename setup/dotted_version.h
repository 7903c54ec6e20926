// Product versions as "Apps & features" shows them ("DisplayVersion"), ordered
// as semantic versioning orders them. Portable.
#pragma once

#include <string_view>

// The form of a version the packer accepts, for messages.
inline constexpr const char kVersionForm[] =
    "dotted numbers with an optional pre-release part, such as 1.2, 1.2.0 or 1.2.0-beta.1";

// True when `version` has the accepted form: one to four dot-separated numbers
// of decimal digits, then optionally "-" and a pre-release part of
// dot-separated identifiers (ASCII letters, digits and "-", none empty), then
// optionally "+" and build information (the same characters, not compared).
bool IsComparableVersion(std::string_view version);

// Compares `a` with `b`: first number by number from the left ("1.10" > "1.9";
// a missing number is 0, so "2" == "2.0"; leading zeros do not count; the
// numbers are the leading digits of each dot-separated part, a part without
// digits counts 0). With equal numbers a version without a pre-release part
// (after the first "-") is above one with it (1.2.0-beta.1 < 1.2.0); two
// pre-release parts compare identifier by identifier: numeric ones as numbers
// and below any other, others by their ASCII characters, and a part that runs
// out first is below the other (beta < beta.1). Build information after "+" is
// ignored. Versions not of the accepted form (written by other tools) compare
// by the same rules as far as they go. Returns -1, 0 or 1.
int CompareDottedVersions(std::string_view a, std::string_view b);
