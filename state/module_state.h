#pragma once
// The module-level state the application's parts share, with the values
// it has before launch. The launch sequence (SimpleTableViewAppDelegate)
// sets most of it once; the steadiness detector, the camera overlay and the
// save pipeline read and write the rest.
//
// Threads: everything here belongs to the main thread, except what the
// save worker reads while the main thread may write it, which is atomic
// (vbRecordGPS, vbLandscapeDuringSnap, vAppObject). vnsAppVersion and
// vnsPreview are written only by the launch sequence, before any worker
// exists, and only read afterwards.
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

namespace holdstill {

class AppServices;

// The application delegate's services, published as the first step of
// launch. Not an owner: UIApplicationMain holds the delegate for the life
// of the process.
extern std::atomic<AppServices*> vAppObject;
// The bundle's short version string; empty when the bundle has none.
extern std::optional<std::string> vnsAppVersion;
// The localized "Preview", which the camera shows in its title after a shot.
extern std::optional<std::string> vnsPreview;
// GPS recording on (setting "RECORDGPS").
extern std::atomic<bool> vbRecordGPS;
// Setting "SHOWSPLASH"; nothing reads it after launch.
extern bool vbShowSplash;
// Per-tick movement threshold of one axis (setting "SENSITIVITY"), in g.
extern float accelDelta;
// Seconds of steadiness before the shutter fires.
extern float vwSecsToBeStablized;
// Consecutive steady ticks so far.
extern int vwIntervalsStable;
// Non-zero: the steadiness detector is armed (the overlay stores the low
// byte of its meter mode here, so -1 arms too).
extern std::int8_t vbAccelerometerOn;
// Stabilized-shot mode: 1 on, 0 off.
extern int vwTakeStablePic;
// The phone was held in landscape when the shutter fired.
extern std::atomic<bool> vbLandscapeDuringSnap;
// The previous accelerometer sample, in g.
extern double oldAccelerationX, oldAccelerationY, oldAccelerationZ;

// Puts every variable above back to its value before launch, so that a
// test can launch the application again in the same process. Main thread,
// with no worker running.
void resetModuleStateForTesting();

}  // namespace holdstill
