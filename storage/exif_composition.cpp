#include "storage/exif_composition.h"

#include "state/module_state.h"
#include "state/outbound_links.h"
#include "state/screen_facts.h"
#include "exif/exf_exception.h"
#include "exif/exf_jpeg.h"
#include "exif/exf_utils.h"
#include "platform/device/ui_device.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/date_formatter.h"
#include "platform/foundation/ns_string.h"
#include "platform/foundation/string_format.h"
#include "platform/graphics/image_codec.h"
#include "storage/thumbnail.h"

#include <cmath>

namespace holdstill {

using namespace platform;
using exif::Bytes;
using exif::Number;

namespace {

// Tag keys the composition writes.
enum : exif::TagKey {
  kGPSLatitudeRef = 1, kGPSLatitude = 2, kGPSLongitudeRef = 3, kGPSLongitude = 4,
  kGPSAltitudeRef = 5, kGPSAltitude = 6,
  kCompression = 259, kOrientation = 274, kMake = 271, kModel = 272, kSoftware = 305,
  kDateTime = 306, kArtist = 315, kThumbnailLength = 514,
  kDateTimeOriginal = 36867, kDateTimeDigitized = 36868, kUserComment = 37510,
  kColorSpace = 40961, kPixelXDimension = 40962, kPixelYDimension = 40963,
};

constexpr int kJpegCompression = 6;
constexpr int kUncalibrated = 0xFFFF;

void addGPS(exif::EXFMetaData& md, const CLLocation& fix) {
  const double latitude = fix.coordinate().latitude, longitude = fix.coordinate().longitude;
  if (!std::isfinite(latitude) || !std::isfinite(longitude)) return;
  exif::EXFGPSLoc lat, lon;
  populateGPS(lat, createLocArray(latitude));
  md.addTagValue(lat, kGPSLatitude);
  md.addTagValue(latitude < 0 ? "S" : "N", kGPSLatitudeRef);
  populateGPS(lon, createLocArray(longitude));
  md.addTagValue(lon, kGPSLongitude);
  md.addTagValue(longitude < 0 ? "W" : "E", kGPSLongitudeRef);
  // An altitude beyond the accepted range would wrap in its RATIONAL: left out.
  const double altitude = fix.altitude();
  if (!(altitude >= exif::kLowestAltitude && altitude <= exif::kHighestAltitude)) return;
  md.addTagValue(Number::fromUInt8(altitude < 0 ? 1 : 0), kGPSAltitudeRef);
  md.addTagValue(Number::fromDouble(std::fabs(altitude)), kGPSAltitude);
}

// Every tag but the thumbnail's. Texts go in their lossy ASCII form, so
// that no name in any language keeps a picture from being composed.
void addPictureTags(exif::EXFMetaData& md, const std::shared_ptr<UIImage>& image, const CompositionFacts& facts) {
  md.addTagValue(Number::fromInt32(kUncalibrated), kColorSpace);
  if (image) {
    const CGSize size = image->size();
    md.addTagValue(Number::fromInt32(static_cast<std::int32_t>(size.width)), kPixelXDimension);
    md.addTagValue(Number::fromInt32(static_cast<std::int32_t>(size.height)), kPixelYDimension);
  }
  md.addTagValue(Number::fromInt32(kJpegCompression), kCompression);
  // One tag turns the picture and its thumbnail, both stored as the camera took them.
  md.addTagValue(Number::fromInt32(image ? exifOrientation(image->imageOrientation()) : 1), kOrientation);
  const std::string software = asciiLossy(stringWithFormat("%@ v%@", facts.appName, facts.appVersion));
  md.addTagValue(software, kSoftware);
  md.addTagValue(software + " from " + std::string(kMakerDomain), kUserComment);
  md.addTagValue("Apple", kMake);
  md.addTagValue(asciiLossy(facts.device.model), kModel);
  md.addTagValue(stringWithFormat("Camera owner, %@", asciiLossy(facts.device.name)), kArtist);
  md.addTagValue(facts.dateTime, kDateTime);
  md.addTagValue(facts.dateTime, kDateTimeOriginal);
  md.addTagValue(facts.dateTime, kDateTimeDigitized);
  if (facts.fix) addGPS(md, *facts.fix);
}

// The file with `thumb` as its thumbnail, or nothing (and why) when the
// block does not fit its segment.
std::optional<Bytes> rebuildWith(exif::EXFJpeg& jpeg, const Bytes& thumb, std::string& failure) {
  exif::EXFMetaData& md = jpeg.exifMetaData();
  md.addThumbnailTagValue(Number::fromInt32(kJpegCompression), kCompression);
  md.addThumbnailTagValue(Number::fromInt32(static_cast<std::int32_t>(thumb.size())), kThumbnailLength);
  md.setThumbnailData(thumb);
  Bytes out;
  try {
    jpeg.populateImageData(out);
  } catch (const exif::EXFException& e) {
    failure = std::string("the EXIF block cannot be written: ") + e.what();
    return std::nullopt;
  }
  return out;
}

// The thumbnail's size: 160 × 120, or 120 × 160 for a picture stored
// taller than wide, so that its shape is kept as stored.
CGSize thumbnailSize(const UIImage& image) {
  const bool tall = image.CGImage()->height() > image.CGImage()->width();
  return tall ? CGSizeMake(kThumbnailHeight, kThumbnailWidth) : CGSizeMake(kThumbnailWidth, kThumbnailHeight);
}

std::optional<Bytes> compose(const std::shared_ptr<UIImage>& image, std::span<const std::uint8_t> jpegInput,
                             double quality, bool thumbnail, const CompositionFacts& facts,
                             std::string& failure) {
  Bytes encoded;
  if (image) encoded = UIImageJPEGRepresentation(image, static_cast<CGFloat>(quality));
  const std::span<const std::uint8_t> jpegBytes = image ? std::span<const std::uint8_t>(encoded) : jpegInput;
  if (jpegBytes.empty()) {
    failure = image ? "the picture cannot be encoded as JPEG" : "no picture and no JPEG to compose";
    return std::nullopt;
  }

  // The container refers to the encoded picture instead of copying its image
  // data; both outlive it.
  exif::EXFJpeg jpeg;
  jpeg.scanImageDataBorrowed(jpegBytes);
  try {
    addPictureTags(jpeg.exifMetaData(), image, facts);
  } catch (const exif::EXFException& e) {
    failure = std::string("a tag value is refused: ") + e.what();
    return std::nullopt;
  }

  const Bytes noThumb;
  const Bytes& appThumb = facts.processedThumb ? *facts.processedThumb : noThumb;
  if (thumbnail && image) {
    // Smaller thumbnails until the block fits, then none at all. Without
    // an application thumbnail the picture's thumbnail goes without one.
    const CGSize size = thumbnailSize(*image);
    const auto small = shrinkImage(image, static_cast<int>(size.width), static_cast<int>(size.height));
    std::string ignored;
    for (double thumbQuality : kThumbnailQualities) {
      const auto thumb = compose(small, {}, thumbQuality, false, facts, ignored);
      if (!thumb) continue;
      if (auto out = rebuildWith(jpeg, *thumb, ignored)) return out;
    }
    return rebuildWith(jpeg, noThumb, failure);
  }
  if (auto out = rebuildWith(jpeg, appThumb, failure)) return out;
  return appThumb.empty() ? std::nullopt : rebuildWith(jpeg, noThumb, failure);
}

}  // namespace

CompositionFacts CompositionFacts::current(std::shared_ptr<const Bytes> processedThumb, CLLocationRef fix) {
  CompositionFacts facts;
  facts.processedThumb = std::move(processedThumb);
  facts.fix = std::move(fix);
  const UIDevice& device = UIDevice::currentDevice();
  facts.device = DeviceFacts{device.model(), device.name()};
  facts.appName = NSBundle::mainBundle().localizedStringForKey("AppName", "", "");
  facts.appVersion = vnsAppVersion.value_or("");
  facts.dateTime = exifDateTime(NSDate::date());
  return facts;
}

std::string exifDateTime(const NSDate& date) {
  NSDateFormatter formatter;
  formatter.setDateFormat("yyyy:MM:dd HH:mm:ss");
  return formatter.stringFromDate(date);
}

std::vector<double> createLocArray(double value) {
  std::vector<double> list;
  double v = std::fabs(value);
  const double d = std::trunc(v);
  list.push_back(d);
  v = (v - d) * 60;
  const double m = std::trunc(v);
  list.push_back(m);
  v = (v - m) * 60;
  list.push_back(v);
  return list;
}

void populateGPS(exif::EXFGPSLoc& target, const std::vector<double>& list) {
  auto fraction = [&](std::size_t i) {
    std::array<std::int32_t, 2> pair{};
    exif::EXFUtils::convertRationalToFraction(pair, Number::fromDouble(list[i]));
    return exif::EXFraction::initWith(pair[0], pair[1]);
  };
  if (list.size() > 0) target.setDegrees(fraction(0));
  if (list.size() > 1) target.setMinutes(fraction(1));
  if (list.size() > 2) target.setSeconds(fraction(2));
}

std::optional<Bytes> addEXIF(const std::shared_ptr<UIImage>& image, std::span<const std::uint8_t> jpeg,
                             bool thumbnail, const CompositionFacts& facts, std::string* failure) {
  std::string why;
  auto out = compose(image, jpeg, kPictureQuality, thumbnail, facts, why);
  if (!out && failure) *failure = why;
  return out;
}

}  // namespace holdstill
