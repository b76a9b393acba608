#include "platform/graphics/color.h"

namespace platform {
namespace {
// Clamps to [0, 1]; NaN becomes 0.
CGFloat unit(CGFloat v) { return v > 0 ? (v < 1 ? v : 1) : 0; }
}  // namespace

UIColor UIColor::colorWithRed(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha) {
  return UIColor(unit(red), unit(green), unit(blue), unit(alpha));
}

UIColor UIColor::colorWithWhite(CGFloat white, CGFloat alpha) {
  return colorWithRed(white, white, white, alpha);
}

}  // namespace platform
