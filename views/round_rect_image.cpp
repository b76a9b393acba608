#include "views/round_rect_image.h"

#include "views/rounded_rect_path.h"
#include "platform/graphics/graphics_stack.h"

namespace holdstill {

using namespace platform;

namespace {
constexpr float kPanelRadius = 15, kImageRadius = 5;
}  // namespace

OrvRoundRectImage::OrvRoundRectImage(CGRect frame)
    : UIView(frame), _fillColor(UIColor::colorWithRed(0.2f, 0.2f, 0.2f, 0.7f)) {
  setBackgroundColor(UIColor::clearColor());
  setOpaque(false);
  setUserInteractionEnabled(false);
}

void OrvRoundRectImage::setImage(std::shared_ptr<UIImage> image) {
  image_ = std::move(image);
  setHidden(image_ == nullptr);
  setNeedsDisplay();
}

void OrvRoundRectImage::drawRect(CGRect) {
  CGContextRef context = UIGraphicsGetCurrentContext();
  const CGRect bounds = this->bounds();
  const float radius = backgroundOnly_ ? kPanelRadius : kImageRadius;
  CGContextBeginPath(context);
  addRoundedRectToPath(context, bounds, radius, radius);
  CGContextClosePath(context);
  CGContextClip(context);
  if (backgroundOnly_) {
    CGContextSetFillColorWithColor(context, _fillColor.CGColor());
    CGContextFillRect(context, bounds);
  } else if (image_) {
    image_->drawAtPoint(CGPointMake(0, 0));
  }
}

}  // namespace holdstill
