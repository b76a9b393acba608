#pragma once
// NSDateFormatter: dates as text in the device's local time.
//
// Patterns use the platform's letters: y (yy two digits), M/L (M, MM, MMM
// short name, MMMM full name), d, E (EEE short, EEEE full weekday), a
// (AM/PM), H, h, k, K, m, s, S (fraction), z ("GMT+01:00"), Z ("+0100"),
// 'quoted literal text' ('' is a quote); other characters are copied.
// "yyyy:MM:dd HH:mm:ss" gives "2009:03:14 15:09:26".
//
// Styles give each language's usual forms (English, German and French; any
// other language formats as English). Medium date and time in English:
// "Mar 14, 2009 3:09:26 PM"; German "14.03.2009 15:09:26"; French
// "14 mars 2009 15:09:26". Setting a style replaces the pattern and setting
// a pattern replaces the styles.
#include "platform/foundation/date.h"

#include <string>

namespace platform {

enum class NSDateFormatterStyle { NoStyle = 0, ShortStyle = 1, MediumStyle = 2, LongStyle = 3, FullStyle = 4 };

class NSDateFormatter {
 public:
  // The current device's language and time zone.
  NSDateFormatter();

  void setDateFormat(std::string format);
  // The pattern in use: the one set, or the one the styles make.
  std::string dateFormat() const;
  void setDateStyle(NSDateFormatterStyle style);
  void setTimeStyle(NSDateFormatterStyle style);

  std::string stringFromDate(const NSDate& date) const;

 private:
  std::string language_;  // "en", "de" or "fr"
  int utcOffset_ = 0;
  std::string format_;
  NSDateFormatterStyle dateStyle_ = NSDateFormatterStyle::NoStyle;
  NSDateFormatterStyle timeStyle_ = NSDateFormatterStyle::NoStyle;
};

}  // namespace platform
