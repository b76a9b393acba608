#include "tools/exf/capture_time.h"

#include <cstdio>

namespace exf {
namespace {

// The number in text[at, at + width) when it is all digits.
std::optional<int> digitsAt(std::string_view text, std::size_t at, std::size_t width) {
  if (at + width > text.size()) return std::nullopt;
  int v = 0;
  for (std::size_t i = at; i < at + width; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    v = v * 10 + (text[i] - '0');
  }
  return v;
}

}  // namespace

std::optional<std::chrono::minutes> parseUtcOffset(std::string_view text) {
  if (text.size() != 6 || (text[0] != '+' && text[0] != '-') || text[3] != ':') return std::nullopt;
  const auto hours = digitsAt(text, 1, 2), minutes = digitsAt(text, 4, 2);
  if (!hours || !minutes || *minutes > 59 || *hours * 60 + *minutes > 18 * 60) return std::nullopt;
  const std::chrono::minutes offset(*hours * 60 + *minutes);
  return text[0] == '-' ? -offset : offset;
}

std::optional<UtcSeconds> localTimeToUtc(std::string_view text, std::chrono::minutes offset) {
  while (!text.empty() && text.back() == '\0') text.remove_suffix(1);
  if (text.size() != 19 || text[4] != ':' || text[7] != ':' || text[10] != ' ' || text[13] != ':' ||
      text[16] != ':')
    return std::nullopt;
  const auto year = digitsAt(text, 0, 4), month = digitsAt(text, 5, 2), day = digitsAt(text, 8, 2);
  const auto hour = digitsAt(text, 11, 2), minute = digitsAt(text, 14, 2), second = digitsAt(text, 17, 2);
  if (!year || !month || !day || !hour || !minute || !second) return std::nullopt;
  const std::chrono::year_month_day date{std::chrono::year(*year), std::chrono::month(*month),
                                         std::chrono::day(*day)};
  if (*year == 0 || !date.ok() || *hour > 23 || *minute > 59 || *second > 59) return std::nullopt;
  const auto local = std::chrono::sys_days(date) + std::chrono::hours(*hour) +
                     std::chrono::minutes(*minute) + std::chrono::seconds(*second);
  return local - offset;
}

std::string formatUtc(UtcSeconds t) {
  const auto days = std::chrono::floor<std::chrono::days>(t);
  const std::chrono::year_month_day date(days);
  const std::chrono::hh_mm_ss time(t - days);
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d UTC", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()));
  return text;
}

}  // namespace exf
