#include "platform/ui/control.h"

namespace platform {

int UIControl::addTarget(Action action, unsigned events) {
  if (!action || events == 0) return 0;
  targets_.push_back({nextId_, events, std::move(action)});
  return nextId_++;
}

void UIControl::sendActionsForControlEvents(unsigned events) {
  auto self = shared_from_this();         // an action may drop the last owner
  const auto targets = targets_;          // an action may change the targets
  for (const auto& t : targets)
    if (t.events & events) t.action(*this);
}

void UIControl::setEnabled(bool enabled) {
  enabled_ = enabled;
  setNeedsDisplay();
}
void UIControl::setHighlighted(bool highlighted) {
  highlighted_ = highlighted;
  setNeedsDisplay();
}

unsigned UIControl::state() const {
  unsigned s = UIControlStateNormal;
  if (highlighted_) s |= UIControlStateHighlighted;
  if (!enabled_) s |= UIControlStateDisabled;
  if (selected_) s |= UIControlStateSelected;
  return s;
}

void UIControl::touchesBegan(const std::vector<UITouch>& touches, const UIEvent& event) {
  if (!enabled_) return UIView::touchesBegan(touches, event);
  setHighlighted(true);
  sendActionsForControlEvents(UIControlEventTouchDown);
}

void UIControl::touchesEnded(const std::vector<UITouch>& touches, const UIEvent& event) {
  if (!enabled_) return UIView::touchesEnded(touches, event);
  setHighlighted(false);
  const bool inside =
      !touches.empty() && CGRectContainsPoint(bounds(), touches.front().locationInView(this));
  sendActionsForControlEvents(inside ? UIControlEventTouchUpInside : UIControlEventTouchUpOutside);
}

void UIControl::touchesCancelled(const std::vector<UITouch>& touches, const UIEvent& event) {
  if (!enabled_) return UIView::touchesCancelled(touches, event);
  setHighlighted(false);
  sendActionsForControlEvents(UIControlEventTouchCancel);
}

}  // namespace platform
