#include "tools/exf/geotag_track.h"

#include "exif/exf_jpeg.h"
#include "tools/exf/batch.h"
#include "tools/exf/commands.h"
#include "tools/exf/file_io.h"
#include "tools/exf/input_files.h"
#include "tools/exf/output_path.h"
#include "tools/exf/output_plan.h"
#include "tools/exf/picture_geotagger.h"
#include "tools/exf/track_timeline.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <ostream>
#include <set>

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

// The track: every file's main path, as one timeline. Nothing, with the
// reason on `err`, when a file cannot be used.
std::optional<TrackTimeline> loadTracks(const std::vector<std::string>& tracks, std::ostream& err) {
  std::vector<platform::GPXPoint> points;
  for (const std::string& track : tracks) {
    try {
      std::vector<platform::GPXPoint> path = platform::GPXTrack::load(track).mainPath();
      if (std::none_of(path.begin(), path.end(), [](const platform::GPXPoint& p) { return p.time.has_value(); })) {
        err << "exf: " << track << ": no point of the track has a time\n";
        return std::nullopt;
      }
      if (points.empty())
        points = std::move(path);
      else
        points.insert(points.end(), path.begin(), path.end());
    } catch (const platform::GPXError& e) {
      err << "exf: " << e.what() << "\n";
      return std::nullopt;
    }
  }
  return TrackTimeline(std::move(points));
}

}  // namespace

int geotagFromTrack(const TrackGeotagRequest& request, std::ostream& out, std::ostream& err) {
  const std::optional<TrackTimeline> timeline = loadTracks(request.tracks, err);
  if (!timeline) return kExitFailure;
  if (request.outDir) {
    struct stat st;
    if (::stat(request.outDir->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      err << "exf: " << *request.outDir << ": not a directory (with --gpx, -o names the folder for the "
          << "tagged copies)\n";
      return kExitFailure;
    }
  }
  const std::vector<InputFile> files =
      expandInputs(request.paths, request.recursive, request.outDir ? identityOf(*request.outDir) : std::nullopt);
  const std::vector<OutputPlan> plans = planOutputs(files, request.outDir);

  std::vector<PictureGeotagger> taggers;  // one per worker, each reusing its output buffer
  for (unsigned i = 0; i < std::max(1u, request.jobs); ++i) taggers.emplace_back(request.allowLoss);
  std::vector<std::string> written(files.size());  // what each picture's worker wrote
  auto work = [&](std::size_t index, unsigned worker) {
    const std::string& picture = files[index].path;
    const OutputPlan& plan = plans[index];
    FileReport report;
    auto skip = [&](const std::string& why) {
      report.out = picture + ": skipped: " + why + "\n";
      report.outcome = FileReport::Outcome::Skipped;
      return report;
    };
    auto fail = [&](const std::string& where, const std::string& why) {
      report.err = "exf: " + where + ": " + why + "\n";
      report.outcome = FileReport::Outcome::Failed;
      return report;
    };
    if (!files[index].error.empty()) return fail(picture, files[index].error);
    PictureGeotagger& tagger = taggers[worker];
    std::string error;
    if (!tagger.load(picture, error)) return fail(picture, error);
    if (!plan.skip.empty()) return skip(plan.skip);
    if (!plan.failure.empty()) return fail(picture, plan.failure);
    const auto target = request.outDir ? resolveOutput(plan.target, error) : resolveInPlace(picture, error);
    if (!target) return fail(request.outDir ? plan.target : picture, error);

    std::string why;
    const auto utc = takenAt(tagger.input(), request.offset, why);
    if (!utc) return skip(why);
    const double t = static_cast<double>(utc->time_since_epoch().count());
    const Placement place = timeline->place(t, request.maxGap);
    const std::string taken = "taken " + formatUtc(*utc);
    switch (place.kind) {
      case Placement::Kind::BeforeTrack:
        return skip(taken + ", before the track (it starts " + utcText(place.from) + ")");
      case Placement::Kind::AfterTrack:
        return skip(taken + ", after the track (it ends " + utcText(place.to) + ")");
      case Placement::Kind::InGap: {
        char gap[192];
        std::snprintf(gap, sizeof gap, "%.0f s in the track (%s to %s), longer than --max-gap %g s",
                      place.to - place.from, utcText(place.from).c_str(), utcText(place.to).c_str(),
                      request.maxGap);
        return skip(taken + ", in a gap of " + gap);
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
    if (!tagger.apply(fix, error, note)) return fail(picture, error);
    if (request.outDir) {
      std::error_code ec;
      std::filesystem::create_directories(std::filesystem::path(*target).parent_path(), ec);
    }
    // New copies go to the disk together at the end; a picture replaced in
    // place is on it before its name is given over.
    if (!tagger.write(*target, error, request.outDir ? Flush::Later : Flush::BeforeRename))
      return fail(plan.target, error);
    written[index] = *target;
    if (!note.empty()) report.err = "exf: " + picture + ": " + note + "\n";
    report.out = picture + ": tagged " + positionText(place.fix) + ", " + taken + "\n";
    return report;
  };
  WrittenFlush flush(request.outDir);
  const BatchCounts counts = runBatch(files.size(), request.jobs, work, out, err, request.progress);
  const bool synced = flush.flush(written, err);
  out << counts.done << " tagged, " << counts.skipped << " skipped, " << counts.failed << " failed\n";
  return counts.failed == 0 && synced ? kExitOk : kExitFailure;
}

}  // namespace exf
