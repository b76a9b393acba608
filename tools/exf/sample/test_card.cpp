#include "tools/exf/sample/test_card.h"

#include "exif/exf_jpeg.h"
#include "platform/graphics/image_codec.h"

#include <cstdint>
#include <vector>

namespace exf {

exif::Bytes encodeTestCard(int width, int height, int quality) {
  // Colour bars over the top half, a grey ramp below; opaque ARGB pixels.
  static constexpr std::uint32_t kBars[7] = {0xC0C0C0, 0xC0C000, 0x00C0C0, 0x00C000,
                                             0xC000C0, 0xC00000, 0x0000C0};
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const std::uint32_t grey = static_cast<std::uint32_t>(x * 255 / (width - 1));
      pixels[static_cast<std::size_t>(y) * width + x] =
          0xFF000000u | (y < height / 2 ? kBars[x * 7 / width] : grey * 0x010101u);
    }
  return platform::encodeJPEG(platform::CGImage(width, height, std::move(pixels)), quality);
}

exif::Bytes geotaggedSample(bool bigEndian) {
  using namespace exif;
  EXFJpeg jpeg;
  jpeg.scanImageData(encodeTestCard(320, 240));
  EXFMetaData& md = jpeg.exifMetaData();
  md.setBigEndianOrder(bigEndian);
  md.addTagValue("Holdstill", 271);
  md.addTagValue("Simulated Phone", 272);
  md.addTagValue("Holdstill 0.1", 305);
  md.addTagValue("2009:03:14 15:09:26", 306);
  md.addTagValue(Number::fromInt32(1), 274);
  md.addTagValue("2009:03:14 15:09:26", 36867);
  md.addTagValue(Number::fromInt32(320), 40962);
  md.addTagValue(Number::fromInt32(240), 40963);
  EXFGPSLoc latitude, longitude;
  latitude.setDegrees(EXFraction(37, 1));
  latitude.setMinutes(EXFraction(46, 1));
  latitude.setSeconds(EXFraction(2964, 100));
  longitude.setDegrees(EXFraction(122, 1));
  longitude.setMinutes(EXFraction(25, 1));
  longitude.setSeconds(EXFraction(984, 100));
  md.addTagValue("N", 1);
  md.addTagValue(latitude, 2);
  md.addTagValue("W", 3);
  md.addTagValue(longitude, 4);
  md.addTagValue(Number::fromDouble(16.5), 6);
  const Bytes thumbnail = encodeTestCard(160, 120, 70);
  md.addThumbnailTagValue(Number::fromInt32(6), 259);
  md.addThumbnailTagValue(Number::fromULong(static_cast<std::uint32_t>(thumbnail.size())), 514);
  md.setThumbnailData(thumbnail);
  Bytes out;
  jpeg.populateImageData(out);
  return out;
}

}  // namespace exf
