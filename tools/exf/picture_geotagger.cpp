#include "tools/exf/picture_geotagger.h"

#include "exif/exf_exception.h"
#include "tools/exf/file_io.h"

namespace exf {
namespace {

constexpr std::uint16_t kAltitudeRef = 5, kAltitude = 6;

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
    // The library writes the block anew, compact; the fix then goes in as
    // the lossless edit puts it, so both ways give the same GPS values.
    exif::Bytes rewritten;
    jpeg.populateImageData(rewritten);
    exif::editJpegGPS(rewritten, gpsEditFor(fix), head_);
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
