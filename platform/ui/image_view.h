#pragma once
// UIImageView: shows a picture scaled to fill its bounds. Like the
// platform's, it does not take touches by default (user interaction off).
#include "platform/graphics/image.h"
#include "platform/ui/view.h"

#include <memory>

namespace platform {

class UIImageView : public UIView {
 public:
  explicit UIImageView(CGRect frame = CGRectZero);
  // initWithImage:: the frame is the picture's size at (0, 0).
  explicit UIImageView(std::shared_ptr<UIImage> image);
  const char* className() const override { return "UIImageView"; }

  const std::shared_ptr<UIImage>& image() const { return image_; }
  void setImage(std::shared_ptr<UIImage> image);

  void drawRect(CGRect rect) override;

 private:
  std::shared_ptr<UIImage> image_;
};

}  // namespace platform
