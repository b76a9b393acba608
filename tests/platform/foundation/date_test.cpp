// Dates on the device's clock, and their text forms.
#include "platform/foundation/date.h"
#include "platform/foundation/date_formatter.h"
#include "tests/platform/device_fixture.h"

namespace platform {
namespace {

class DateTest : public testsupport::DeviceTest {
 protected:
  // 2009-03-14 15:09:26 UTC
  static constexpr double kPiDay = 1237043366;

  static std::string format(const char* pattern, double seconds, int offset = 0) {
    NSDateFormatter formatter;
    formatter.setDateFormat(pattern);
    formatter.setUTCOffsetSeconds(offset);
    return formatter.stringFromDate(NSDate::dateWithTimeIntervalSince1970(seconds));
  }
};

TEST_F(DateTest, NowFollowsTheRunLoopClockFromTheDeviceOrigin) {
  useDevice({.clockOrigin = kPiDay});
  EXPECT_EQ(NSDate::date().timeIntervalSince1970(), kPiDay);
  loop().runFor(90);
  EXPECT_EQ(NSDate::date().timeIntervalSince1970(), kPiDay + 90);
  auto fix = NSDate::dateWithTimeIntervalSince1970(kPiDay - 310.9);
  EXPECT_NEAR(fix.timeIntervalSinceNow(), -400.9, 1e-6);
  EXPECT_LT(fix, NSDate::date());
}

TEST_F(DateTest, PatternsInLocalTime) {
  EXPECT_EQ(format("yyyy:MM:dd HH:mm:ss", kPiDay), "2009:03:14 15:09:26");
  // 23:30 UTC on 31 December is already the new year one hour east.
  EXPECT_EQ(format("yyyy:MM:dd HH:mm:ss", 1262302200, 3600), "2010:01:01 00:30:00");
  EXPECT_EQ(format("yyyy:MM:dd HH:mm:ss", 1262302200, -3600), "2009:12:31 22:30:00");
  EXPECT_EQ(format("yyyy-MM-dd HH:mm:ss.SSS", -0.25), "1969-12-31 23:59:59.750");
  EXPECT_EQ(format("EEEE, d MMMM yy 'at' h:mm a (Z, z)", kPiDay, 5400),
            "Saturday, 14 March 09 at 4:39 PM (+0130, GMT+01:30)");
  EXPECT_EQ(format("EEE MMM 'o''clock' ''", kPiDay), "Sat Mar o'clock '");
  EXPECT_EQ(format("hh KK kk", 0), "12 00 24");
}

TEST_F(DateTest, MediumStylesPerLanguage) {
  const std::pair<const char*, const char*> cases[] = {
      {"en", "Mar 14, 2009 3:09:26 PM"}, {"de", "14.03.2009 15:09:26"}, {"fr", "14 mars 2009 15:09:26"},
      {"es", "Mar 14, 2009 3:09:26 PM"}};
  for (const auto& [language, expected] : cases) {
    useDevice({.preferredLanguage = language});
    NSDateFormatter formatter;
    formatter.setDateStyle(NSDateFormatterStyle::MediumStyle);
    formatter.setTimeStyle(NSDateFormatterStyle::MediumStyle);
    EXPECT_EQ(formatter.stringFromDate(NSDate::dateWithTimeIntervalSince1970(kPiDay)), expected) << language;
  }
  NSDateFormatter dateOnly;
  dateOnly.setLocaleIdentifier("de_DE");
  dateOnly.setDateStyle(NSDateFormatterStyle::LongStyle);
  EXPECT_EQ(dateOnly.stringFromDate(NSDate::dateWithTimeIntervalSince1970(kPiDay)), "14. M\u00e4rz 2009");
}

}  // namespace
}  // namespace platform
