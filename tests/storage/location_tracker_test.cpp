// The location tracker: judging fixes, the badge's texts in three
// languages, and what it hands on (its distance filter on a replayed
// track is pinned through holdstill replay-gps).
#include "storage/location_text.h"
#include "storage/orv_location.h"

#include "tests/platform/device_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>

namespace holdstill {
namespace {

using namespace platform;

CLLocation fixAt(double lat, double lon, double accuracy = 5, double alt = 0) {
  return CLLocation({lat, lon}, alt, accuracy, NSDate::dateWithTimeIntervalSince1970(0));
}

struct JudgeCase {
  const char* name;
  double lat, lon, accuracy, age;
  bool first;
  FixVerdict verdict;
};

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

const JudgeCase kJudgeCases[] = {
    {"FreshFirstFix", 47.1, 8.5, 5, -1, true, FixVerdict::Accepted},
    {"FirstFix400sOldIsStale", 47.1, 8.5, 5, -400, true, FixVerdict::Stale},
    {"LaterFix400sOldIsAccepted", 47.1, 8.5, 5, -400, false, FixVerdict::Accepted},
    {"FirstFix300point5sOldPasses", 47.1, 8.5, 5, -300.5, true, FixVerdict::Accepted},
    {"FirstFix301sOldIsStale", 47.1, 8.5, 5, -301, true, FixVerdict::Stale},
    {"NegativeAccuracyFirst", 47.1, 8.5, -1, 0, true, FixVerdict::NoValidPosition},
    {"NegativeAccuracyLater", 47.1, 8.5, -1, 0, false, FixVerdict::NoValidPosition},
    {"NegativeZeroAccuracy", 47.1, 8.5, -0.0, 0, false, FixVerdict::NoValidPosition},
    {"NaNLatitude", kNaN, 8.5, 5, 0, false, FixVerdict::NoValidPosition},
    {"InfiniteLongitude", 47.1, kInf, 5, 0, false, FixVerdict::NoValidPosition},
    {"NaNAccuracy", 47.1, 8.5, kNaN, 0, false, FixVerdict::NoValidPosition},
    {"InfiniteAccuracy", 47.1, 8.5, kInf, 0, false, FixVerdict::NoValidPosition},
};

class Judging : public ::testing::TestWithParam<JudgeCase> {};

TEST_P(Judging, GivesTheVerdict) {
  const JudgeCase& c = GetParam();
  EXPECT_EQ(judgeFix(fixAt(c.lat, c.lon, c.accuracy), c.first, c.age), c.verdict);
}

INSTANTIATE_TEST_SUITE_P(Fixes, Judging, ::testing::ValuesIn(kJudgeCases),
                         [](const auto& info) { return std::string(info.param.name); });

class LocationTexts : public testsupport::DeviceTest {
 protected:
  void speak(const std::string& language) {
    useDevice({.preferredLanguage = language, .clockOrigin = 1236870566});  // 2009-03-12 15:09:26 UTC
  }
  static NSDate when() { return NSDate::dateWithTimeIntervalSince1970(1236870566); }
};

TEST_F(LocationTexts, FormTheFixInEachLanguage) {
  struct Case {
    const char* language;
    const char* info;
    const char* noData;
  } cases[] = {
      {"en", "GPS: 33.87 S  151.21 E  Alt: -3m\r\non Mar 12, 2009 3:09:26 PM", "No GPS data"},
      {"de", "GPS: 33.87 S  151.21 E  Alt: -3m\r\non 12.03.2009 15:09:26", "Keine GPS-Daten"},
      {"fr", "GPS : 33.87 S  151.21 E  Alt: -3m\r\non 12 mars 2009 15:09:26", "Aucune donnée GPS"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language);
    speak(c.language);
    const CLLocation fix({-33.8688, 151.2093}, -3.4, 5, when());
    EXPECT_EQ(gpsInfoText(fix), c.info);
    EXPECT_EQ(gpsFailureText(nullptr), c.noData);
    const NSError unknown{"kCLErrorDomain", 0, "unknown"}, denied{"kCLErrorDomain", 1, "Access denied"};
    EXPECT_EQ(gpsFailureText(&unknown), c.noData);
    EXPECT_EQ(gpsFailureText(&denied), "Access denied");
  }
}

TEST_F(LocationTexts, ZeroCountsAsSouthAndWestAndNoPlaceHasNoInformation) {
  speak("en");
  EXPECT_EQ(locationDescription(0.0f, 12.5f, 0.4f, when()),
            "0.00 S  12.50 E  Alt: 0m\r\non Mar 12, 2009 3:09:26 PM");
  EXPECT_EQ(locationDescription(12.5f, 0.0f, 10.0f, when()).substr(0, 17), "12.50 N  0.00 W  ");
  EXPECT_EQ(locationDescription(0.0f, 0.0f, 10.0f, when()), "No location information");
  EXPECT_EQ(locationDescription(47.0f, 8.0f, 10.0f, std::nullopt), "No location information");
}

// Collects what the tracker hands on, as the capture screen receives it.
class Recorder final : public LocationReceiver {
 public:
  void newGPSPoint(const CLLocationRef& fix) override {
    char line[32];
    std::snprintf(line, sizeof line, "new %.5f", fix->coordinate().latitude);
    lines.push_back(line);
  }
  void failedGPSPoint(const NSError* error) override {
    lines.push_back(error ? "error " + std::to_string(error->code) : "failed");
  }
  std::vector<std::string> lines;
};

using Tracker = testsupport::DeviceTest;

TEST_F(Tracker, HandsOnErrorsAndInvalidFixesAndKeepsJudgingAgeOnlyOnce) {
  LocationService::current().setReplay(LocationReplay({
      LocationEvent::failure(0.5, 0, "unknown"),
      LocationEvent::fix(1, 47, 8, 0, 5, 400),  // stale, first
      LocationEvent::fix(2, 48, 8, 0, -1),
      LocationEvent::failure(2.5, 1, "denied"),
      LocationEvent::fix(3, 49, 8, 0, 5, 400),  // as old, but no longer the first
  }));
  auto recorder = std::make_shared<Recorder>();
  auto tracker = OrvLocation::init(recorder);
  loop().runFor(5);
  EXPECT_EQ(recorder->lines, (std::vector<std::string>{"error 0", "failed", "failed", "error 1", "new 49.00000"}));
}

}  // namespace
}  // namespace holdstill
