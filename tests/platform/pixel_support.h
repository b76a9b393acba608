#pragma once
// Helpers for tests that check rendered pixels.
#include "platform/graphics/cg_image.h"
#include "platform/graphics/color.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/ui/view.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>
#include <ostream>

namespace platform {

inline std::ostream& operator<<(std::ostream& out, const RGBA8& c) {
  return out << "rgba(" << int(c.red) << "," << int(c.green) << "," << int(c.blue) << ","
             << int(c.alpha) << ")";
}

}  // namespace platform

namespace platform::testsupport {

// The view and its subviews drawn into a transparent picture of its bounds.
inline CGImageRef renderView(UIView& view) {
  UIGraphicsBeginImageContext(view.bounds().size);
  view.renderInContext(UIGraphicsGetCurrentContext());
  auto image = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  return image->CGImage();
}

// `color` as 8-bit channels, as the bitmap stores it.
inline RGBA8 rgba(const UIColor& color) {
  auto channel = [](CGFloat v) { return static_cast<uint8_t>(v * 255 + 0.5f); };
  return {channel(color.red()), channel(color.green()), channel(color.blue()),
          channel(color.alpha())};
}

inline const RGBA8 kRed = rgba(UIColor::redColor()), kBlue = rgba(UIColor::blueColor()),
                   kWhite = rgba(UIColor::whiteColor());

// A 2 × 1 picture: red on the left, blue on the right.
inline CGImageRef redBluePicture() {
  return std::make_shared<const CGImage>(2, 1, std::vector<uint32_t>{0xffff0000, 0xff0000ff});
}

// Channels equal within `tolerance` (rounding of premultiplied values).
inline bool near(const RGBA8& a, const RGBA8& b, int tolerance = 2) {
  return std::abs(a.red - b.red) <= tolerance && std::abs(a.green - b.green) <= tolerance &&
         std::abs(a.blue - b.blue) <= tolerance && std::abs(a.alpha - b.alpha) <= tolerance;
}

// What a viewer shows at (fx, fy), fractions of the shown width and height,
// of stored pixels turned as EXIF Orientation `tag` says: 1 as stored,
// 3 a half turn, 6 a quarter turn clockwise, 8 a quarter turn anticlockwise.
inline RGBA8 shownColorAt(const CGImage& stored, int tag, double fx, double fy) {
  const int w = stored.width(), h = stored.height();
  const bool quarter = tag == 6 || tag == 8;
  const int X = static_cast<int>(fx * ((quarter ? h : w) - 1)), Y = static_cast<int>(fy * ((quarter ? w : h) - 1));
  switch (tag) {
    case 3: return stored.colorAt(w - 1 - X, h - 1 - Y);
    case 6: return stored.colorAt(Y, h - 1 - X);
    case 8: return stored.colorAt(w - 1 - Y, X);
    default: return stored.colorAt(X, Y);
  }
}

// Whether the camera's generated scene, turned as `tag` says, shows upright:
// its magenta marker top left, sky top right, ground bottom left.
inline ::testing::AssertionResult showsSceneUpright(const CGImage& stored, int tag) {
  const RGBA8 marker = shownColorAt(stored, tag, 0.02, 0.02), sky = shownColorAt(stored, tag, 0.98, 0.02),
              ground = shownColorAt(stored, tag, 0.02, 0.98);
  const bool upright = marker.red > 180 && marker.blue > 180 && marker.green < 90 && sky.blue > sky.red + 60 &&
                       sky.blue > sky.green && ground.green > ground.red + 40 && ground.green > ground.blue + 40;
  if (upright) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "orientation " << tag << " shows top left " << marker << ", top right "
                                       << sky << ", bottom left " << ground;
}

}  // namespace platform::testsupport
