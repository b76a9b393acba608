#include "platform/ui/image_view.h"

namespace platform {

UIImageView::UIImageView(CGRect frame) : UIView(frame) { setUserInteractionEnabled(false); }

UIImageView::UIImageView(std::shared_ptr<UIImage> image)
    : UIView(image ? CGRect{{0, 0}, image->size()} : CGRectZero), image_(std::move(image)) {
  setUserInteractionEnabled(false);
}

void UIImageView::setImage(std::shared_ptr<UIImage> image) {
  image_ = std::move(image);
  setNeedsDisplay();
}

void UIImageView::drawRect(CGRect) {
  if (image_) image_->drawInRect(bounds());
}

}  // namespace platform
