#pragma once
// The picture's thumbnail: its stored pixels scaled (aspect not kept) into
// a small bitmap, not turned, so that the picture's orientation shows it
// as it shows the picture. Any thread, on distinct or read-only pictures.
#include "platform/graphics/image.h"

#include <memory>

namespace holdstill {

inline constexpr int kThumbnailWidth = 160;
inline constexpr int kThumbnailHeight = 120;

// A new picture of exactly width × height pixels, with the source's
// orientation, drawn from its stored pixels at low interpolation quality.
// Null for a null picture or a size below 1.
std::shared_ptr<platform::UIImage> shrinkImage(const std::shared_ptr<platform::UIImage>& image, int width,
                                               int height);

}  // namespace holdstill
