#include "tools/exf/geotag_track.h"

#include "exif/exf_jpeg.h"
#include "tools/exf/commands.h"
#include "tools/exf/output_path.h"
#include "tools/exf/picture_geotagger.h"
#include "tools/exf/track_timeline.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <ostream>

namespace exf {
namespace {

constexpr exif::TagKey kDateTimeOriginal = 0x9003;

std::string utcText(double seconds) {
  return formatUtc(UtcSeconds(std::chrono::seconds(static_cast<long long>(std::floor(seconds)))));
}

std::string positionText(const TrackFix& fix) {
  char text[96];
  if (fix.altitude)
    std::snprintf(text, sizeof text, "%.6f, %.6f, %.1f m", fix.latitude, fix.longitude, *fix.altitude);
  else
    std::snprintf(text, sizeof text, "%.6f, %.6f", fix.latitude, fix.longitude);
  return text;
}

// When the picture was taken, in UTC, from its DateTimeOriginal; else why
// it cannot be placed.
std::optional<UtcSeconds> takenAt(std::span<const std::uint8_t> picture, std::chrono::minutes offset,
                                  std::string& why) {
  exif::EXFJpeg jpeg;
  jpeg.scanImageDataBorrowed(picture);
  const exif::TagValue* value = jpeg.exifMetaData().tagValue(kDateTimeOriginal);
  const std::string* text = value ? value->get<std::string>() : nullptr;
  if (!text) {
    why = jpeg.exifMetaData().exif_ptr() ? "no DateTimeOriginal" : "no EXIF block, so no DateTimeOriginal";
    return std::nullopt;
  }
  const auto utc = localTimeToUtc(*text, offset);
  if (!utc) why = "DateTimeOriginal '" + std::string(text->c_str()) + "' is not a date and time";
  return utc;
}

}  // namespace

int geotagFromTrack(const TrackGeotagRequest& request, std::ostream& out, std::ostream& err) {
  std::optional<TrackTimeline> timeline;
  try {
    timeline.emplace(platform::GPXTrack::load(request.track).mainPath());
  } catch (const platform::GPXError& e) {
    err << "exf: " << e.what() << "\n";
    return kExitFailure;
  }
  if (timeline->empty()) {
    err << "exf: " << request.track << ": no point of the track has a time\n";
    return kExitFailure;
  }
  if (request.outDir) {
    struct stat st;
    if (::stat(request.outDir->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      err << "exf: " << *request.outDir << ": not a directory (with --gpx, -o names the folder for the "
          << "tagged copies)\n";
      return kExitFailure;
    }
  }

  // Every input's identity, so that no output lands on any of them.
  std::vector<FileIdentity> inputs;
  for (const std::string& picture : request.pictures)
    if (auto id = identityOf(picture)) inputs.push_back(*id);

  PictureGeotagger tagger(request.allowLoss);
  std::map<std::string, std::string> outputsWritten;  // output name -> the picture it came from
  std::vector<FileIdentity> seen;
  std::size_t tagged = 0, skipped = 0, failed = 0;
  for (const std::string& picture : request.pictures) {
    auto skip = [&](const std::string& why) {
      out << picture << ": skipped: " << why << "\n";
      ++skipped;
    };
    auto fail = [&](const std::string& where, const std::string& why) {
      err << "exf: " << where << ": " << why << "\n";
      ++failed;
    };
    std::string error;
    if (!tagger.load(picture, error)) {
      fail(picture, error);
      continue;
    }
    if (const auto id = identityOf(picture)) {
      if (std::find(seen.begin(), seen.end(), *id) != seen.end()) {
        skip("given before (the same file)");
        continue;
      }
      seen.push_back(*id);
    }

    // Where the picture goes, decided before any work on it.
    std::string target;
    std::string shownTarget = picture;
    if (request.outDir) {
      const std::string name = std::filesystem::path(picture).filename().string();
      shownTarget = (std::filesystem::path(*request.outDir) / name).string();
      if (auto other = outputsWritten.find(shownTarget); other != outputsWritten.end()) {
        fail(picture, shownTarget + " already holds the tagged " + other->second + "; nothing written");
        continue;
      }
      if (isOneOf(shownTarget, inputs)) {
        fail(picture, shownTarget + " is one of the input files; nothing written");
        continue;
      }
      const auto resolved = resolveOutput(shownTarget, error);
      if (!resolved) {
        fail(shownTarget, error);
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

    const std::span<const std::uint8_t> bytes = tagger.input();
    if (bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != 0xD8) {
      fail(picture, "not a JPEG file (no start-of-image marker)");  // before its time is looked for
      continue;
    }
    std::string why;
    const auto utc = takenAt(bytes, request.offset, why);
    if (!utc) {
      skip(why);
      continue;
    }
    const double t = static_cast<double>(utc->time_since_epoch().count());
    const Placement place = timeline->place(t, request.maxGap);
    const std::string taken = "taken " + formatUtc(*utc);
    switch (place.kind) {
      case Placement::Kind::BeforeTrack:
        skip(taken + ", before the track (it starts " + utcText(place.from) + ")");
        continue;
      case Placement::Kind::AfterTrack:
        skip(taken + ", after the track (it ends " + utcText(place.to) + ")");
        continue;
      case Placement::Kind::InGap: {
        char gap[192];
        std::snprintf(gap, sizeof gap, "%.0f s in the track (%s to %s), longer than --max-gap %g s",
                      place.to - place.from, utcText(place.from).c_str(), utcText(place.to).c_str(),
                      request.maxGap);
        skip(taken + ", in a gap of " + gap);
        continue;
      }
      case Placement::Kind::OnTrack:
        break;
    }

    GeoFix fix;
    fix.latitude = place.fix.latitude;
    fix.longitude = place.fix.longitude;
    fix.altitude = place.fix.altitude;
    fix.dropAltitude = true;  // an altitude from an earlier fix would not belong to this position
    fix.utc = *utc;
    std::string note;
    if (!tagger.apply(fix, error, note)) {
      fail(picture, error);
      continue;
    }
    if (!tagger.write(target, error)) {
      fail(shownTarget, error);
      continue;
    }
    if (request.outDir) outputsWritten[shownTarget] = picture;
    if (!note.empty()) err << "exf: " << picture << ": " << note << "\n";
    out << picture << ": tagged " << positionText(place.fix) << ", " << taken << "\n";
    ++tagged;
  }
  out << tagged << " tagged, " << skipped << " skipped, " << failed << " failed\n";
  return failed == 0 ? kExitOk : kExitFailure;
}

}  // namespace exf
