#include "tools/exf/picture_geotagger.h"

#include "exif/exf_exception.h"
#include "exif/exf_utils.h"
#include "tools/exf/file_io.h"

#include <cmath>
#include <cstdio>

namespace exf {
namespace {

constexpr exif::TagKey kAltitudeRef = 5, kAltitude = 6, kTimeStamp = 7, kDateStamp = 29;

exif::EXFraction fractionOf(double x) {
  std::array<std::int32_t, 2> pair{};
  exif::EXFUtils::convertRationalToFraction(pair, exif::Number::fromDouble(x));
  return exif::EXFraction(pair[0], pair[1]);
}

// Whole degrees, whole minutes, and seconds with their fraction, of |v|.
exif::EXFGPSLoc toLocation(double v) {
  v = std::fabs(v);
  const double degrees = std::trunc(v);
  const double minutesExact = (v - degrees) * 60;
  const double minutes = std::trunc(minutesExact);
  exif::EXFGPSLoc loc;
  loc.setDegrees(fractionOf(degrees));
  loc.setMinutes(fractionOf(minutes));
  loc.setSeconds(fractionOf((minutesExact - minutes) * 60));
  return loc;
}

// The fix as the value store takes it, for the whole-block rewrite.
void storeFix(const GeoFix& fix, exif::EXFMetaData& md) {
  md.addTagValue(fix.latitude < 0 ? "S" : "N", 1);
  md.addTagValue(toLocation(fix.latitude), 2);
  md.addTagValue(fix.longitude < 0 ? "W" : "E", 3);
  md.addTagValue(toLocation(fix.longitude), 4);
  if (fix.altitude) {
    md.addTagValue(exif::Number::fromUInt8(*fix.altitude < 0 ? 1 : 0), kAltitudeRef);
    md.addTagValue(exif::Number::fromDouble(std::round(std::fabs(*fix.altitude) * 1000) / 1000), kAltitude);
  } else if (fix.dropAltitude) {
    for (exif::TagKey key : {kAltitudeRef, kAltitude})
      if (md.tagValue(key)) md.removeTagValue(key);
  }
  if (fix.utc) {
    const auto days = std::chrono::floor<std::chrono::days>(*fix.utc);
    const std::chrono::year_month_day date(days);
    const std::chrono::hh_mm_ss time(*fix.utc - days);
    char text[16];
    std::snprintf(text, sizeof text, "%04d:%02u:%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    md.addTagValue(std::string(text), kDateStamp);
    exif::EXFGPSTimeStamp stamp;
    stamp.setHours(exif::EXFraction(static_cast<std::int32_t>(time.hours().count()), 1));
    stamp.setMinutes(exif::EXFraction(static_cast<std::int32_t>(time.minutes().count()), 1));
    stamp.setSeconds(exif::EXFraction(static_cast<std::int32_t>(time.seconds().count()), 1));
    md.addTagValue(stamp, kTimeStamp);
  }
}

}  // namespace

exif::GPSEdit gpsEditFor(const GeoFix& fix) {
  exif::GPSEdit edit;
  edit.setLatitude(fix.latitude).setLongitude(fix.longitude);
  if (fix.altitude)
    edit.setAltitude(*fix.altitude);
  else if (fix.dropAltitude)
    edit.remove(kAltitudeRef).remove(kAltitude);
  if (fix.utc) edit.setUTC(std::chrono::time_point_cast<std::chrono::milliseconds>(*fix.utc));
  return edit;
}

bool PictureGeotagger::load(const std::string& path, std::string& error) {
  input_.reset();
  input_ = FileBytes::openJpeg(path, error);
  return input_.has_value();
}

std::span<const std::uint8_t> PictureGeotagger::input() const {
  return input_ ? input_->bytes() : std::span<const std::uint8_t>();
}

bool PictureGeotagger::apply(const GeoFix& fix, std::string& error, std::string& note) {
  note.clear();
  head_.clear();
  tailFrom_ = 0;
  const std::span<const std::uint8_t> in = input();
  if (in.size() < 2 || in[0] != 0xFF || in[1] != 0xD8) {
    error = "not a JPEG file (no start-of-image marker)";
    return false;
  }
  try {
    tailFrom_ = exif::editJpegGPSHead(in, gpsEditFor(fix), head_).tailFrom;
    return true;
  } catch (const exif::EXFException& e) {
    head_.clear();
    // A block the edit cannot handle, or a full one (the whole-block rewrite
    // drops the bytes nothing refers to, so it may fit where the edit did not).
    const bool rewritable =
        e.name() == exif::kUneditableExifException || e.name() == exif::kSegmentTooLargeException;
    if (!rewritable) {
      error = e.what();
      return false;
    }
    std::string rewriteError;
    const bool fits = rewriteWholeBlock(fix, rewriteError, note);
    if (fits && allowLoss_) return true;
    head_.clear();
    tailFrom_ = 0;
    note.clear();
    error = e.what();
    if (!fits)
      error += std::string("; nothing written") + (allowLoss_ ? "" : ", and --allow-loss would not help") +
               ": the whole-block rewrite fails too (" + rewriteError + ")";
    else
      error += "; nothing written (--allow-loss rewrites the whole block, leaving behind what the library "
               "cannot carry over)";
    return false;
  }
}

bool PictureGeotagger::rewriteWholeBlock(const GeoFix& fix, std::string& error, std::string& note) {
  exif::EXFJpeg jpeg;
  jpeg.scanImageDataBorrowed(input());
  // What the rewrite cannot carry over, read before anything changes.
  const exif::RewriteReport report = jpeg.rewriteReport();
  try {
    storeFix(fix, jpeg.exifMetaData());
    jpeg.populateImageData(head_);
    tailFrom_ = input().size();  // built whole
  } catch (const exif::EXFException& e) {
    head_.clear();
    error = e.what();
    return false;
  }
  if (!report.lossless()) {
    note = std::to_string(report.entryCount()) + " entries not carried over";
    const char* separator = ": ";
    for (const exif::RewriteLoss& loss : report.losses()) {
      note += separator + loss.text;
      separator = "; ";
    }
  }
  return true;
}

bool PictureGeotagger::write(const std::string& path, std::string& error, Flush flush) const {
  const std::span<const std::uint8_t> in = input();
  return writeFileAtomically(path, head_, FileRange{input_ ? input_->fd() : -1, tailFrom_, in.subspan(tailFrom_)},
                             error, flush);
}

}  // namespace exf
