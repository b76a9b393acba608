#pragma once
// MotionScript: how a simulated phone moves, as its accelerometer sees it.
//
//  - still: gravity plus a tiny noise, as a phone held by a steady hand or
//    lying on a table;
//  - shaking: gravity plus swings of a few hertz and jitter, well beyond
//    what the steadiness detector takes for still;
//  - trace: a recorded log (see motion_trace.h), played from its time 0.
//
// A script is a pure function of the time since it started and its seed:
// the same script gives the same samples on every run and machine.
#include "platform/sensors/motion_trace.h"

#include <cstdint>
#include <memory>

namespace platform {

// A phone upright in portrait: gravity pulls down the screen.
struct Gravity {
  double x = 0, y = -1, z = 0;
};

class MotionScript {
 public:
  struct Values {
    double x = 0, y = 0, z = 0;
  };

  // Noise: each axis moves by a uniform amount in [-noise, noise] g.
  static MotionScript still(std::uint64_t seed = 1, double noise = 0.001, Gravity gravity = {});
  // Swings of `amplitude` g, plus jitter of half that.
  static MotionScript shaking(std::uint64_t seed = 1, double amplitude = 0.2, Gravity gravity = {});
  static MotionScript trace(MotionTrace trace);

  // The sample `elapsed` seconds after the script started.
  Values at(double elapsed) const;

 private:
  enum class Kind { Still, Shaking, Trace };
  MotionScript(Kind kind, std::uint64_t seed, double size, Gravity gravity)
      : kind_(kind), seed_(seed), size_(size), gravity_(gravity) {}

  Kind kind_;
  std::uint64_t seed_;
  double size_;  // noise or amplitude
  Gravity gravity_;
  std::shared_ptr<const MotionTrace> trace_;
};

}  // namespace platform
