#include "views/meter_vertical.h"

#include "views/rounded_rect_path.h"
#include "platform/graphics/graphics_stack.h"

#include <climits>
#include <cmath>

namespace holdstill {

using namespace platform;

namespace {

constexpr float kCellHeight = 8, kCellPitch = 10, kCellRadius = 4;

// Truncates towards zero. Values beyond an int's range are held at its
// ends, and a level that is not a number counts as steady (the bottom cell's
// position), where a plain conversion would be undefined.
int truncatedTop(float cellY, float value) {
  if (std::isnan(value)) return static_cast<int>(cellY);
  if (value <= static_cast<float>(INT_MIN)) return INT_MIN;
  if (value >= static_cast<float>(INT_MAX)) return INT_MAX;
  return static_cast<int>(value);
}

}  // namespace

UIMeterVertical::UIMeterVertical(CGRect frame)
    : UIView(frame),
      _fillColorUnstable(UIColor::redColor()),
      _fillColorStable(UIColor::colorWithRed(53.0f / 255, 99.0f / 255, 0, 1)),
      _fillColorDisabled(UIColor::colorWithRed(0.9f, 0.9f, 0.9f, 1)) {
  setBackgroundColor(UIColor::clearColor());
}

void UIMeterVertical::drawRect(CGRect) {
  CGContextRef context = UIGraphicsGetCurrentContext();
  const CGRect bounds = this->bounds();
  const int height = static_cast<int>(bounds.size.height);
  CGRect cell = CGRectMake(bounds.origin.x, static_cast<float>(height) - kCellHeight,
                           bounds.size.width - 1, kCellHeight);
  const int top = truncatedTop(cell.origin.y, cell.origin.y - height * progress_);
  for (int i = 0; i < bounds.size.height / kCellPitch; ++i) {
    const UIColor& color = disabled_ ? _fillColorDisabled : i == 0 ? _fillColorStable : _fillColorUnstable;
    CGContextBeginPath(context);
    addRoundedRectToPath(context, cell, kCellRadius, kCellRadius);
    CGContextClosePath(context);
    CGContextSetFillColorWithColor(context, color.CGColor());
    CGContextFillPath(context);
    if (cell.origin.y <= top) break;
    cell.origin.y -= kCellPitch;
  }
}

}  // namespace holdstill
