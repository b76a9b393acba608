#pragma once
// Pictures for the storage suites: a test card whose four quarters have
// four colours (so a thumbnail shows which way it was turned), a small
// application thumbnail, and the composition facts of a known phone.
#include "exif/exf_jpeg.h"
#include "platform/graphics/image.h"
#include "storage/exif_composition.h"

#include <memory>
#include <vector>

namespace holdstill::testing {

inline constexpr platform::RGBA8 kRed{230, 20, 20, 255}, kGreen{20, 200, 40, 255}, kBlue{20, 40, 220, 255},
    kYellow{240, 220, 30, 255};

inline uint32_t argb(const platform::RGBA8& c) {
  return 0xFF000000u | uint32_t(c.red) << 16 | uint32_t(c.green) << 8 | c.blue;
}

// Stored quarters: top left red, top right green, bottom left blue, bottom right yellow.
inline std::shared_ptr<platform::UIImage> quarterCard(int width, int height,
                                                      platform::UIImageOrientation orientation) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const bool right = x >= width / 2, bottom = y >= height / 2;
      pixels[size_t(y) * width + x] = argb(bottom ? (right ? kYellow : kBlue) : (right ? kGreen : kRed));
    }
  return std::make_shared<platform::UIImage>(
      std::make_shared<const platform::CGImage>(width, height, std::move(pixels)), orientation);
}

// A 57 × 57 grey square standing in for "appthumb.png".
inline std::shared_ptr<platform::UIImage> appThumbPicture() {
  return std::make_shared<platform::UIImage>(std::make_shared<const platform::CGImage>(
      57, 57, std::vector<uint32_t>(57 * 57, argb({128, 128, 128, 255}))));
}

inline CompositionFacts knownPhone() {
  CompositionFacts facts;
  facts.device = DeviceFacts{"iPhone", "J\xC3\xB6rg's \xE2\x98\x85 Phone"};
  facts.appName = "Holdstill";
  facts.appVersion = "1.2";
  facts.dateTime = "2009:12:31 23:59:59";
  return facts;
}

// The known phone with its application thumbnail composed.
inline CompositionFacts knownPhoneWithThumb() {
  CompositionFacts facts = knownPhone();
  auto thumb = addEXIF(appThumbPicture(), {}, false, facts);
  if (thumb) facts.processedThumb = std::make_shared<const exif::Bytes>(std::move(*thumb));
  return facts;
}

inline exif::EXFJpeg scan(const exif::Bytes& bytes) {
  exif::EXFJpeg jpeg;
  jpeg.scanImageData(bytes);
  return jpeg;
}

}  // namespace holdstill::testing
