// holdstill trace-steadiness TRACE.csv [--sensitivity N]: the steadiness
// detector over a recorded accelerometer log (see the usage text).
#include "state/module_state.h"
#include "state/settings.h"
#include "app/steadiness_detector.h"
#include "platform/foundation/string_format.h"
#include "platform/runloop/run_loop.h"
#include "platform/runloop/timer.h"
#include "platform/sensors/accelerometer.h"
#include "sim/commands.h"

#include <climits>

namespace holdstill::sim {

using namespace platform;

namespace {

// The capture screen as the overlay leaves it while it waits for a steady
// shot: the meter enabled and the help button shown. A shutter request is
// printed and handled as the overlay fires: the count goes back to 0.
class Replay final : public UIAccelerometerDelegate, public SteadinessScreen {
 public:
  explicit Replay(std::ostream& out) : out_(out) {}

  void accelerometerDidAccelerate(UIAccelerometer&, const UIAcceleration& a) override {
    steadinessSample(sums_, a.x, a.y, a.z, *this);
  }

  void tick() {
    snapped_ = false;
    steadinessTick(sums_, *this);
    const std::string time = stringWithFormat("%.3f", RunLoop::main().now());
    out_ << "t=" << time << " level=" << stringWithFormat("%.6f", level_)
         << " steady=" << (snapped_ ? stableAtSnap_ : vwIntervalsStable) << "\n";
    if (snapped_) out_ << "t=" << time << " shutter request\n";
    ++ticks_;
  }

  bool helpButtonHidden() const override { return false; }
  bool meterDisabled() const override { return false; }
  void setStablizedLevel(float level) override { level_ = level; }
  void snap() override {
    snapped_ = true;
    stableAtSnap_ = vwIntervalsStable;
    vwIntervalsStable = 0;
    ++requests_;
  }

  int ticks() const { return ticks_; }
  int requests() const { return requests_; }

 private:
  std::ostream& out_;
  MovementSums sums_;
  float level_ = 0;
  bool snapped_ = false;
  int stableAtSnap_ = 0;
  int ticks_ = 0, requests_ = 0;
};

// The fewest steady ticks that ask for the shutter.
int ticksToShutter() {
  int n = 1;
  while (!steadyLongEnough(n, vwSecsToBeStablized)) ++n;
  return n;
}

int sensitivityArgument(const Arguments& arguments) {
  const auto given = arguments.options.find("--sensitivity");
  if (given == arguments.options.end()) return 1;
  const long long value = wholeNumberArgument(given->first, given->second);
  if (value < INT_MIN || value > INT_MAX)
    throw CommandError("--sensitivity " + given->second + " is out of range");
  return static_cast<int>(value);
}

}  // namespace

void traceSteadiness(const std::vector<std::string>& args, std::ostream& out) {
  const Arguments arguments = parseArguments(args, {"--sensitivity"});
  if (arguments.positional.size() != 1)
    throw UsageError("trace-steadiness takes one trace file");
  const std::string& path = arguments.positional[0];
  const int sensitivity = sensitivityArgument(arguments);
  MotionTrace trace = MotionTrace::load(path);
  const double duration = trace.duration();  // at most a day: MotionTrace refuses longer logs

  RunLoop::resetMain(RunLoop::Mode::Virtual);
  // The detector as launch leaves it, then armed by the overlay.
  oldAccelerationX = oldAccelerationY = oldAccelerationZ = 0.0;
  accelDelta = accelDeltaForSensitivity(sensitivity);
  vwIntervalsStable = 0;
  vbAccelerometerOn = 1;

  out << "# trace-steadiness " << path << ": " << trace.rows().size() << " rows over "
      << stringWithFormat("%.3f", duration) << " s; threshold " << stringWithFormat("%g", accelDelta)
      << " g per axis (sensitivity " << sensitivity << "); shutter after " << ticksToShutter()
      << " steady ticks of " << kSteadinessTickInterval << " s\n";

  auto replay = std::make_shared<Replay>(out);
  UIAccelerometer& accelerometer = UIAccelerometer::sharedAccelerometer();
  accelerometer.setMotion(MotionScript::trace(std::move(trace)));
  accelerometer.setDelegate(replay);
  accelerometer.setUpdateInterval(kAccelerometerInterval);
  auto timer = NSTimer::scheduledTimerWithTimeInterval(
      kSteadinessTickInterval, [&replay](NSTimer&) { replay->tick(); }, true);
  RunLoop::main().runFor(duration);
  timer->invalidate();
  accelerometer.setDelegate({});
  vbAccelerometerOn = 0;

  out << "# " << replay->requests() << " shutter request" << (replay->requests() == 1 ? "" : "s")
      << " in " << replay->ticks() << " ticks\n";
}

}  // namespace holdstill::sim
