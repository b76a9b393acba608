#include "app/steadiness_detector.h"

#include "state/module_state.h"

#include <cmath>

namespace holdstill {

float addMovement(float sum, double previous, double current) {
  return static_cast<float>(static_cast<double>(sum) + std::fabs(previous - current));
}

float steadinessLevel(const MovementSums& sums, float accelDelta) {
  float level = 0.0f;
  for (const float d : {sums.dx, sums.dy, sums.dz}) {
    // Written as "not at or below" so that a sum that is not a number reads
    // as movement, never as steadiness.
    if (!(d <= accelDelta)) {
      const float t = d - accelDelta;
      level = static_cast<double>(t) < kLevelRange ? static_cast<float>(static_cast<double>(t) / kLevelRange)
                                                   : kFullLevel;
    }
  }
  return level;
}

bool steadyLongEnough(int intervalsStable, float secsToBeStablized) {
  return static_cast<double>(intervalsStable) >
         static_cast<double>(secsToBeStablized) / kSteadinessTickInterval;
}

void steadinessSample(MovementSums& sums, double x, double y, double z,
                      const SteadinessScreen& screen) {
  if (vbAccelerometerOn != 0 && !screen.helpButtonHidden()) {
    sums.dx = addMovement(sums.dx, oldAccelerationX, x);
    sums.dy = addMovement(sums.dy, oldAccelerationY, y);
    sums.dz = addMovement(sums.dz, oldAccelerationZ, z);
    oldAccelerationX = x;
    oldAccelerationY = y;
    oldAccelerationZ = z;
  } else {
    sums = {};
  }
}

void steadinessTick(MovementSums& sums, SteadinessScreen& screen) {
  if (vbAccelerometerOn == 0) return;
  if (screen.meterDisabled()) return;
  const float level = steadinessLevel(sums, accelDelta);
  screen.setStablizedLevel(level);
  sums = {};
  if (level != 0 || screen.helpButtonHidden()) {
    vwIntervalsStable = 0;
    return;
  }
  ++vwIntervalsStable;
  if (steadyLongEnough(vwIntervalsStable, vwSecsToBeStablized)) screen.snap();
}

}  // namespace holdstill
