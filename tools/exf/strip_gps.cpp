// exf strip-gps: removes the GPS position from pictures, losslessly.
#include "tools/exf/strip_gps.h"

#include "exif/exf_exception.h"
#include "exif/jpeg_segments.h"
#include "exif/lossless_gps_edit.h"
#include "tools/exf/arguments.h"
#include "tools/exf/commands.h"
#include "tools/exf/file_io.h"
#include "tools/exf/output_path.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <ostream>
#include <string_view>

namespace exf {
namespace {

// An XMP packet that carries GPS values of its own.
bool xmpHoldsPosition(std::span<const std::uint8_t> jpeg) {
  const exif::JpegLayout layout = exif::readJpegLayout(jpeg);
  for (const exif::JpegSegment& s : layout.segments) {
    if (s.marker != 0xE1 || exif::isExifPayload(s.payload)) continue;
    const std::string_view text(reinterpret_cast<const char*>(s.payload.data()), s.payload.size());
    if (text.find("GPSLatitude") != std::string_view::npos || text.find("GPSLongitude") != std::string_view::npos)
      return true;
  }
  return false;
}

}  // namespace

StripResult stripGps(std::span<const std::uint8_t> input, exif::Bytes& output) {
  output.clear();
  StripResult result;
  if (input.size() < 2 || input[0] != 0xFF || input[1] != 0xD8) {
    result.error = "not a JPEG file (no start-of-image marker)";
    return result;
  }
  try {
    result.outcome = exif::stripJpegGPS(input, output) == exif::GPSStripOutcome::Stripped
                         ? StripResult::Outcome::Stripped
                         : StripResult::Outcome::NoPosition;
  } catch (const exif::EXFException& e) {
    output.clear();
    result.error = std::string(e.what()) + "; nothing written";
    return result;
  }
  if (xmpHoldsPosition(input)) result.remaining = "its XMP packet holds GPS values too, which are left as they are";
  return result;
}

const char* const kStripGpsUsage = "usage: exf strip-gps (-o DIR | --in-place) [--] FILE.jpg...\n";

int runStripGps(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string error;
  const auto parsed = parseArguments(args, {"--in-place", "--help"}, {"-o"}, error);
  auto usage = [&](const std::string& message) {
    err << "exf strip-gps: " << message << "\n" << kStripGpsUsage;
    return kExitUsage;
  };
  if (!parsed) return usage(error);
  if (parsed->has("--help")) {
    out << kStripGpsUsage;
    return kExitOk;
  }
  const std::string* outDir = parsed->value("-o");
  if ((outDir != nullptr) == parsed->has("--in-place")) return usage("give one of -o DIR and --in-place");
  if (parsed->operands.empty()) return usage("no picture given");
  if (outDir) {
    struct stat st;
    if (::stat(outDir->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      err << "exf: " << *outDir << ": not a directory (-o names the folder for the copies)\n";
      return kExitFailure;
    }
  }
  std::vector<FileIdentity> inputs;
  for (const std::string& picture : parsed->operands)
    if (auto id = identityOf(picture)) inputs.push_back(*id);

  exif::Bytes output;
  std::map<std::string, std::string> written;  // output name -> the picture it came from
  std::size_t stripped = 0, without = 0, failed = 0;
  for (const std::string& picture : parsed->operands) {
    auto fail = [&](const std::string& where, const std::string& why) {
      err << "exf: " << where << ": " << why << "\n";
      ++failed;
    };
    std::string shown = picture, target;
    if (outDir) {
      shown = (std::filesystem::path(*outDir) / std::filesystem::path(picture).filename()).string();
      if (auto other = written.find(shown); other != written.end()) {
        fail(picture, shown + " already holds the copy of " + other->second + "; nothing written");
        continue;
      }
      if (isOneOf(shown, inputs)) {
        fail(picture, shown + " is one of the input files; nothing written");
        continue;
      }
      const auto resolved = resolveOutput(shown, error);
      if (!resolved) {
        fail(shown, error);
        continue;
      }
      target = *resolved;
    } else {
      const auto resolved = resolveInPlace(picture, error);
      if (!resolved) {
        fail(picture, error);
        continue;
      }
      target = *resolved;
    }
    auto file = FileBytes::open(picture, error);
    if (!file) {
      fail(picture, error);
      continue;
    }
    const StripResult result = stripGps(file->bytes(), output);
    if (result.outcome == StripResult::Outcome::Failed) {
      fail(picture, result.error);
      continue;
    }
    const bool changed = result.outcome == StripResult::Outcome::Stripped;
    // In place, a picture without a position is left alone; a copy is
    // written either way, so the folder holds every picture.
    if ((changed || outDir) && !writeFileAtomically(target, output, error)) {
      fail(shown, error);
      continue;
    }
    if (outDir) written[shown] = picture;
    if (!result.remaining.empty()) err << "exf: " << picture << ": " << result.remaining << "\n";
    out << picture << (changed ? ": position removed" : ": no position") << (outDir ? ", written to " + shown : "")
        << "\n";
    ++(changed ? stripped : without);
  }
  out << stripped << " stripped, " << without << " without a position, " << failed << " failed\n";
  return failed == 0 ? kExitOk : kExitFailure;
}

}  // namespace exf
