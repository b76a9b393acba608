#pragma once
// PictureGeotagger: writes a GPS position into one JPEG after another. The
// input is mapped, not copied; only the head of the tagged picture (up to
// the end of its EXIF segment) is built in memory, in a buffer reused from
// picture to picture, and the rest, its image data, is copied file to file
// as it stands.
#include "exif/exf_jpeg.h"
#include "exif/lossless_gps_edit.h"
#include "tools/exf/capture_time.h"
#include "tools/exf/file_io.h"

#include <optional>
#include <span>
#include <string>

namespace exf {

// The GPS values one picture receives.
struct GeoFix {
  double latitude = 0, longitude = 0;  // degrees, in range
  std::optional<double> altitude;      // metres; negative is below sea level
  bool dropAltitude = false;           // remove an altitude the block holds when none is given
  std::optional<UtcSeconds> utc;       // GPSDateStamp and GPSTimeStamp
};

exif::GPSEdit gpsEditFor(const GeoFix& fix);

class PictureGeotagger {
 public:
  // With `allowLoss`, a block the lossless edit cannot handle or has no room
  // in is rewritten whole from what the library reads of it; without, such a
  // picture fails, the reason naming --allow-loss only where it would help.
  explicit PictureGeotagger(bool allowLoss) : allowLoss_(allowLoss) {}

  // Reads the picture at `path` (see FileBytes::openJpeg). False with the
  // reason when it cannot or it is no JPEG.
  bool load(const std::string& path, std::string& error);
  // The loaded picture's bytes (empty before a load succeeded).
  std::span<const std::uint8_t> input() const;

  // Builds the tagged picture from the loaded one, which must be a JPEG
  // (start-of-image marker first). The file's EXIF block is
  // edited losslessly (every byte of it kept, the GPS directory appended); a
  // file without one gets a fresh block. False with the reason on failure.
  // `note` is set when the whole-block rewrite left values behind.
  bool apply(const GeoFix& fix, std::string& error, std::string& note);
  // The size of the built picture.
  std::size_t outputSize() const { return head_.size() + input().size() - tailFrom_; }

  // Atomically replaces `path` (no symbolic link) with the built picture;
  // needs the loaded picture still loaded.
  bool write(const std::string& path, std::string& error, Flush flush = Flush::BeforeRename) const;

 private:
  bool rewriteWholeBlock(const GeoFix& fix, std::string& error, std::string& note);

  bool allowLoss_;
  std::optional<FileBytes> input_;
  exif::Bytes head_;           // the built picture up to ...
  std::size_t tailFrom_ = 0;   // ... the input's bytes from here on
  std::string loadedPath_;
};

}  // namespace exf
