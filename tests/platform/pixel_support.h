#pragma once
// Helpers for tests that check rendered pixels.
#include "platform/graphics/cg_image.h"
#include "platform/graphics/color.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/ui/view.h"

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

}  // namespace platform::testsupport
