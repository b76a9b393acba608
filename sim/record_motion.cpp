// holdstill record-motion still|shaking [--seconds S] [--seed N]: a motion
// of the simulated phone as a log that trace-steadiness reads.
#include "platform/sensors/motion_script.h"
#include "sim/commands.h"

#include <cmath>

namespace holdstill::sim {

using namespace platform;

namespace {
constexpr double kRowsPerSecond = 30;
constexpr double kLongestSeconds = 3600;
}  // namespace

void recordMotion(const std::vector<std::string>& args, std::ostream& out) {
  const Arguments arguments = parseArguments(args, {"--seconds", "--seed"});
  if (arguments.positional.size() != 1) throw UsageError("record-motion takes one motion: still or shaking");
  const std::string& kind = arguments.positional[0];
  if (kind != "still" && kind != "shaking")
    throw UsageError("unknown motion '" + kind + "' (still or shaking)");

  std::string secondsText = "5", seedText = "1";
  if (auto given = arguments.options.find("--seconds"); given != arguments.options.end())
    secondsText = given->second;
  if (auto given = arguments.options.find("--seed"); given != arguments.options.end())
    seedText = given->second;
  const double seconds = decimalArgument("--seconds", secondsText);
  if (!(seconds > 0 && seconds <= kLongestSeconds))
    throw CommandError("--seconds must be above 0 and at most 3600, not " + secondsText);
  const long long seed = wholeNumberArgument("--seed", seedText);
  if (seed < 0) throw CommandError("--seed must not be negative, not " + seedText);

  const MotionScript script = kind == "still" ? MotionScript::still(seed) : MotionScript::shaking(seed);
  std::vector<MotionTrace::Row> rows;
  const auto count = static_cast<long>(std::floor(seconds * kRowsPerSecond + 1e-9));
  for (long k = 0; k <= count; ++k) {
    const double t = k / kRowsPerSecond;
    const MotionScript::Values v = script.at(t);
    rows.push_back({t, v.x, v.y, v.z});
  }
  out << "# holdstill record-motion " << kind << " --seconds " << secondsText << " --seed " << seedText
      << "\n"
      << MotionTrace::toCSV(rows);
}

}  // namespace holdstill::sim
