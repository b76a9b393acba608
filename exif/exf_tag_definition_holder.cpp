#include "exif/exf_tag_definition_holder.h"

#include <algorithm>
#include <array>

namespace exif {
namespace {

constexpr std::int32_t kRoot = TAG_EXIF_ROOT;
constexpr std::int32_t kExif = static_cast<std::int32_t>(TAG_EXIF_OFFSET);
constexpr std::int32_t kGps = static_cast<std::int32_t>(TAG_EXIF_GPS);
constexpr std::int32_t kVar = -99;

// The table, as data: tag, type, name, directory, editable, count.
constexpr auto kTable = [] {
  std::array<EXFTag, 109> t = {{
      // Root directory (IFD0, and IFD1 which uses the same definitions).
      {0x0100, kLong, "ImageWidth", kRoot, true, 1},
      {0x0101, kLong, "ImageLength", kRoot, true, 1},
      {0x0102, kShort, "BitsPerSample", kRoot, true, 3},
      {0x0103, kShort, "Compression", kRoot, true, 1},
      {0x0106, kShort, "PhotometricInterpretation", kRoot, true, 1},
      {0x010E, kAscii, "ImageDescription", kRoot, true, kVar},
      {0x010F, kAscii, "Make", kRoot, true, kVar},
      {0x0110, kAscii, "Model", kRoot, true, kVar},
      {0x0111, kLong, "StripOffsets", kRoot, true, -1},
      {0x0112, kShort, "Orientation", kRoot, true, 1},
      {0x0115, kShort, "SamplesPerPixel", kRoot, true, 1},
      {0x0116, kLong, "RowsPerStrip", kRoot, true, 1},
      {0x0117, kLong, "StripByteCounts", kRoot, true, -1},
      {0x011A, kRational, "XResolution", kRoot, true, 1},
      {0x011B, kRational, "YResolution", kRoot, true, 1},
      {0x011C, kShort, "PlanarConfiguration", kRoot, true, 1},
      {0x0128, kShort, "ResolutionUnit", kRoot, true, 1},
      {0x0131, kAscii, "Software", kRoot, true, kVar},
      {0x0132, kAscii, "DateTime", kRoot, true, 20},
      {0x013B, kAscii, "Artist", kRoot, true, kVar},
      {0x013C, kAscii, "HostComputer", kRoot, true, kVar},
      {0x013D, kShort, "Predictor", kRoot, true, 1},
      {0x013E, kRational, "WhitePoint", kRoot, true, 2},
      {0x013F, kRational, "PrimaryChromaticities", kRoot, true, 6},
      {0x0201, kLong, "JPEGInterchangeFormat", kRoot, true, 1},
      {0x0202, kLong, "JPEGInterchangeFormatLength", kRoot, true, 1},
      {0x0211, kRational, "YCbCrCoefficients", kRoot, true, 3},
      {0x0212, kShort, "YCbCrSubSampling", kRoot, true, 2},
      {0x0213, kShort, "YCbCrPositioning", kRoot, true, 1},
      {0x0214, kRational, "ReferenceBlackWhite", kRoot, true, 6},
      {0x8298, kAscii, "Copyright", kRoot, true, kVar},
      // Exif sub-directory.
      {0x829A, kRational, "ExposureTime", kExif, true, 1},
      {0x829D, kRational, "FNumber", kExif, true, 1},
      {0x8822, kShort, "ExposureProgram", kExif, true, kVar},
      {0x8824, kAscii, "SpectralSensitivity", kExif, true, kVar},
      {0x8827, kAscii, "ISOSpeedratings", kExif, true, kVar},
      {0x9000, kUndefined, "ExifVersion", kExif, true, 4},
      {0x9003, kAscii, "DateTimeOriginal", kExif, true, 20},
      {0x9004, kAscii, "DateTimeDigitized", kExif, true, 20},
      {0x9102, kRational, "CompressedBitsPerPixel", kExif, true, 1},
      {0x9201, kSRational, "ShutterSpeedValue", kExif, true, 1},
      {0x9202, kRational, "ApertureValue", kExif, true, 1},
      {0x9203, kSRational, "BrightnessValue", kExif, true, 1},
      {0x9204, kSRational, "ExposureBiasValue", kExif, true, 1},
      {0x9205, kRational, "MaxApertureRatioValue", kExif, true, 1},
      {0x9206, kRational, "SubjectDistance", kExif, true, 1},
      {0x9207, kShort, "MeteringMode", kExif, true, 1},
      {0x9208, kShort, "LightSource", kExif, true, 1},
      {0x9209, kShort, "Flash", kExif, true, 1},
      {0x920A, kRational, "FocalLength", kExif, true, 1},
      {0x927C, kUndefined, "MakerNote", kExif, true, kVar},
      {0x9286, kUndefined, "UserComment", kExif, true, kVar},
      {0x9290, kAscii, "SubSecTime", kExif, true, kVar},
      {0x9291, kAscii, "SubSecTimeOriginal", kExif, true, kVar},
      {0x9292, kAscii, "SubSecTimeDigitized", kExif, true, kVar},
      {0xA000, kUndefined, "FlashpixVersion", kExif, true, 4},
      {0xA001, kShort, "ColorSpace", kExif, true, 1},
      {0xA002, kLong, "PixelXDimension", kExif, true, 1},
      {0xA003, kLong, "PixelYDimension", kExif, true, 1},
      {0xA20E, kRational, "FocalPlaneXResolution", kExif, true, 1},
      {0xA20F, kRational, "FocalPlaneYResolution", kExif, true, 1},
      {0xA210, kShort, "FocalPlaneResolutionUnit", kExif, true, 1},
      {0xA214, kShort, "SubjectLocation", kExif, true, 2},
      {0xA215, kRational, "ExposureTime", kExif, true, 1},
      {0xA217, kShort, "SensingMethod", kExif, true, 1},
      {0xA300, kUndefined, "FileSource", kExif, true, 1},
      {0xA301, kUndefined, "SceneType", kExif, true, 1},
      {0xA302, kUndefined, "CFAPattern", kExif, true, kVar},
      {0xA401, kShort, "CustomRendered", kExif, true, 1},
      {0xA402, kShort, "ExposureMode", kExif, true, 1},
      {0xA403, kShort, "WhiteBalance", kExif, true, 1},
      {0xA404, kRational, "DigitalZoomRatio", kExif, true, 1},
      {0xA405, kShort, "FocalLengthIn35mmFilm", kExif, true, 1},
      {0xA406, kShort, "SceneCaptureType", kExif, true, 1},
      {0xA407, kRational, "GainControl", kExif, true, 1},
      {0xA408, kShort, "Contrast", kExif, true, 1},
      {0xA409, kShort, "Saturation", kExif, true, 1},
      {0xA40A, kShort, "Sharpness", kExif, true, 1},
      {0xA40B, kUndefined, "DeviceSettingDescription", kExif, true, kVar},
      {0xA40C, kShort, "SubjectDistanceRange", kExif, true, 1},
      {0xA500, kRational, "Gamma", kExif, false, 1},
      // GPS sub-directory.
      {0x0000, kByte, "GPSVersion", kGps, true, 4},
      {0x0001, kAscii, "GPSLatitudeRef", kGps, true, 2},
      {0x0002, kRational, "GPSLatitude", kGps, true, 3},
      {0x0003, kAscii, "GPSLongitudeRef", kGps, true, 2},
      {0x0004, kRational, "GPSLongitude", kGps, true, 3},
      {0x0005, kByte, "GPSAltitudeRef", kGps, true, 1},
      {0x0006, kRational, "GPSAltitude", kGps, true, 1},
      {0x0007, kRational, "GPSTimeStamp", kGps, true, 3},
      {0x0008, kAscii, "GPSSatellites", kGps, true, kVar},
      {0x0009, kAscii, "GPSStatus", kGps, true, 2},
      {0x000A, kAscii, "GPSMeasureMode", kGps, true, 2},
      {0x000B, kRational, "GPSDOP", kGps, true, 1},
      {0x000C, kAscii, "GPSSpeedRef", kGps, true, 2},
      {0x000D, kRational, "GPSSpeed", kGps, true, 1},
      {0x000E, kAscii, "GPSTrackRef", kGps, true, 2},
      {0x000F, kRational, "GPSTrack", kGps, true, 1},
      {0x0010, kAscii, "GPSImgDirectionRef", kGps, true, 2},
      {0x0011, kRational, "GPSImgDirection", kGps, true, 1},
      {0x0012, kAscii, "GPSMapDatum", kGps, true, kVar},
      {0x0013, kAscii, "GPSDestLatitudeRef", kGps, true, 2},
      {0x0014, kRational, "GPSDestLatitude", kGps, true, 3},
      {0x0015, kAscii, "GPSDestLongitudeRef", kGps, true, 2},
      {0x0016, kRational, "GPSDestLongitude", kGps, true, 3},
      {0x0017, kAscii, "GPSDestBearingRef", kGps, true, 2},
      {0x0018, kRational, "GPSDestBearing", kGps, true, 1},
      {0x0019, kAscii, "GPSDestDistanceRef", kGps, true, 2},
      {0x001A, kRational, "GPSDestDistance", kGps, true, 1},
      {0x001D, kAscii, "GPSDateStamp", kGps, true, 11},
  }};
  std::sort(t.begin(), t.end(), [](const EXFTag& a, const EXFTag& b) { return a.tagId() < b.tagId(); });
  return t;
}();

static_assert(std::adjacent_find(kTable.begin(), kTable.end(),
                                 [](const EXFTag& a, const EXFTag& b) {
                                   return a.tagId() == b.tagId();
                                 }) == kTable.end(),
              "one definition per tag number");

}  // namespace

const EXFTagDefinitionHolder& EXFTagDefinitionHolder::shared() {
  static const EXFTagDefinitionHolder holder;
  return holder;
}

std::span<const EXFTag> EXFTagDefinitionHolder::definitions() const { return kTable; }

const EXFTag* EXFTagDefinitionHolder::find(TagKey key) const {
  auto it = std::lower_bound(kTable.begin(), kTable.end(), key,
                             [](const EXFTag& t, TagKey k) { return t.tagId() < k; });
  return it != kTable.end() && it->tagId() == key ? &*it : nullptr;
}

}  // namespace exif
