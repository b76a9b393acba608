#include "platform/ui/action_sheet.h"

#include "platform/ui/screen.h"

namespace platform {
namespace {

constexpr CGFloat kPadding = 16, kButtonHeight = 44, kGap = 8;

}  // namespace

UIActionSheet::UIActionSheet(const std::string& title,
                             std::weak_ptr<UIActionSheetDelegate> delegate,
                             const std::optional<std::string>& cancelButtonTitle,
                             const std::optional<std::string>& destructiveButtonTitle,
                             const std::vector<std::string>& otherButtonTitles)
    : delegate_(std::move(delegate)) {
  setTitle(title);
  setBackgroundColor(UIColor::colorWithRed(0.2f, 0.22f, 0.27f, 0.95f));
  if (destructiveButtonTitle) destructiveButtonIndex_ = addButtonWithTitle(*destructiveButtonTitle);
  for (const auto& other : otherButtonTitles) addButtonWithTitle(other);
  if (cancelButtonTitle) cancelButtonIndex_ = addButtonWithTitle(*cancelButtonTitle);
}

void UIActionSheet::showInView(const std::shared_ptr<UIView>&) {
  if (isVisible()) return;
  if (auto d = delegate()) d->willPresentActionSheet(*this);
  const CGRect screen = UIScreen::mainScreen().bounds();
  const CGFloat height = 2 * kPadding + numberOfButtons() * (kButtonHeight + kGap) - kGap;
  present(CGRectMake(0, screen.size.height - height, screen.size.width, height));
  if (auto d = delegate()) d->didPresentActionSheet(*this);
}

void UIActionSheet::layoutButtons() {
  const CGFloat width = bounds().size.width - 2 * kPadding;
  const auto& list = buttons();
  for (size_t i = 0; i < list.size(); ++i)
    list[i]->setFrame(CGRectMake(kPadding, kPadding + i * (kButtonHeight + kGap), width, kButtonHeight));
}

void UIActionSheet::clicked(int index) {
  if (auto d = delegate()) d->actionSheetClickedButtonAtIndex(*this, index);
}

void UIActionSheet::willDismiss(int index) {
  if (auto d = delegate()) d->actionSheetWillDismissWithButtonIndex(*this, index);
}

void UIActionSheet::didDismiss(int index) {
  if (auto d = delegate()) d->actionSheetDidDismissWithButtonIndex(*this, index);
}

}  // namespace platform
