#pragma once
// The steadiness detector: decides when the phone has been held still long
// enough to take the picture.
//
// Every accelerometer sample adds how far each axis moved; every 0.3-second
// tick turns the sums into a level for the meter (0 steady, up to 1), clears
// them, and counts consecutive steady ticks; after more than
// vwSecsToBeStablized / 0.3 of them (the seventh for 2 s) it asks the
// capture screen to snap, and goes on asking on every further steady tick
// until the overlay, firing, puts the count back to 0.
//
// The two steps work on the module state (vbAccelerometerOn, accelDelta,
// vwIntervalsStable, vwSecsToBeStablized, oldAcceleration*; see
// module_state.h), on the sums they are given, and on the capture screen
// through SteadinessScreen, so tests and the simulator can drive them
// without screens. Main thread only.

namespace holdstill {

inline constexpr double kSteadinessTickInterval = 0.3;  // seconds
// How often the accelerometer delivers a sample to the detector.
inline constexpr double kAccelerometerInterval = 1.0 / 30.0;  // seconds
// A sum this far (in g) above the threshold gives the full level.
inline constexpr double kLevelRange = 1.2;
inline constexpr float kFullLevel = 1.0f;

// How far each axis has moved since the last tick, in g: the application
// delegate's _dxAccel, _dyAccel and _dzAccel.
struct MovementSums {
  float dx = 0, dy = 0, dz = 0;
};

// What the detector needs of the capture screen.
class SteadinessScreen {
 public:
  virtual ~SteadinessScreen() = default;
  // While the help button is hidden (a shot is being taken) nothing counts.
  // No help button counts as shown.
  virtual bool helpButtonHidden() const = 0;
  // While the meter is disabled ticks do nothing. No meter counts as enabled.
  virtual bool meterDisabled() const = 0;
  // Shows the level on the meter.
  virtual void setStablizedLevel(float level) = 0;
  // Fires the shutter (the overlay ignores it while a shot is in progress).
  virtual void snap() = 0;
};

// sum + |previous - current|, added in double precision and stored in single.
float addMovement(float sum, double previous, double current);

// The level of one tick: 0 when no sum exceeds accelDelta; otherwise that
// of the last axis, in the order x, y, z, whose sum d does: (d - accelDelta)
// / 1.2, or 1 from 1.2 on. A sum that is not a number counts as exceeding.
float steadinessLevel(const MovementSums& sums, float accelDelta);

// Whether this many consecutive steady ticks call for the shutter: more
// than secsToBeStablized / 0.3.
bool steadyLongEnough(int intervalsStable, float secsToBeStablized);

// One accelerometer sample, in g. Armed and with the help button shown, it
// adds each axis's movement since the previous sample and becomes the
// previous sample; otherwise it clears the sums and leaves the previous
// sample as it was.
void steadinessSample(MovementSums& sums, double x, double y, double z,
                      const SteadinessScreen& screen);

// One tick. Disarmed, or with the meter disabled, it changes nothing (the
// sums keep growing while held). Otherwise it shows the level, clears the
// sums, and counts the tick when it was steady with the help button shown
// (else puts the count back to 0), asking for the shutter once enough have
// been counted.
void steadinessTick(MovementSums& sums, SteadinessScreen& screen);

}  // namespace holdstill
