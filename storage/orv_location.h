#pragma once
// OrvLocation: the location tracker. It keeps the device's location
// service running for the life of the process (distance filter 2 m, best
// accuracy), judges every fix it reports and hands each verdict to a
// receiver, the capture screen in the application.
//
// Judging (judgeFix): the first fix after start is stale when its
// timestamp, truncated to whole seconds, lies more than 300 seconds in the
// past; any fix whose horizontal accuracy is negative, or whose position or
// accuracy is not a finite number, has no valid position. Either is handed
// on as a failure without error; platform errors are handed on as they
// are. Main thread only.
#include "platform/foundation/error.h"
#include "platform/sensors/location.h"
#include "platform/sensors/location_manager.h"

#include <memory>
#include <string>

namespace holdstill {

enum class FixVerdict { Accepted, Stale, NoValidPosition };

// The verdict on a fix `ageSeconds` old (timeIntervalSinceNow of its
// timestamp: negative for the past); only the first fix is judged by age.
FixVerdict judgeFix(const platform::CLLocation& fix, bool firstDataPoint, double ageSeconds);

// What the tracker reports to (the capture screen's newGPSPoint and
// failedGPSPoint). Not owned by the tracker when given as a raw reference;
// see OrvLocation::init.
class LocationReceiver {
 public:
  virtual ~LocationReceiver() = default;
  virtual void newGPSPoint(const platform::CLLocationRef& fix) = 0;
  // Null error: a rejected fix.
  virtual void failedGPSPoint(const platform::NSError* error) = 0;
  // Every callback's outcome, for tools that show why a fix was rejected:
  // the fix with its verdict, or the error (fix null). Called before the
  // methods above.
  virtual void judged(FixVerdict /*verdict*/, const platform::CLLocationRef& /*fix*/,
                      const platform::NSError* /*error*/) {}
};

class OrvLocation : public platform::CLLocationManagerDelegate,
                    public std::enable_shared_from_this<OrvLocation> {
 public:
  static constexpr platform::CLLocationDistance kDistanceFilter = 2.0;
  static constexpr double kStaleFirstFixSeconds = -300;

  // init: creates the manager, becomes its delegate, sets the filter and
  // accuracy and starts updates. The receiver is shared with the tracker.
  static std::shared_ptr<OrvLocation> init(std::shared_ptr<LocationReceiver> receiver);

  // Text form of a fix (see location_text.h).
  std::string description(const platform::CLLocation& fix) const;

  void locationManagerDidUpdateToLocation(platform::CLLocationManager& manager,
                                          const platform::CLLocationRef& newLocation,
                                          const platform::CLLocationRef& oldLocation) override;
  void locationManagerDidFailWithError(platform::CLLocationManager& manager,
                                       const platform::NSError& error) override;

  const std::shared_ptr<platform::CLLocationManager>& manager() const { return _manager; }
  bool firstDataPoint() const { return _bFirstDataPoint; }

 private:
  explicit OrvLocation(std::shared_ptr<LocationReceiver> receiver) : receiver_(std::move(receiver)) {}

  std::shared_ptr<platform::CLLocationManager> _manager;
  bool _bFirstDataPoint = true;
  std::shared_ptr<LocationReceiver> receiver_;
};

}  // namespace holdstill
