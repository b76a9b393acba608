#include "platform/sensors/motion_script.h"

#include <cmath>
#include <numbers>

namespace platform {
namespace {

// splitmix64: a small, well-mixed hash, the same on every platform (the
// standard library's distributions are not).
std::uint64_t mix(std::uint64_t z) {
  z += 0x9e3779b97f4a7c15ULL;
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

// A uniform number in [-1, 1] for (seed, stream, step).
double uniform(std::uint64_t seed, std::uint64_t stream, std::int64_t step) {
  const std::uint64_t h = mix(mix(mix(seed) ^ stream) ^ std::uint64_t(step));
  return double(h >> 11) * 0x1.0p-52 - 1.0;
}

// Noise changes with the time in whole microseconds, so a sample depends
// on when it is taken and on nothing else.
std::int64_t step(double elapsed) { return std::llround(elapsed * 1e6); }

}  // namespace

MotionScript MotionScript::still(std::uint64_t seed, double noise, Gravity gravity) {
  return MotionScript(Kind::Still, seed, noise, gravity);
}

MotionScript MotionScript::shaking(std::uint64_t seed, double amplitude, Gravity gravity) {
  return MotionScript(Kind::Shaking, seed, amplitude, gravity);
}

MotionScript MotionScript::trace(MotionTrace trace) {
  MotionScript script(Kind::Trace, 0, 0, {});
  script.trace_ = std::make_shared<const MotionTrace>(std::move(trace));
  return script;
}

MotionScript::Values MotionScript::at(double elapsed) const {
  const double g[3] = {gravity_.x, gravity_.y, gravity_.z};
  double v[3];
  switch (kind_) {
    case Kind::Trace: {
      const MotionTrace::Row row = trace_->at(elapsed);
      return {row.x, row.y, row.z};
    }
    case Kind::Still:
      for (int axis = 0; axis < 3; ++axis) v[axis] = g[axis] + size_ * uniform(seed_, axis, step(elapsed));
      break;
    case Kind::Shaking:
      for (int axis = 0; axis < 3; ++axis) {
        // Each axis swings at its own 2 to 5 Hz and phase, fixed by the seed.
        const double hertz = 3.5 + 1.5 * uniform(seed_, 10 + axis, 0);
        const double phase = std::numbers::pi * uniform(seed_, 20 + axis, 0);
        v[axis] = g[axis] + size_ * std::sin(2 * std::numbers::pi * hertz * elapsed + phase) +
                  size_ / 2 * uniform(seed_, axis, step(elapsed));
      }
      break;
  }
  return {v[0], v[1], v[2]};
}

}  // namespace platform
