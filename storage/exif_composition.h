#pragma once
// The EXIF composition: a picture (or JPEG bytes) turned into a JPEG that
// carries the application's own EXIF block: make, model, software, owner,
// the three dates, pixel size, orientation, colour space, user comment, a
// 160 × 120 thumbnail that is itself a JPEG with such a block, and, when a
// fix is held, the GPS position.
//
// Everything the composition depends on is an argument (CompositionFacts);
// CompositionFacts::current() gathers them as the application has them.
// Any thread; the inputs are only read.
#include "exif/exf_gps_values.h"
#include "exif/exif_constants.h"
#include "platform/foundation/date.h"
#include "platform/graphics/image.h"
#include "platform/sensors/location.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace holdstill {

// What the composition writes about the device.
struct DeviceFacts {
  std::string model = "iPhone";  // Model, in its lossy ASCII form
  std::string name;              // user-given; Artist gets its lossy ASCII form
};

struct CompositionFacts {
  // The composed application thumbnail (_processedThumb), which each
  // picture's thumbnail carries as its own; null or empty: none (the
  // resource is missing), and the thumbnails go without it.
  std::shared_ptr<const exif::Bytes> processedThumb;
  platform::CLLocationRef fix;  // null: no fix held
  DeviceFacts device;
  std::string appName;     // localized "AppName"
  std::string appVersion;  // vnsAppVersion
  std::string dateTime;    // local time as "YYYY:MM:DD HH:MM:SS"

  // The facts of the running application: the current device's model,
  // name and kind, the bundle's "AppName", vnsAppVersion and the local time now.
  static CompositionFacts current(std::shared_ptr<const exif::Bytes> processedThumb,
                                  platform::CLLocationRef fix);
};

// JPEG quality of the picture and of its thumbnail's first attempt.
inline constexpr double kPictureQuality = 0.98;
// Qualities the thumbnail is tried at when the EXIF block would not fit
// its segment; after the last the picture goes without a thumbnail.
inline constexpr double kThumbnailQualities[] = {kPictureQuality, 0.7, 0.4};

// `date` in the current device's local time as "YYYY:MM:DD HH:MM:SS".
std::string exifDateTime(const platform::NSDate& date);

// Degrees, whole minutes and seconds with fraction of |value|.
std::vector<double> createLocArray(double value);
// Fills the target's degrees, minutes and seconds from such a list (each
// through EXFUtils::convertRationalToFraction); a shorter list fills fewer.
void populateGPS(exif::EXFGPSLoc& target, const std::vector<double>& list);

// addEXIF without a file name. The JPEG is the picture's encoding at
// quality 0.98, or `jpeg` when no picture is given. Orientation follows the
// picture's orientation (Up 1, Down 3, Left 8, Right 6; 1 without a
// picture) on every device. With `thumbnail` and a picture, the embedded
// thumbnail is the picture's stored pixels shrunk to 160 × 120 (120 × 160
// when stored taller than wide), not turned, so that the one Orientation
// tag is right for both; it is composed likewise, with the application
// thumbnail as its own thumbnail when there is one. Otherwise the
// application thumbnail itself (or none) is embedded. With a fix the GPS
// tags are written: GPSAltitudeRef says whether the altitude is above (0)
// or below (1) sea level; GPSAltitude holds its magnitude. Every text goes
// in its lossy ASCII form.
//
// When the block does not fit its JPEG segment, the thumbnail is retried at
// the lower kThumbnailQualities and then left out. Nothing when even that
// fails, or there is no JPEG to compose; `failure` (when given) then says
// why, in a few words fit for a log line.
std::optional<exif::Bytes> addEXIF(const std::shared_ptr<platform::UIImage>& image,
                                   std::span<const std::uint8_t> jpeg, bool thumbnail,
                                   const CompositionFacts& facts, std::string* failure = nullptr);

}  // namespace holdstill
