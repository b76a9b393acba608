#pragma once
// NSDate: a moment, as seconds since 1970-01-01 00:00:00 UTC. "Now" is the
// current device's clock origin plus the main run loop's time, so in
// Virtual mode dates move with virtual time and repeat from run to run.
#include <compare>

namespace platform {

class NSDate {
 public:
  static NSDate date();  // now
  static NSDate dateWithTimeIntervalSince1970(double seconds) { return NSDate(seconds); }
  static NSDate dateWithTimeIntervalSinceNow(double seconds);

  double timeIntervalSince1970() const { return seconds_; }
  // Negative for a moment in the past.
  double timeIntervalSinceNow() const;
  double timeIntervalSinceDate(const NSDate& other) const { return seconds_ - other.seconds_; }
  NSDate dateByAddingTimeInterval(double seconds) const { return NSDate(seconds_ + seconds); }

  friend auto operator<=>(const NSDate&, const NSDate&) = default;

 private:
  explicit NSDate(double seconds) : seconds_(seconds) {}
  double seconds_;
};

}  // namespace platform
