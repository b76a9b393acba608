#include "platform/ui/bar_button_item.h"

namespace platform {

UIBarButtonItem::UIBarButtonItem(std::string title, UIBarButtonItemStyle style, Action action)
    : title_(std::move(title)), style_(style), action_(std::move(action)) {}

void UIBarButtonItem::sendAction() {
  if (enabled_ && action_) action_(*this);
}

void UINavigationItem::setTitle(const std::string& title) {
  title_ = title;
  changed();
}

void UINavigationItem::setLeftBarButtonItem(std::shared_ptr<UIBarButtonItem> item, bool) {
  left_ = std::move(item);
  changed();
}

void UINavigationItem::setRightBarButtonItem(std::shared_ptr<UIBarButtonItem> item, bool) {
  right_ = std::move(item);
  changed();
}

}  // namespace platform
