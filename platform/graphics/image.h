#pragma once
// UIImage: an immutable picture, a bitmap (CGImage) plus the orientation in
// which it is meant to be shown. One pixel is one point. Shared read-only
// through std::shared_ptr; a missing picture is a null pointer.
#include "platform/graphics/cg_image.h"
#include "platform/graphics/geometry.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace platform {

// How the stored pixels are turned for showing: Right means the bitmap is
// shown turned a quarter turn clockwise (a camera picture held upright).
enum UIImageOrientation {
  UIImageOrientationUp = 0,
  UIImageOrientationDown = 1,
  UIImageOrientationLeft = 2,
  UIImageOrientationRight = 3,
};

// The EXIF Orientation value that shows the stored pixels as this
// orientation does: Up 1, Down 3, Left 8, Right 6.
int exifOrientation(UIImageOrientation orientation);

class UIImage {
 public:
  // initWithCGImage:; `image` must not be null.
  explicit UIImage(CGImageRef image, UIImageOrientation orientation = UIImageOrientationUp);

  // Null when `image` is null.
  static std::shared_ptr<UIImage> imageWithCGImage(
      CGImageRef image, UIImageOrientation orientation = UIImageOrientationUp);
  // A PNG or JPEG picture; null when it cannot be read or decoded. The
  // file is named by its path on the current device, or on the host for
  // the simulator's own pictures (camera feed, test cards).
  static std::shared_ptr<UIImage> imageWithContentsOfFile(const std::string& devicePath);
  static std::shared_ptr<UIImage> imageWithContentsOfHostFile(const std::string& hostPath);
  static std::shared_ptr<UIImage> imageWithData(std::span<const uint8_t> bytes);
  // A picture among the application's resources ("globe.png", or "globe"
  // for the PNG), found as the main bundle finds images; null when there is
  // none or it cannot be decoded. Any thread.
  static std::shared_ptr<UIImage> imageNamed(const std::string& name);

  // In points, as shown: width and height exchanged for Left and Right.
  CGSize size() const;
  UIImageOrientation imageOrientation() const { return orientation_; }
  // The stored pixels, without the orientation applied.
  const CGImageRef& CGImage() const { return image_; }

  // Draw into the current context (UIGraphicsGetCurrentContext), upright in
  // its top-left space; nothing happens without a current context.
  void drawAtPoint(CGPoint point) const;
  void drawInRect(CGRect rect) const;

 private:
  CGImageRef image_;
  UIImageOrientation orientation_;
};

}  // namespace platform
