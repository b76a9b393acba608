#include "platform/graphics/image.h"

#include "platform/graphics/context.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/image_codec.h"
#include "platform/foundation/atomic_file.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/data_file.h"

#include <stdexcept>

namespace platform {
namespace {

bool turnsQuarter(UIImageOrientation o) {
  return o == UIImageOrientationLeft || o == UIImageOrientationRight;
}

}  // namespace

int exifOrientation(UIImageOrientation orientation) {
  switch (orientation) {
    case UIImageOrientationDown: return 3;
    case UIImageOrientationLeft: return 8;
    case UIImageOrientationRight: return 6;
    case UIImageOrientationUp: break;
  }
  return 1;
}

UIImage::UIImage(CGImageRef image, UIImageOrientation orientation)
    : image_(std::move(image)), orientation_(orientation) {
  if (!image_) throw std::invalid_argument("UIImage needs a bitmap");
}

std::shared_ptr<UIImage> UIImage::imageWithCGImage(CGImageRef image,
                                                   UIImageOrientation orientation) {
  if (!image) return nullptr;
  return std::make_shared<UIImage>(std::move(image), orientation);
}

std::shared_ptr<UIImage> UIImage::imageWithContentsOfFile(const std::string& devicePath) {
  auto bytes = dataWithContentsOfFile(devicePath);
  return bytes ? imageWithData(*bytes) : nullptr;
}

std::shared_ptr<UIImage> UIImage::imageWithContentsOfHostFile(const std::string& hostPath) {
  auto bytes = detail::readWholeFile(hostPath);
  return bytes ? imageWithData(*bytes) : nullptr;
}

std::shared_ptr<UIImage> UIImage::imageWithData(std::span<const uint8_t> bytes) {
  return imageWithCGImage(decodeImage(bytes));
}

std::shared_ptr<UIImage> UIImage::imageNamed(const std::string& name) {
  auto path = NSBundle::mainBundle().pathForImageNamed(name);
  return path ? imageWithContentsOfFile(*path) : nullptr;
}

CGSize UIImage::size() const {
  const auto w = static_cast<CGFloat>(image_->width()), h = static_cast<CGFloat>(image_->height());
  return turnsQuarter(orientation_) ? CGSizeMake(h, w) : CGSizeMake(w, h);
}

void UIImage::drawAtPoint(CGPoint point) const {
  drawInRect({point, size()});
}

void UIImage::drawInRect(CGRect rect) const {
  CGContextRef context = UIGraphicsGetCurrentContext();
  const CGSize shown = size();
  if (!context || shown.width == 0 || shown.height == 0) return;
  const double sx = rect.size.width / shown.width, sy = rect.size.height / shown.height;
  const double iw = image_->width(), ih = image_->height();
  const double rx = rect.origin.x, ry = rect.origin.y;
  // Maps a stored pixel (u, v) to where it shows once turned, then into rect.
  cairo_matrix_t m;
  switch (orientation_) {
    case UIImageOrientationDown:
      cairo_matrix_init(&m, -sx, 0, 0, -sy, rx + sx * iw, ry + sy * ih);
      break;
    case UIImageOrientationRight:  // (u, v) shows at (ih - v, u)
      cairo_matrix_init(&m, 0, sy, -sx, 0, rx + sx * ih, ry);
      break;
    case UIImageOrientationLeft:  // (u, v) shows at (v, iw - u)
      cairo_matrix_init(&m, 0, -sy, sx, 0, rx, ry + sy * iw);
      break;
    default:
      cairo_matrix_init(&m, sx, 0, 0, sy, rx, ry);
  }
  context->drawImage(*image_, m);
}

}  // namespace platform
