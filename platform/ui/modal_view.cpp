#include "platform/ui/modal_view.h"

#include "platform/runloop/run_loop.h"
#include "platform/ui/window.h"

#include <algorithm>

namespace platform {
namespace {

struct Shown {
  std::shared_ptr<UIWindow> window;  // made on first use
  std::vector<std::shared_ptr<UIModalView>> views;
};

Shown& shown() {
  static Shown s;
  return s;
}

UIWindow& modalWindow() {
  auto& window = shown().window;
  if (!window) {
    window = std::make_shared<UIWindow>();
    window->setWindowLevel(UIWindowLevelAlert);
    window->setBackgroundColor(UIColor::colorWithWhite(0, 0.4f));
  }
  return *window;
}

// Only the latest modal view shows; the window is up while any is shown.
void restack() {
  auto& views = shown().views;
  for (size_t i = 0; i < views.size(); ++i) views[i]->setHidden(i + 1 != views.size());
  modalWindow().setHidden(views.empty());
}

}  // namespace

int UIModalView::addButtonWithTitle(const std::string& title) {
  buttonTitles_.push_back(title);
  return numberOfButtons() - 1;
}

std::string UIModalView::buttonTitleAtIndex(int index) const {
  return index >= 0 && index < numberOfButtons() ? buttonTitles_[index] : std::string();
}

std::shared_ptr<UIButton> UIModalView::buttonAtIndex(int index) const {
  return index >= 0 && static_cast<size_t>(index) < buttons_.size() ? buttons_[index] : nullptr;
}

void UIModalView::present(CGRect frame) {
  if (shown_) return;
  shown_ = true;
  for (auto& b : buttons_) b->removeFromSuperview();
  buttons_.clear();
  std::weak_ptr<UIModalView> weak = std::static_pointer_cast<UIModalView>(shared_from_this());
  for (int i = 0; i < numberOfButtons(); ++i) {
    auto button = std::make_shared<UIButton>();
    button->setTitle(buttonTitles_[i], UIControlStateNormal);
    button->setBackgroundColor(UIColor::colorWithWhite(1, 0.25f));
    button->addTarget(
        [weak, i](UIControl&) {
          if (auto view = weak.lock()) view->tapButtonAtIndex(i);
        },
        UIControlEventTouchUpInside);
    addSubview(button);
    buttons_.push_back(button);
  }
  setFrame(frame);
  layoutButtons();
  shown().views.push_back(std::static_pointer_cast<UIModalView>(shared_from_this()));
  modalWindow().addSubview(shared_from_this());
  restack();
}

void UIModalView::takeDown() {
  auto self = shared_from_this();
  shown_ = false;
  std::erase(shown().views, self);
  removeFromSuperview();
  restack();
}

void UIModalView::dismissWithClickedButtonIndex(int index, bool animated) {
  auto self = std::static_pointer_cast<UIModalView>(shared_from_this());
  if (!shown_) {
    willDismiss(index);
    didDismiss(index);
    return;
  }
  willDismiss(index);
  takeDown();
  if (!animated) return didDismiss(index);
  RunLoop& loop = RunLoop::main();
  loop.postAt(loop.now() + kDismissDuration, [self, index] { self->didDismiss(index); });
}

void UIModalView::tapButtonAtIndex(int index) {
  if (!shown_ || index < 0 || index >= numberOfButtons()) return;
  auto self = shared_from_this();
  clicked(index);
  if (shown_) dismissWithClickedButtonIndex(index, true);
}

std::shared_ptr<UIView> UIModalView::touch() {
  const CGRect f = frame();
  return sendTapToScreen({CGRectGetMidX(f), CGRectGetMidY(f)});
}

std::vector<std::shared_ptr<UIModalView>> UIModalView::shownModalViews() { return shown().views; }

void UIModalView::removeAllShown() {
  const auto views = shown().views;
  for (const auto& v : views) v->takeDown();
}

}  // namespace platform
