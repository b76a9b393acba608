#pragma once
// PictureGeotagger: writes a GPS position into one JPEG after another. The
// input is mapped, not copied, and the output buffer is reused, so a batch
// does not allocate (and fault in) fresh full-size memory for each picture.
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
  // With `allowLoss`, a block the lossless edit cannot handle is rewritten
  // whole from what the library reads of it; without, such a picture fails.
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
  const exif::Bytes& output() const { return output_; }

  // Atomically replaces `path` (no symbolic link) with the built picture;
  // needs the loaded picture still loaded.
  bool write(const std::string& path, std::string& error, Flush flush = Flush::BeforeRename) const;

 private:
  bool rewriteWholeBlock(const GeoFix& fix, std::string& error, std::string& note);

  bool allowLoss_;
  std::optional<FileBytes> input_;
  exif::Bytes output_;
  std::string loadedPath_;
};

}  // namespace exf
