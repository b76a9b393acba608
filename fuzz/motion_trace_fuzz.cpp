// Motion traces of any bytes: parsed or refused with a MotionTraceError; a
// trace parsed starts at 0, its times increase, every value is finite, and
// its text form reads back as the same rows.
#include "platform/sensors/motion_trace.h"

#include <cmath>
#include <cstdlib>
#include <optional>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using platform::MotionTrace;
  std::optional<MotionTrace> trace;
  try {
    trace = MotionTrace::parse(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.csv");
  } catch (const platform::MotionTraceError&) {
    return 0;
  }
  const auto& rows = trace->rows();
  if (rows.empty() || rows.front().t != 0) std::abort();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const auto& r = rows[i];
    if (!std::isfinite(r.t) || !std::isfinite(r.x) || !std::isfinite(r.y) || !std::isfinite(r.z)) std::abort();
    if (i > 0 && !(r.t > rows[i - 1].t)) std::abort();
  }
  if (!std::isfinite(trace->at(trace->duration() / 2).x)) std::abort();
  // Six decimals may merge rows closer than a microsecond: then it may be refused.
  try {
    if (MotionTrace::parse(MotionTrace::toCSV(rows), "again.csv").rows().size() != rows.size()) std::abort();
  } catch (const platform::MotionTraceError&) {
  }
  return 0;
}
