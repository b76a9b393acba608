#pragma once
// The picture's thumbnail: its stored pixels scaled (aspect not kept) into
// a small bitmap and turned by the picture's orientation so that it shows
// upright. Any thread, on distinct or read-only pictures.
#include "platform/graphics/image.h"

#include <memory>

namespace holdstill {

inline constexpr int kThumbnailWidth = 160;
inline constexpr int kThumbnailHeight = 120;

// degrees × π / 180.
double radians(double degrees);

// A new picture of exactly width × height pixels (orientation Up) drawn at
// low interpolation quality: Up drawn as it is, Down turned a half turn,
// Right turned −90° after moving the origin by (0, height), Left turned
// +90° after moving it by (width, 0); the latter two are drawn into a
// height × width rectangle, so every drawing covers the whole canvas.
// Null for a null picture or a size below 1.
std::shared_ptr<platform::UIImage> shrinkImage(const std::shared_ptr<platform::UIImage>& image, int width,
                                               int height);

}  // namespace holdstill
