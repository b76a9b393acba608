#include "platform/album/album_exif.h"

#include "exif/exf_exception.h"
#include "exif/exf_jpeg.h"
#include "platform/device/ui_device.h"
#include "platform/foundation/date_formatter.h"
#include "platform/foundation/ns_string.h"
#include "platform/graphics/image_codec.h"

namespace platform {
namespace {

enum : exif::TagKey {
  kMake = 271, kModel = 272, kOrientation = 274, kDateTime = 306,
  kDateTimeOriginal = 36867, kDateTimeDigitized = 36868,
  kPixelXDimension = 40962, kPixelYDimension = 40963,
};

}  // namespace

AlbumShotFacts currentShotFacts() {
  NSDateFormatter formatter;
  formatter.setDateFormat("yyyy:MM:dd HH:mm:ss");
  // The maker the application's own composition names too.
  return {"Apple", UIDevice::currentDevice().model(), formatter.stringFromDate(NSDate::date())};
}

std::vector<std::uint8_t> albumJPEG(const std::shared_ptr<UIImage>& image, double quality,
                                    const AlbumShotFacts& facts) {
  std::vector<std::uint8_t> encoded = UIImageJPEGRepresentation(image, static_cast<CGFloat>(quality));
  if (encoded.empty()) return encoded;
  exif::EXFJpeg jpeg;
  jpeg.scanImageDataBorrowed(encoded);
  exif::EXFMetaData& md = jpeg.exifMetaData();
  exif::Bytes out;
  try {
    md.addTagValue(asciiLossy(facts.make), kMake);
    md.addTagValue(asciiLossy(facts.model), kModel);
    md.addTagValue(exif::Number::fromInt32(exifOrientation(image->imageOrientation())), kOrientation);
    for (exif::TagKey key : {kDateTime, kDateTimeOriginal, kDateTimeDigitized}) md.addTagValue(facts.dateTime, key);
    md.addTagValue(exif::Number::fromInt32(static_cast<std::int32_t>(image->CGImage()->width())), kPixelXDimension);
    md.addTagValue(exif::Number::fromInt32(static_cast<std::int32_t>(image->CGImage()->height())), kPixelYDimension);
    jpeg.populateImageData(out);
  } catch (const exif::EXFException&) {
    return encoded;
  }
  return out;
}

}  // namespace platform
