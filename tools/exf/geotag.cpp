// exf geotag: sets the GPS position of a JPEG, given on the command line or
// taken from a GPX track by the time each picture was taken.
#include "exif/exf_gps_values.h"
#include "tools/exf/arguments.h"
#include "tools/exf/batch.h"
#include "tools/exf/commands.h"
#include "tools/exf/geotag_track.h"
#include "tools/exf/output_path.h"
#include "tools/exf/picture_geotagger.h"

#include <cmath>
#include <ostream>

namespace exf {
namespace {

std::string number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

// Checks a position's ranges; on failure writes why and returns false.
bool inRange(const GeoFix& fix, std::ostream& err) {
  if (fix.latitude < -90 || fix.latitude > 90) {
    err << "exf geotag: latitude " << number(fix.latitude) << " is outside -90..90\n";
    return false;
  }
  if (fix.longitude < -180 || fix.longitude > 180) {
    err << "exf geotag: longitude " << number(fix.longitude) << " is outside -180..180\n";
    return false;
  }
  if (fix.altitude && (*fix.altitude < exif::kLowestAltitude || *fix.altitude > exif::kHighestAltitude)) {
    err << "exf geotag: altitude " << number(*fix.altitude) << " m is outside -12000..100000\n";
    return false;
  }
  return true;
}

int geotagOne(const std::string& in, const std::optional<std::string>& outName, const GeoFix& fix,
              bool allowLoss, std::ostream& out, std::ostream& err) {
  std::string error;
  std::optional<std::string> target;
  if (outName) {
    // Writing over the input goes through --in-place, by choice, not by a
    // slip of the output name (a link or second name of the input included).
    if (const auto input = identityOf(in); input && isOneOf(*outName, {*input})) {
      err << "exf: " << *outName << " is the input file; nothing written (use --in-place to replace it)\n";
      return kExitFailure;
    }
    target = resolveOutput(*outName, error);
    if (!target) {
      err << "exf: " << *outName << ": " << error << "\n";
      return kExitFailure;
    }
  }
  PictureGeotagger tagger(allowLoss);
  if (!tagger.load(in, error)) {
    err << "exf: " << in << ": " << error << "\n";
    return kExitFailure;
  }
  if (!outName) {
    target = resolveInPlace(in, error);
    if (!target) {
      err << "exf: " << in << ": " << error << "\n";
      return kExitFailure;
    }
  }
  std::string note;
  if (!tagger.apply(fix, error, note)) {
    err << "exf: " << in << ": " << error << "\n";
    return kExitFailure;
  }
  if (!tagger.write(*target, error) || !syncFolder(folderOf(*target), error)) {
    err << "exf: " << (outName ? *outName : in) << ": " << error << "\n";
    return kExitFailure;
  }
  if (!note.empty()) err << "exf: " << in << ": " << note << "\n";
  out << (outName ? *outName : in) << ": " << tagger.outputSize() << " bytes written\n";
  return kExitOk;
}

}  // namespace

const char* const kGeotagUsage =
    "usage: exf geotag [--allow-loss] --lat DEG --lon DEG [--alt M] (-o OUT.jpg | --in-place) [--] IN.jpg\n"
    "       exf geotag [--allow-loss] --gpx TRACK.gpx [--gpx TRACK.gpx...] [--offset +HH:MM]\n"
    "                  [--max-gap SECONDS] [-r] [-j N] (-o DIR | --in-place) [--] PATH...\n";

int runGeotag(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string error;
  const auto parsed = parseArguments(args, {"--allow-loss", "--in-place", "--help", "-r"},
                                     {"--lat", "--lon", "--alt", "-o", "--gpx", "--offset", "--max-gap", "-j"}, error,
                                     {"--gpx"});
  auto usage = [&](const std::string& message) {
    err << "exf geotag: " << message << "\n" << kGeotagUsage;
    return kExitUsage;
  };
  if (!parsed) return usage(error);
  const ParsedArguments& a = *parsed;
  if (a.has("--help")) {
    out << kGeotagUsage;
    return kExitOk;
  }
  const std::string* outName = a.value("-o");
  if ((outName != nullptr) == a.has("--in-place")) return usage("give one of -o and --in-place");
  if (a.operands.empty()) return usage("no picture given");

  if (a.value("--gpx")) {
    for (const char* option : {"--lat", "--lon", "--alt"})
      if (a.value(option)) return usage(std::string(option) + " does not go with --gpx");
    TrackGeotagRequest request;
    request.tracks = a.values.at("--gpx");
    request.paths = a.operands;
    request.recursive = a.has("-r");
    request.allowLoss = a.has("--allow-loss");
    const auto jobs = parseJobs(a.value("-j"));
    if (!jobs) return usage("-j takes a number of files at once, 1 to 1024");
    request.jobs = *jobs;
    request.progress = isTerminal(err);
    if (outName) request.outDir = *outName;
    if (const std::string* offset = a.value("--offset")) {
      const auto minutes = parseUtcOffset(*offset);
      if (!minutes) return usage("--offset takes +HH:MM or -HH:MM (at most 18:00), not '" + *offset + "'");
      request.offset = *minutes;
    }
    if (const std::string* gap = a.value("--max-gap")) {
      const auto seconds = parseDecimal(*gap);
      if (!seconds || *seconds < 0) return usage("--max-gap takes seconds, a plain decimal, not '" + *gap + "'");
      request.maxGap = *seconds;
    }
    return geotagFromTrack(request, out, err);
  }

  for (const char* option : {"--offset", "--max-gap", "-j"})
    if (a.value(option)) return usage(std::string(option) + " goes with --gpx only");
  if (a.has("-r")) return usage("-r goes with --gpx only");
  if (a.operands.size() != 1) return usage("one picture at a time (or --gpx for several)");
  if (!a.value("--lat") || !a.value("--lon")) return usage("--lat and --lon are needed");
  GeoFix fix;
  for (auto [option, field] : {std::pair{"--lat", &fix.latitude}, std::pair{"--lon", &fix.longitude}}) {
    const std::string& text = *a.value(option);
    const auto v = parseDecimal(text);
    if (!v) return usage(std::string(option) + " takes a plain decimal number, not '" + text + "'");
    *field = *v;
  }
  if (const std::string* alt = a.value("--alt")) {
    const auto v = parseDecimal(*alt);
    if (!v) return usage("--alt takes a plain decimal number, not '" + *alt + "'");
    fix.altitude = *v;
  }
  if (!inRange(fix, err)) return kExitFailure;
  return geotagOne(a.operands.front(), outName ? std::optional(*outName) : std::nullopt, fix,
                   a.has("--allow-loss"), out, err);
}

}  // namespace exf
