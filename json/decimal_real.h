// Decimal text to double, correctly rounded, without the C library's conversion (whose C99 form,
// hexadecimal and infinity spellings included, costs the setup program about 17 KB).
#pragma once

// Reads the longest prefix of [begin, end) that is a decimal real: an optional sign, digits with
// at most one '.' among them (at least one digit in all), then an exponent ('e' or 'E', an
// optional sign, digits) only when it has a digit. `value` becomes the double nearest that decimal
// value, a tie going to the even one (what a correctly rounding strtod gives); a value beyond the
// largest double becomes an infinity, one below half the smallest a zero, each with the text's
// sign. Returns the end of the prefix; begin (and `value` 0.0) when no decimal real starts there.
// Leading blanks are not skipped.
const char* ReadDecimalReal(const char* begin, const char* end, double& value);
