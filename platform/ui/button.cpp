#include "platform/ui/button.h"

#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/text.h"

namespace platform {

template <class T>
const T* UIButton::lookup(const std::map<unsigned, T>& byState, unsigned state) {
  auto it = byState.find(state);
  if (it == byState.end()) it = byState.find(UIControlStateNormal);
  return it == byState.end() ? nullptr : &it->second;
}

void UIButton::setImage(std::shared_ptr<UIImage> image, unsigned state) {
  images_[state] = std::move(image);
  setNeedsDisplay();
}

std::shared_ptr<UIImage> UIButton::imageForState(unsigned state) const {
  const auto* image = lookup(images_, state);
  return image ? *image : nullptr;
}

void UIButton::setTitle(const std::string& title, unsigned state) {
  titles_[state] = title;
  setNeedsDisplay();
}

std::string UIButton::titleForState(unsigned state) const {
  const auto* title = lookup(titles_, state);
  return title ? *title : std::string();
}

void UIButton::setFont(const UIFont& font) {
  font_ = font;
  setNeedsDisplay();
}

void UIButton::drawRect(CGRect) {
  const CGRect b = bounds();
  if (auto image = currentImage()) {
    const CGSize s = image->size();
    image->drawAtPoint({b.origin.x + (b.size.width - s.width) / 2,
                        b.origin.y + (b.size.height - s.height) / 2});
    if (isHighlighted() && adjustsImageWhenHighlighted()) {
      CGContextSetFillColorWithColor(UIGraphicsGetCurrentContext(),
                                     UIColor::colorWithWhite(0, 0.3f).CGColor());
      CGContextFillRect(UIGraphicsGetCurrentContext(), b);
    }
  }
  const std::string title = currentTitle();
  if (!title.empty()) {
    const CGSize s = sizeWithFont(title, font_);
    CGContextSetFillColorWithColor(UIGraphicsGetCurrentContext(),
                                   UIColor::whiteColor().CGColor());
    drawTextAtPoint(title,
                    {b.origin.x + (b.size.width - s.width) / 2,
                     b.origin.y + (b.size.height - s.height) / 2},
                    font_);
  }
}

}  // namespace platform
