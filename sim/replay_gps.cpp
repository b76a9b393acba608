// holdstill replay-gps: the location tracker on a replayed GPX track.
#include "platform/foundation/ns_string.h"
#include "platform/foundation/string_format.h"
#include "platform/runloop/run_loop.h"
#include "platform/sensors/location_manager.h"
#include "sim/commands.h"
#include "sim/scratch_device.h"
#include "storage/location_text.h"
#include "storage/orv_location.h"

#include <cmath>

namespace holdstill::sim {
namespace {

using namespace platform;

// Prints each verdict as the capture screen would show it, and counts them.
class VerdictPrinter final : public LocationReceiver {
 public:
  explicit VerdictPrinter(std::ostream& out) : out_(out) {}

  void judged(FixVerdict verdict, const CLLocationRef& fix, const NSError* error) override {
    std::string what, status;
    if (error) {
      what = "error " + std::to_string(error->code);
      status = gpsFailureText(error);
      ++errors;
    } else if (verdict == FixVerdict::Accepted) {
      what = "accepted";
      status = gpsInfoText(*fix);
      ++accepted;
    } else {
      what = verdict == FixVerdict::Stale ? "rejected: stale" : "rejected: accuracy";
      status = gpsFailureText(nullptr);
      ++(verdict == FixVerdict::Stale ? stale : inaccurate);
    }
    replaceOccurrencesOfString(status, "\r\n", "  ");
    out_ << stringWithFormat("%9.1f s  %-18s  %@", RunLoop::main().now(), what, status) << "\n";
  }
  void newGPSPoint(const CLLocationRef&) override {}
  void failedGPSPoint(const NSError*) override {}

  int accepted = 0, stale = 0, inaccurate = 0, errors = 0;

 private:
  std::ostream& out_;
};

}  // namespace

void replayGps(const std::vector<std::string>& args, std::ostream& out) {
  std::vector<std::string> words;
  bool keepTimes = false;
  for (const std::string& word : args) {
    if (word == "--keep-times") {
      if (keepTimes) throw UsageError("--keep-times is given twice");
      keepTimes = true;
    } else {
      words.push_back(word);
    }
  }
  const Arguments parsed = parseArguments(words, {"--accuracy", "--start", "--language"});
  if (parsed.positional.size() != 1) throw UsageError("replay-gps takes one GPX file");
  const auto option = [&](const std::string& name, const std::string& fallback) {
    auto found = parsed.options.find(name);
    return found == parsed.options.end() ? fallback : found->second;
  };
  const double accuracy = decimalArgument("--accuracy", option("--accuracy", "5"));
  const double start = decimalArgument("--start", option("--start", "0"));
  if (start < 0) throw CommandError("--start must not be negative");
  const std::string language = option("--language", "en");
  if (language != "en" && language != "de" && language != "fr")
    throw CommandError("--language takes en, de or fr, not '" + language + "'");

  LocationReplay replay;
  try {
    replay = LocationReplay::fromGPXFile(parsed.positional[0], start, accuracy, keepTimes);
  } catch (const GPXError& e) {
    throw CommandError(e.what());
  }

  // The phone's clock starts where a scenario's does by default
  // (2010-06-15 12:00:00 UTC), so the output is the same on every day; a
  // track recorded more than 300 s before, replayed with its own times,
  // starts with a stale fix.
  DeviceProfile profile;
  profile.preferredLanguage = language;
  ScratchDevice phone(profile);
  LocationService::current().setReplay(replay);
  auto printer = std::make_shared<VerdictPrinter>(out);
  auto tracker = OrvLocation::init(printer);
  RunLoop::main().runFor(replay.events().back().at + 1);

  const int delivered = printer->accepted + printer->stale + printer->inaccurate;
  const int heldBack = static_cast<int>(replay.events().size()) - delivered - printer->errors;
  out << stringWithFormat("%d fixes delivered: %d accepted, %d rejected as stale, %d rejected for accuracy; "
                          "%d errors; %d held back by the %.0f m distance filter",
                          delivered, printer->accepted, printer->stale, printer->inaccurate, printer->errors,
                          heldBack, OrvLocation::kDistanceFilter)
      << "\n";
  tracker->manager()->stopUpdatingLocation();
}

}  // namespace holdstill::sim
