// The location service: replays from a track or a list, the distance
// filter, timestamps and errors, delivered on the main loop in virtual time.
#include "platform/sensors/location_manager.h"

#include "tests/platform/device_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

namespace platform {
namespace {

struct Delivery {
  TimeInterval at;
  double latitude = 0;
  double timestamp = 0;  // seconds since 1970
  int errorCode = -1;    // -1 for a fix
  bool hadPrevious = false;
};

class Listener final : public CLLocationManagerDelegate {
 public:
  void locationManagerDidUpdateToLocation(CLLocationManager&, const CLLocationRef& fix,
                                          const CLLocationRef& previous) override {
    seen.push_back({RunLoop::main().now(), fix->coordinate().latitude,
                    fix->timestamp()->timeIntervalSince1970(), -1, previous != nullptr});
  }
  void locationManagerDidFailWithError(CLLocationManager&, const NSError& error) override {
    seen.push_back({RunLoop::main().now(), 0, 0, error.code, false});
  }
  std::vector<Delivery> seen;
};

using LocationManager = testsupport::DeviceTest;

std::shared_ptr<CLLocationManager> start(const std::shared_ptr<Listener>& listener, double filter) {
  auto manager = std::make_shared<CLLocationManager>();
  manager->setDelegate(listener);
  manager->setDistanceFilter(filter);
  manager->startUpdatingLocation();
  return manager;
}

TEST(CLLocation, MeasuresGreatCircleDistances) {
  const NSDate t = NSDate::dateWithTimeIntervalSince1970(0);
  const CLLocation zurich({47.3769, 8.5417}, 0, 5, t), paris({48.8566, 2.3522}, 0, 5, t);
  EXPECT_NEAR(zurich.distanceFromLocation(paris), 489e3, 3e3);
  EXPECT_NEAR(CLLocation({0, 0}, 0, 5, t).distanceFromLocation(CLLocation({0, 1e-5}, 0, 5, t)), 1.11, 0.01);
  EXPECT_NEAR(CLLocation({0, 179.99999}, 0, 5, t).distanceFromLocation(CLLocation({0, -179.99999}, 0, 5, t)),
              2.22, 0.01) << "across the date line";
  EXPECT_TRUE(std::isnan(CLLocation({NAN, 0}, 0, 5, t).distanceFromLocation(zurich)));
}

TEST_F(LocationManager, AGpxTrackArrivesFromTheStartKeepingItsSpacing) {
  const GPXTrack track = GPXTrack::parse(
      R"(<gpx version="1.1" xmlns="http://www.topografix.com/GPX/1/1"><trk><trkseg>
         <trkpt lat="47.0" lon="8.0"><time>2010-06-15T11:00:00Z</time></trkpt>
         <trkpt lat="47.1" lon="8.0"><time>2010-06-15T11:00:04Z</time></trkpt>
         <trkpt lat="47.2" lon="8.0"></trkpt>
         <trkpt lat="47.3" lon="8.0"><time>2010-06-15T11:00:02Z</time></trkpt>
         </trkseg></trk></gpx>)",
      "t.gpx");
  for (bool keepTimes : {false, true}) {
    SCOPED_TRACE(keepTimes);
    useDevice({});
    const TimeInterval base = loop().now();
    LocationService::current().setReplay(LocationReplay::fromGPX(track, base + 10, 5, keepTimes));
    auto listener = std::make_shared<Listener>();
    auto manager = start(listener, kCLDistanceFilterNone);
    loop().runFor(30);
    ASSERT_EQ(listener->seen.size(), 4u);
    // No time: a second later; going back: with the one before.
    const TimeInterval at[] = {base + 10, base + 14, base + 15, base + 15};
    const double origin = DeviceProfile{}.clockOrigin + base, fileStart = 1276599600;  // 11:00:00
    const double stamps[] = {keepTimes ? fileStart : origin + 10, keepTimes ? fileStart + 4 : origin + 14,
                             origin + 15, keepTimes ? fileStart + 2 : origin + 15};
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(listener->seen[i].at, at[i]) << i;
      EXPECT_EQ(listener->seen[i].timestamp, stamps[i]) << i;
      EXPECT_EQ(listener->seen[i].hadPrevious, i > 0);
    }
  }
}

TEST_F(LocationManager, TheDistanceFilterMeasuresFromTheLastReportedFix) {
  // 1e-5 degrees of latitude is about 1.11 m.
  LocationService::current().setReplay(LocationReplay({
      LocationEvent::fix(1, 0, 0),
      LocationEvent::fix(2, 1e-5, 0),   // 1.1 m: held back
      LocationEvent::failure(2.5, 1, "denied"),
      LocationEvent::fix(3, 2e-5, 0),   // 2.2 m from the first: reported
      LocationEvent::fix(4, 3e-5, 0),   // 1.1 m from that: held back
      LocationEvent::fix(5, 3.9e-5, 0), // 2.1 m: reported
  }));
  auto listener = std::make_shared<Listener>();
  auto manager = start(listener, 2.0);
  loop().runFor(10);
  std::vector<std::pair<TimeInterval, int>> got;
  for (const Delivery& d : listener->seen) got.emplace_back(d.at, d.errorCode);
  EXPECT_EQ(got, (std::vector<std::pair<TimeInterval, int>>{{1, -1}, {2.5, 1}, {3, -1}, {5, -1}}));
}

TEST_F(LocationManager, AgedFixesAreStampedInThePastAndStoppingEndsDeliveries) {
  LocationService::current().setReplay(LocationReplay({LocationEvent::fix(2, 1, 1, 0, 5, 400),
                                                       LocationEvent::fix(4, 2, 2)}));
  loop().runFor(3);  // the first is already due when updates start
  auto listener = std::make_shared<Listener>();
  auto manager = start(listener, kCLDistanceFilterNone);
  loop().runFor(0);
  ASSERT_EQ(listener->seen.size(), 1u);
  EXPECT_EQ(listener->seen[0].at, 3);
  EXPECT_EQ(listener->seen[0].timestamp, DeviceProfile{}.clockOrigin + 3 - 400);
  manager->stopUpdatingLocation();
  loop().runFor(5);
  EXPECT_EQ(listener->seen.size(), 1u);
}

TEST_F(LocationManager, PlayingAnotherReplayReplacesWhatARunningManagerHasNotDelivered) {
  LocationService::current().setReplay(LocationReplay({LocationEvent::fix(1, 10, 0), LocationEvent::fix(5, 20, 0)}));
  auto listener = std::make_shared<Listener>();
  auto manager = start(listener, 2.0);
  loop().runFor(2);
  LocationService::current().play(LocationReplay({LocationEvent::fix(1, 30, 0), LocationEvent::fix(3, 30.000001, 0),
                                                  LocationEvent::failure(4, 2, "lost")}));
  loop().runFor(4);
  LocationService::current().play(LocationReplay());  // off
  LocationService::current().play(LocationReplay({LocationEvent::fix(7, 40, 0)}));
  LocationService::current().play(LocationReplay());
  loop().runFor(10);
  std::vector<std::pair<TimeInterval, double>> got;
  for (const Delivery& d : listener->seen) got.emplace_back(d.at, d.errorCode == -1 ? d.latitude : -d.errorCode);
  // The due one at once, the next held back by the filter, the error; nothing after "off".
  EXPECT_EQ(got, (std::vector<std::pair<TimeInterval, double>>{{1, 10}, {2, 30}, {4, -2}}));
}

TEST_F(LocationManager, AnUnreadableTrackNamesTheFileAndTheLine) {
  const auto path = scratch() / "broken.gpx";
  std::filesystem::create_directories(scratch());
  {
    std::ofstream out(path);
    out << "<gpx version=\"1.1\">\n<trk><trkseg>\n<trkpt lon=\"8\"/>\n</trkseg></trk></gpx>\n";
  }
  try {
    LocationReplay::fromGPXFile(path, 0, 5, false);
    FAIL() << "no error";
  } catch (const GPXError& e) {
    EXPECT_NE(std::string(e.what()).find("broken.gpx"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("line 3"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace platform
