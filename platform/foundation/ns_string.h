#pragma once
// Text operations of the platform's string class that the application relies
// on, over UTF-8 std::string.
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The platform's numeric readings of a text: leading white space, an
// optional sign, then the longest run of decimal digits; 0 when there is
// none; trailing characters are ignored. intValue saturates at the int range.
int intValue(std::string_view text);
long long integerValue(std::string_view text);
double doubleValue(std::string_view text);  // also reads a fraction and exponent
// True when, after white space, a sign and leading zeros, the text begins
// with 'Y', 'y', 'T', 't' or a digit 1-9 ("YES", "true", "1", "010").
bool boolValue(std::string_view text);

// Path texts ("/" separated). pathExtension("IMG_0001.JPG") is "JPG"; a
// last component without a dot, or whose only dot leads it, has none.
std::string pathExtension(std::string_view path);
std::string lastPathComponent(std::string_view path);
std::string stringByDeletingLastPathComponent(std::string_view path);
std::string stringByAppendingPathComponent(std::string_view path, std::string_view component);

// Ordering of `a` against `b` ignoring ASCII letter case: -1, 0 or 1 (the
// platform's ascending, same and descending).
int caseInsensitiveCompare(std::string_view a, std::string_view b);
std::vector<std::string> componentsSeparatedByString(std::string_view text, std::string_view separator);
// Replaces every occurrence of `target` in `text`, left to right without
// overlaps, optionally ignoring ASCII letter case; returns how many.
int replaceOccurrencesOfString(std::string& text, std::string_view target, std::string_view replacement,
                               bool caseInsensitive = false);

// The ASCII form of a UTF-8 text with loss allowed: accented Latin letters
// lose their accents ("é" becomes "e"), every other non-ASCII character and
// every malformed byte becomes '?'.
std::string asciiLossy(std::string_view text);

// The text as HTML character data or a quoted attribute value: &, <, > and
// " become entities; everything else stays as it is.
std::string escapeHTML(std::string_view text);

// Whether the bytes are well-formed UTF-8.
bool isValidUtf8(std::string_view text);

}  // namespace platform
