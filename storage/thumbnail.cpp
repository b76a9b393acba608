#include "storage/thumbnail.h"

#include "platform/graphics/context.h"

namespace holdstill {

using namespace platform;

std::shared_ptr<UIImage> shrinkImage(const std::shared_ptr<UIImage>& image, int width, int height) {
  if (!image || !image->CGImage() || width < 1 || height < 1) return nullptr;
  auto canvas = CGBitmapContextCreate(static_cast<size_t>(width), static_cast<size_t>(height));
  CGContextRef context = canvas.get();
  CGContextSetInterpolationQuality(context, kCGInterpolationLow);
  CGContextDrawImage(context, CGRectMake(0, 0, width, height), image->CGImage());
  return UIImage::imageWithCGImage(CGBitmapContextCreateImage(context), image->imageOrientation());
}

}  // namespace holdstill
