#include "storage/thumbnail.h"

#include "platform/graphics/context.h"

#include <numbers>

namespace holdstill {

using namespace platform;

double radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

std::shared_ptr<UIImage> shrinkImage(const std::shared_ptr<UIImage>& image, int width, int height) {
  if (!image || !image->CGImage() || width < 1 || height < 1) return nullptr;
  auto canvas = CGBitmapContextCreate(static_cast<size_t>(width), static_cast<size_t>(height));
  CGContextRef context = canvas.get();
  CGContextSetInterpolationQuality(context, kCGInterpolationLow);
  const auto w = static_cast<CGFloat>(width), h = static_cast<CGFloat>(height);
  CGRect rect = CGRectMake(0, 0, w, h);
  switch (image->imageOrientation()) {
    case UIImageOrientationRight:
      CGContextTranslateCTM(context, 0, h);
      CGContextRotateCTM(context, static_cast<float>(radians(-90)));
      rect = CGRectMake(0, 0, h, w);
      break;
    case UIImageOrientationLeft:
      CGContextTranslateCTM(context, w, 0);
      CGContextRotateCTM(context, static_cast<float>(radians(90)));
      rect = CGRectMake(0, 0, h, w);
      break;
    case UIImageOrientationDown:
      CGContextTranslateCTM(context, w, h);
      CGContextRotateCTM(context, static_cast<float>(radians(180)));
      break;
    case UIImageOrientationUp:
      break;
  }
  CGContextDrawImage(context, rect, image->CGImage());
  return UIImage::imageWithCGImage(CGBitmapContextCreateImage(context));
}

}  // namespace holdstill
