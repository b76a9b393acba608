// exf geotag: sets a JPEG's GPS position and writes the rebuilt file.
#include "exif/exf_exception.h"
#include "exif/exf_jpeg.h"
#include "exif/exf_utils.h"
#include "tools/exf/commands.h"
#include "tools/exf/file_io.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <ostream>

namespace exf {
namespace {

constexpr const char* kUsage =
    "usage: exf geotag IN.jpg --lat DEG --lon DEG [--alt M] -o OUT.jpg [--allow-loss]\n";

struct Request {
  std::string in, out;
  double lat = 0, lon = 0;
  std::optional<double> alt;
  bool allowLoss = false;
};

std::optional<double> parseNumber(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  double v = std::strtod(text.c_str(), &end);
  if (*end != '\0' || errno == ERANGE || !std::isfinite(v)) return std::nullopt;
  return v;
}

// Parses the arguments; on failure writes the message and returns the status.
std::optional<Request> parseRequest(const std::vector<std::string>& args, std::ostream& err,
                                    int& status) {
  Request r;
  bool haveLat = false, haveLon = false;
  status = kExitUsage;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> const std::string* {
      return i + 1 < args.size() ? &args[++i] : nullptr;
    };
    if (a == "--allow-loss") {
      r.allowLoss = true;
    } else if (a == "--lat" || a == "--lon" || a == "--alt" || a == "-o") {
      const std::string* v = value();
      if (!v) {
        err << "exf geotag: " << a << " needs a value\n" << kUsage;
        return std::nullopt;
      }
      if (a == "-o") {
        r.out = *v;
        continue;
      }
      auto number = parseNumber(*v);
      if (!number) {
        err << "exf geotag: " << a << " takes a number, not '" << *v << "'\n";
        return std::nullopt;
      }
      if (a == "--lat") r.lat = *number, haveLat = true;
      if (a == "--lon") r.lon = *number, haveLon = true;
      if (a == "--alt") r.alt = *number;
    } else if (!a.empty() && a[0] == '-' && a.size() > 1 && !parseNumber(a)) {
      err << "exf geotag: unknown option " << a << "\n" << kUsage;
      return std::nullopt;
    } else if (r.in.empty()) {
      r.in = a;
    } else {
      err << "exf geotag: unexpected argument " << a << "\n" << kUsage;
      return std::nullopt;
    }
  }
  if (r.in.empty() || r.out.empty() || !haveLat || !haveLon) {
    err << kUsage;
    return std::nullopt;
  }
  status = kExitFailure;
  if (r.lat < -90 || r.lat > 90) {
    err << "exf geotag: latitude " << r.lat << " is outside -90..90\n";
    return std::nullopt;
  }
  if (r.lon < -180 || r.lon > 180) {
    err << "exf geotag: longitude " << r.lon << " is outside -180..180\n";
    return std::nullopt;
  }
  // The library's fractions hold 32-bit numbers: a million metres at
  // millimetre precision is what fits.
  if (r.alt && std::fabs(*r.alt) > 1e6) {
    err << "exf geotag: altitude " << *r.alt << " m is outside -1000000..1000000\n";
    return std::nullopt;
  }
  return r;
}

// Whole degrees, whole minutes, and seconds with their fraction, of |v|.
exif::EXFGPSLoc toLocation(double v) {
  v = std::fabs(v);
  const double degrees = std::trunc(v);
  const double minutesExact = (v - degrees) * 60;
  const double minutes = std::trunc(minutesExact);
  const double seconds = (minutesExact - minutes) * 60;
  auto fraction = [](double x) {
    std::array<std::int32_t, 2> pair{};
    exif::EXFUtils::convertRationalToFraction(pair, exif::Number::fromDouble(x));
    return exif::EXFraction(pair[0], pair[1]);
  };
  exif::EXFGPSLoc loc;
  loc.setDegrees(fraction(degrees));
  loc.setMinutes(fraction(minutes));
  loc.setSeconds(fraction(seconds));
  return loc;
}

}  // namespace

int runGeotag(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  int status = kExitOk;
  auto request = parseRequest(args, err, status);
  if (!request) return status;
  const Request& r = *request;

  auto scanned = scanJpegFile(r.in, err);
  if (!scanned) return kExitFailure;
  exif::EXFJpeg& jpeg = *scanned;
  exif::EXFMetaData& md = jpeg.exifMetaData();

  md.addTagValue(r.lat < 0 ? "S" : "N", 1);
  md.addTagValue(toLocation(r.lat), 2);
  md.addTagValue(r.lon < 0 ? "W" : "E", 3);
  md.addTagValue(toLocation(r.lon), 4);
  if (r.alt) {
    md.addTagValue(exif::Number::fromUInt8(*r.alt < 0 ? 1 : 0), 5);
    md.addTagValue(exif::Number::fromDouble(std::round(*r.alt * 1000) / 1000), 6);
  }

  // The library keeps only what its table and handlers know: count what the
  // rewrite would not carry over before writing anything.
  const std::size_t skipped = md.skippedEntryCount();
  const std::size_t unwritable = md.unwritableValueCount();
  const std::size_t thumbnail = md.thumbnailLeftBehind() ? 1 : 0;
  const std::size_t lost = skipped + unwritable + thumbnail;
  if (lost > 0 && !r.allowLoss) {
    err << "exf: " << r.in << ": rewriting would lose " << lost << " entries (" << skipped
        << " EXIF entries the library does not keep, " << unwritable
        << " values it cannot write back, " << thumbnail
        << " thumbnail); nothing written, use --allow-loss to write anyway\n";
    return kExitFailure;
  }

  exif::Bytes output;
  try {
    jpeg.populateImageData(output);
  } catch (const exif::EXFException& e) {
    err << "exf: " << r.in << ": " << e.what() << "\n";
    return kExitFailure;
  }
  if (std::string error; !writeFileAtomically(r.out, output, error)) {
    err << "exf: " << r.out << ": " << error << "\n";
    return kExitFailure;
  }
  if (lost > 0) err << "exf: " << r.in << ": " << lost << " entries not carried over\n";
  out << r.out << ": " << output.size() << " bytes written\n";
  return kExitOk;
}

}  // namespace exf
