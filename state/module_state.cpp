#include "state/module_state.h"

namespace holdstill {

std::atomic<AppServices*> vAppObject{nullptr};
std::optional<std::string> vnsAppVersion;
std::optional<std::string> vnsPreview;
std::atomic<bool> vbRecordGPS{false};
bool vbShowSplash = false;
float accelDelta = 0.0f;
float vwSecsToBeStablized = 2.0f;
int vwIntervalsStable = 0;
std::int8_t vbAccelerometerOn = 0;
int vwTakeStablePic = 0;
std::atomic<bool> vbLandscapeDuringSnap{false};
double oldAccelerationX = 0.0, oldAccelerationY = 0.0, oldAccelerationZ = 0.0;

void resetModuleStateForTesting() {
  vAppObject = nullptr;
  vnsAppVersion.reset();
  vnsPreview.reset();
  vbRecordGPS = false;
  vbShowSplash = false;
  accelDelta = 0.0f;
  vwSecsToBeStablized = 2.0f;
  vwIntervalsStable = 0;
  vbAccelerometerOn = 0;
  vwTakeStablePic = 0;
  vbLandscapeDuringSnap = false;
  oldAccelerationX = oldAccelerationY = oldAccelerationZ = 0.0;
}

}  // namespace holdstill
