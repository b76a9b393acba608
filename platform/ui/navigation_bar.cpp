#include "platform/ui/navigation_bar.h"

#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/text.h"

#include <algorithm>

namespace platform {
namespace {

constexpr CGFloat kButtonHeight = 30, kButtonPadding = 10, kMargin = 5;

}  // namespace

UINavigationBar::UINavigationBar(CGRect frame) : UIView(frame) {
  title_ = std::make_shared<UILabel>();
  title_->setBackgroundColor(std::nullopt);
  title_->setTextColor(UIColor::whiteColor());
  title_->setFont(UIFont::boldSystemFontOfSize(20));
  title_->setTextAlignment(UITextAlignmentCenter);
}

std::shared_ptr<UIButton> UINavigationBar::makeButton(const std::shared_ptr<UIBarButtonItem>& item) {
  if (!item) return nullptr;
  auto button = std::make_shared<UIButton>();
  button->setTitle(item->title(), UIControlStateNormal);
  button->setFont(UIFont::boldSystemFontOfSize(12));
  button->setBackgroundColor(UIColor::colorWithRed(0.35f, 0.45f, 0.6f, 1));
  button->setEnabled(item->isEnabled());
  std::weak_ptr<UIBarButtonItem> weak = item;
  button->addTarget(
      [weak](UIControl&) {
        if (auto i = weak.lock()) i->sendAction();
      },
      UIControlEventTouchUpInside);
  const CGFloat width = sizeWithFont(item->title(), button->font()).width + 2 * kButtonPadding;
  button->setFrame(CGRectMake(0, 0, width, kButtonHeight));
  return button;
}

void UINavigationBar::showItem(const UINavigationItem* item, std::shared_ptr<UIBarButtonItem> back) {
  for (const auto& old : {std::shared_ptr<UIView>(title_), std::shared_ptr<UIView>(left_),
                          std::shared_ptr<UIView>(right_)})
    if (old) old->removeFromSuperview();
  left_ = right_ = nullptr;
  if (!item) return;
  title_->setText(item->title());
  addSubview(title_);
  auto left = item->leftBarButtonItem();
  if (!left && !item->hidesBackButton()) left = std::move(back);
  left_ = makeButton(left);
  right_ = makeButton(item->rightBarButtonItem());
  if (left_) addSubview(left_);
  if (right_) addSubview(right_);
  layoutSubviews();
}

void UINavigationBar::layoutSubviews() {
  const CGRect b = bounds();
  const CGFloat y = (b.size.height - kButtonHeight) / 2;
  CGFloat leftEdge = kMargin, rightEdge = b.size.width - kMargin;
  if (left_) {
    left_->setFrame(CGRectMake(kMargin, y, left_->frame().size.width, kButtonHeight));
    leftEdge = CGRectGetMaxX(left_->frame()) + kMargin;
  }
  if (right_) {
    const CGFloat w = right_->frame().size.width;
    right_->setFrame(CGRectMake(b.size.width - kMargin - w, y, w, kButtonHeight));
    rightEdge = right_->frame().origin.x - kMargin;
  }
  // The title is centred on the bar, narrowed to stay clear of the buttons.
  const CGFloat half = std::min(b.size.width / 2 - leftEdge, rightEdge - b.size.width / 2);
  title_->setFrame(CGRectMake(b.size.width / 2 - std::max<CGFloat>(half, 0), 0,
                              2 * std::max<CGFloat>(half, 0), b.size.height));
}

void UINavigationBar::drawRect(CGRect) {
  CGContextRef c = UIGraphicsGetCurrentContext();
  const CGRect b = bounds();
  CGContextSetRGBFillColor(c, 0.43f, 0.52f, 0.64f, 1);
  CGContextFillRect(c, b);
  CGContextSetRGBFillColor(c, 0.18f, 0.25f, 0.34f, 1);  // the bottom edge
  CGContextFillRect(c, CGRectMake(b.origin.x, CGRectGetMaxY(b) - 1, b.size.width, 1));
}

}  // namespace platform
