#include "platform/foundation/ns_string.h"

#include "platform/foundation/utf8.h"

#include <cctype>
#include <charconv>
#include <climits>

namespace platform {
namespace {

constexpr bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view skipSpace(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && isSpace(text[at])) ++at;
  return text.substr(at);
}

// Reads [sign] digits; saturates at the long long range.
long long leadingInteger(std::string_view text) {
  text = skipSpace(text);
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  unsigned long long magnitude = 0;
  const unsigned long long limit = negative ? 0ULL - (unsigned long long)LLONG_MIN : LLONG_MAX;
  for (char c : text) {
    if (!isDigit(c)) break;
    magnitude = magnitude > (limit - (c - '0')) / 10 ? limit : magnitude * 10 + (c - '0');
  }
  return negative ? (long long)(0ULL - magnitude) : (long long)magnitude;
}

std::string_view trimTrailingSlashes(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  return path;
}

// Base letters of U+00C0..U+00FF and U+0100..U+017F after removing accents;
// '?' where the letter has no accented-base form.
constexpr std::string_view kLatin1Bases =
    "AAAAAA?CEEEEIIII?NOOOOO??UUUUY??aaaaaa?ceeeeiiii?nooooo??uuuuy?y";
constexpr std::string_view kLatinExtendedABases =
    "AaAaAaCcCcCcCcDd??EeEeEeEeEeGgGgGgGgHh??IiIiIiIiI???JjKk?LlLlLl????NnNnNn???"
    "OoOoOo??RrRrRrSsSsSsSsTtTt??UuUuUuUuUuUuWwYyYZzZzZz?";
static_assert(kLatin1Bases.size() == 0x40);
static_assert(kLatinExtendedABases.size() == 0x80);

}  // namespace

long long integerValue(std::string_view text) { return leadingInteger(text); }

int intValue(std::string_view text) {
  long long value = leadingInteger(text);
  return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : int(value);
}

double doubleValue(std::string_view text) {
  text = skipSpace(text);
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  double value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value,
                                      std::chars_format::general);
  if (error == std::errc::result_out_of_range) return 0;
  return end == text.data() ? 0 : value;
}

bool boolValue(std::string_view text) {
  text = skipSpace(text);
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) text.remove_prefix(1);
  while (!text.empty() && text[0] == '0') text.remove_prefix(1);
  if (text.empty()) return false;
  char c = text[0];
  return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

std::string lastPathComponent(std::string_view path) {
  path = trimTrailingSlashes(path);
  if (path == "/") return "/";
  auto slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string pathExtension(std::string_view path) {
  std::string last = lastPathComponent(path);
  auto dot = last.rfind('.');
  if (dot == std::string::npos || dot == 0) return {};
  return last.substr(dot + 1);
}

std::string stringByDeletingLastPathComponent(std::string_view path) {
  path = trimTrailingSlashes(path);
  auto slash = path.rfind('/');
  if (slash == std::string_view::npos) return {};
  if (slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

std::string stringByAppendingPathComponent(std::string_view path, std::string_view component) {
  std::string joined(trimTrailingSlashes(path));
  while (!component.empty() && component.front() == '/') component.remove_prefix(1);
  if (!joined.empty() && joined.back() != '/') joined += '/';
  joined += component;
  return joined;
}

int caseInsensitiveCompare(std::string_view a, std::string_view b) {
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
    auto ca = (unsigned char)std::tolower((unsigned char)a[i]);
    auto cb = (unsigned char)std::tolower((unsigned char)b[i]);
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

std::vector<std::string> componentsSeparatedByString(std::string_view text, std::string_view separator) {
  std::vector<std::string> parts;
  if (separator.empty()) {
    parts.emplace_back(text);
    return parts;
  }
  std::size_t at = 0;
  for (;;) {
    auto found = text.find(separator, at);
    if (found == std::string_view::npos) break;
    parts.emplace_back(text.substr(at, found - at));
    at = found + separator.size();
  }
  parts.emplace_back(text.substr(at));
  return parts;
}

int replaceOccurrencesOfString(std::string& text, std::string_view target, std::string_view replacement,
                               bool caseInsensitive) {
  if (target.empty()) return 0;
  auto matchesAt = [&](std::size_t at) {
    if (!caseInsensitive) return text.compare(at, target.size(), target) == 0;
    return caseInsensitiveCompare(std::string_view(text).substr(at, target.size()), target) == 0;
  };
  std::string out;
  int count = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    if (at + target.size() <= text.size() && matchesAt(at)) {
      out += replacement;
      at += target.size();
      ++count;
    } else {
      out += text[at++];
    }
  }
  text = std::move(out);
  return count;
}

std::string asciiLossy(std::string_view text) {
  std::string ascii;
  ascii.reserve(text.size());
  utf8::forEachCodePoint(text, [&](char32_t c) {
    if (c < 0x80)
      ascii += char(c);
    else if (c >= 0xC0 && c < 0x100)
      ascii += kLatin1Bases[c - 0xC0];
    else if (c >= 0x100 && c < 0x180)
      ascii += kLatinExtendedABases[c - 0x100];
    else
      ascii += '?';
  });
  return ascii;
}

bool isValidUtf8(std::string_view text) {
  bool valid = true;
  utf8::forEachCodePoint(text, [&](char32_t c) { valid = valid && c != utf8::kInvalid; });
  return valid;
}

std::string escapeHTML(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace platform
