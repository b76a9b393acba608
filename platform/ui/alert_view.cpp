#include "platform/ui/alert_view.h"

#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/text.h"
#include "platform/ui/screen.h"

#include <cmath>

namespace platform {
namespace {

constexpr CGFloat kPadding = 12, kGap = 8, kButtonHeight = 40;

std::shared_ptr<UILabel> makeLabel(const std::string& text, const UIFont& font, CGFloat top,
                                   CGFloat width) {
  auto label = std::make_shared<UILabel>();
  label->setBackgroundColor(std::nullopt);
  label->setTextColor(UIColor::whiteColor());
  label->setTextAlignment(UITextAlignmentCenter);
  label->setNumberOfLines(0);
  label->setFont(font);
  label->setText(text);
  const CGSize size = sizeWithFont(text, font, {width, 1000}, UILineBreakModeWordWrap);
  label->setFrame(CGRectMake(kPadding, top, width, size.height));
  return label;
}

}  // namespace

UIAlertView::UIAlertView(const std::string& title, const std::string& message,
                         std::weak_ptr<UIAlertViewDelegate> delegate,
                         const std::optional<std::string>& cancelButtonTitle,
                         const std::vector<std::string>& otherButtonTitles)
    : message_(message), delegate_(std::move(delegate)) {
  setTitle(title);
  setBackgroundColor(std::nullopt);
  if (cancelButtonTitle) cancelButtonIndex_ = addButtonWithTitle(*cancelButtonTitle);
  for (const auto& other : otherButtonTitles) addButtonWithTitle(other);
}

std::vector<std::shared_ptr<UIAlertView>> UIAlertView::shownAlerts() {
  std::vector<std::shared_ptr<UIAlertView>> alerts;
  for (const auto& view : shownModalViews())
    if (auto alert = std::dynamic_pointer_cast<UIAlertView>(view)) alerts.push_back(alert);
  return alerts;
}

void UIAlertView::show() {
  if (isVisible()) return;
  if (auto d = delegate()) d->willPresentAlertView(*this);
  for (auto* label : {&titleLabel_, &messageLabel_})
    if (*label) (*label)->removeFromSuperview();
  const CGFloat inner = kWidth - 2 * kPadding;
  CGFloat y = kPadding + 4;
  titleLabel_ = makeLabel(title(), UIFont::boldSystemFontOfSize(18), y, inner);
  if (!title().empty()) y += titleLabel_->frame().size.height + kGap;
  messageLabel_ = makeLabel(message_, UIFont::systemFontOfSize(16), y, inner);
  if (!message_.empty()) y += messageLabel_->frame().size.height + kGap;
  addSubview(titleLabel_);
  addSubview(messageLabel_);
  buttonsTop_ = y + 4;
  // Two buttons stand side by side, any other number one above the other.
  const int rows = numberOfButtons() == 2 ? 1 : numberOfButtons();
  const CGFloat height = buttonsTop_ + rows * (kButtonHeight + kGap) + kPadding;
  const CGRect screen = UIScreen::mainScreen().bounds();
  present(CGRectMake(std::floor((screen.size.width - kWidth) / 2),
                     std::floor((screen.size.height - height) / 2), kWidth, height));
  if (auto d = delegate()) d->didPresentAlertView(*this);
}

void UIAlertView::layoutButtons() {
  const CGFloat inner = kWidth - 2 * kPadding;
  const auto& list = buttons();
  for (size_t i = 0; i < list.size(); ++i) {
    if (list.size() == 2) {
      const CGFloat w = (inner - kGap) / 2;
      list[i]->setFrame(CGRectMake(kPadding + i * (w + kGap), buttonsTop_, w, kButtonHeight));
    } else {
      list[i]->setFrame(CGRectMake(kPadding, buttonsTop_ + i * (kButtonHeight + kGap), inner,
                                   kButtonHeight));
    }
  }
}

void UIAlertView::drawRect(CGRect) {
  CGContextRef c = UIGraphicsGetCurrentContext();
  const CGRect b = bounds();
  const CGFloat r = 10;
  const CGFloat x0 = CGRectGetMinX(b), y0 = CGRectGetMinY(b);
  const CGFloat x1 = CGRectGetMaxX(b), y1 = CGRectGetMaxY(b);
  CGContextBeginPath(c);
  CGContextMoveToPoint(c, x0 + r, y0);
  CGContextAddArcToPoint(c, x1, y0, x1, y1, r);
  CGContextAddArcToPoint(c, x1, y1, x0, y1, r);
  CGContextAddArcToPoint(c, x0, y1, x0, y0, r);
  CGContextAddArcToPoint(c, x0, y0, x1, y0, r);
  CGContextClosePath(c);
  CGContextSetRGBFillColor(c, 0.08f, 0.15f, 0.35f, 0.92f);
  CGContextFillPath(c);
}

void UIAlertView::clicked(int index) {
  if (auto d = delegate()) d->alertViewClickedButtonAtIndex(*this, index);
}

void UIAlertView::willDismiss(int index) {
  if (auto d = delegate()) d->alertViewWillDismissWithButtonIndex(*this, index);
}

void UIAlertView::didDismiss(int index) {
  if (auto d = delegate()) d->alertViewDidDismissWithButtonIndex(*this, index);
}

}  // namespace platform
