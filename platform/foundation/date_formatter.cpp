#include "platform/foundation/date_formatter.h"

#include "platform/device/device.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace platform {
namespace {

using Names = std::array<const char*, 12>;
using DayNames = std::array<const char*, 7>;

struct LocaleData {
  Names months, shortMonths;
  DayNames weekdays, shortWeekdays;
  std::array<const char*, 5> datePatterns, timePatterns;  // by style; [0] unused
};

const LocaleData kEnglish{
    {"January", "February", "March", "April", "May", "June", "July", "August", "September", "October",
     "November", "December"},
    {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"},
    {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"},
    {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"},
    {"", "M/d/yy", "MMM d, yyyy", "MMMM d, yyyy", "EEEE, MMMM d, yyyy"},
    {"", "h:mm a", "h:mm:ss a", "h:mm:ss a z", "h:mm:ss a z"}};

const LocaleData kGerman{
    {"Januar", "Februar", "März", "April", "Mai", "Juni", "Juli", "August", "September", "Oktober",
     "November", "Dezember"},
    {"Jan.", "Feb.", "März", "Apr.", "Mai", "Juni", "Juli", "Aug.", "Sept.", "Okt.", "Nov.", "Dez."},
    {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"},
    {"So.", "Mo.", "Di.", "Mi.", "Do.", "Fr.", "Sa."},
    {"", "dd.MM.yy", "dd.MM.yyyy", "d. MMMM yyyy", "EEEE, d. MMMM yyyy"},
    {"", "HH:mm", "HH:mm:ss", "HH:mm:ss z", "HH:mm:ss z"}};

const LocaleData kFrench{
    {"janvier", "février", "mars", "avril", "mai", "juin", "juillet", "août", "septembre", "octobre",
     "novembre", "décembre"},
    {"janv.", "févr.", "mars", "avr.", "mai", "juin", "juil.", "août", "sept.", "oct.", "nov.", "déc."},
    {"dimanche", "lundi", "mardi", "mercredi", "jeudi", "vendredi", "samedi"},
    {"dim.", "lun.", "mar.", "mer.", "jeu.", "ven.", "sam."},
    {"", "dd/MM/yy", "d MMM yyyy", "d MMMM yyyy", "EEEE d MMMM yyyy"},
    {"", "HH:mm", "HH:mm:ss", "HH:mm:ss z", "HH:mm:ss z"}};

const LocaleData& localeData(const std::string& language) {
  if (language == "de") return kGerman;
  if (language == "fr") return kFrench;
  return kEnglish;
}

std::string languageOf(std::string identifier) {
  std::string base = identifier.substr(0, identifier.find_first_of("-_"));
  for (auto& c : base) c = char(std::tolower((unsigned char)c));
  return base == "de" || base == "fr" ? base : "en";
}

// The calendar fields of a moment in local time.
struct Fields {
  long long year;
  unsigned month, day, weekday;  // weekday: 0 Sunday
  int hour, minute, second;
  double fraction;
};

Fields fieldsOf(double seconds) {
  using namespace std::chrono;
  // Kept within the calendar's years (about +-30000), and NaN read as 0.
  constexpr double kLimit = 9.0e11;
  seconds = std::isnan(seconds) ? 0 : std::clamp(seconds, -kLimit, kLimit);
  double whole = std::floor(seconds);
  auto total = (long long)whole;
  long long dayNumber = total >= 0 ? total / 86400 : -((-total + 86399) / 86400);
  long long secondOfDay = total - dayNumber * 86400;
  sys_days day{days(dayNumber)};
  year_month_day date{day};
  return Fields{int(date.year()), unsigned(date.month()), unsigned(date.day()),
                weekday(day).c_encoding(), int(secondOfDay / 3600), int(secondOfDay / 60 % 60),
                int(secondOfDay % 60), seconds - whole};
}

std::string padded(long long value, std::size_t width) {
  std::string digits = std::to_string(value < 0 ? -value : value);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return value < 0 ? "-" + digits : digits;
}

std::string zoneText(int offset, bool gmtStyle) {
  if (gmtStyle && offset == 0) return "GMT";
  int magnitude = std::abs(offset) / 60;
  char text[16];
  std::snprintf(text, sizeof text, gmtStyle ? "GMT%c%02d:%02d" : "%c%02d%02d", offset < 0 ? '-' : '+',
                magnitude / 60, magnitude % 60);
  return text;
}

std::string field(char letter, std::size_t count, const Fields& f, const LocaleData& names, int offset) {
  switch (letter) {
    case 'G': return f.year > 0 ? "AD" : "BC";
    case 'y': return count == 2 ? padded(((f.year % 100) + 100) % 100, 2) : padded(f.year, count);
    case 'M':
    case 'L':
      if (count >= 4) return names.months[f.month - 1];
      if (count == 3) return names.shortMonths[f.month - 1];
      return padded(f.month, count);
    case 'd': return padded(f.day, count);
    case 'E': return count >= 4 ? names.weekdays[f.weekday] : names.shortWeekdays[f.weekday];
    case 'a': return f.hour < 12 ? "AM" : "PM";
    case 'H': return padded(f.hour, count);
    case 'k': return padded(f.hour == 0 ? 24 : f.hour, count);
    case 'K': return padded(f.hour % 12, count);
    case 'h': return padded(f.hour % 12 == 0 ? 12 : f.hour % 12, count);
    case 'm': return padded(f.minute, count);
    case 's': return padded(f.second, count);
    case 'S': {
      std::string digits;
      double rest = f.fraction;
      for (std::size_t i = 0; i < count; ++i) {
        rest *= 10;
        int digit = std::min(9, int(rest));
        digits += char('0' + digit);
        rest -= digit;
      }
      return digits;
    }
    case 'z': return zoneText(offset, true);
    case 'Z': return zoneText(offset, false);
  }
  return std::string(count, letter);
}

}  // namespace

NSDateFormatter::NSDateFormatter() {
  auto profile = Device::current()->profile();
  language_ = languageOf(profile.preferredLanguage);
  utcOffset_ = profile.utcOffsetSeconds;
}

void NSDateFormatter::setDateFormat(std::string format) {
  format_ = std::move(format);
  dateStyle_ = timeStyle_ = NSDateFormatterStyle::NoStyle;
}

void NSDateFormatter::setDateStyle(NSDateFormatterStyle style) {
  dateStyle_ = style;
  format_.clear();
}

void NSDateFormatter::setTimeStyle(NSDateFormatterStyle style) {
  timeStyle_ = style;
  format_.clear();
}

std::string NSDateFormatter::dateFormat() const {
  if (!format_.empty()) return format_;
  const auto& names = localeData(language_);
  std::string date = names.datePatterns[std::size_t(dateStyle_) % 5];
  std::string time = names.timePatterns[std::size_t(timeStyle_) % 5];
  if (date.empty() || time.empty()) return date + time;
  return date + " " + time;
}

std::string NSDateFormatter::stringFromDate(const NSDate& date) const {
  const std::string pattern = dateFormat();
  const auto& names = localeData(language_);
  Fields f = fieldsOf(date.timeIntervalSince1970() + utcOffset_);
  std::string out;
  for (std::size_t i = 0; i < pattern.size();) {
    char c = pattern[i];
    if (c == '\'') {
      if (i + 1 < pattern.size() && pattern[i + 1] == '\'') {
        out += '\'';
        i += 2;
        continue;
      }
      // Quoted literal text; '' inside it is one quote.
      for (++i; i < pattern.size(); ++i) {
        if (pattern[i] != '\'') {
          out += pattern[i];
        } else if (i + 1 < pattern.size() && pattern[i + 1] == '\'') {
          out += '\'';
          ++i;
        } else {
          ++i;
          break;
        }
      }
      continue;
    }
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
      std::size_t run = 1;
      while (i + run < pattern.size() && pattern[i + run] == c) ++run;
      out += field(c, run, f, names, utcOffset_);
      i += run;
      continue;
    }
    out += c;
    ++i;
  }
  return out;
}

}  // namespace platform
