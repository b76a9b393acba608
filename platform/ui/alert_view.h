#pragma once
// UIAlertView: a centred panel with a title, a message and buttons (the
// cancel button first, index 0, when there is one). Tapping a button tells
// the delegate alertViewClickedButtonAtIndex, then dismisses the alert.
// See UIModalView for showing, listing and dismissing. Main thread only.
#include "platform/ui/label.h"
#include "platform/ui/modal_view.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class UIAlertView;

// Held weakly by the alert; every method has a default that does nothing.
class UIAlertViewDelegate {
 public:
  virtual ~UIAlertViewDelegate() = default;
  virtual void alertViewClickedButtonAtIndex(UIAlertView& /*alertView*/, int /*buttonIndex*/) {}
  // The alert was cancelled without a button (a buttonless alert touched).
  // A delegate that handles cancellation overrides this one method; the
  // default, doing nothing, stands for a delegate without it.
  virtual void alertViewCancel(UIAlertView& /*alertView*/) {}
  virtual void willPresentAlertView(UIAlertView& /*alertView*/) {}
  virtual void didPresentAlertView(UIAlertView& /*alertView*/) {}
  virtual void alertViewWillDismissWithButtonIndex(UIAlertView& /*alertView*/, int /*buttonIndex*/) {}
  virtual void alertViewDidDismissWithButtonIndex(UIAlertView& /*alertView*/, int /*buttonIndex*/) {}
};

class UIAlertView : public UIModalView {
 public:
  static constexpr CGFloat kWidth = 284;

  // initWithTitle:message:delegate:cancelButtonTitle:otherButtonTitles:
  UIAlertView(const std::string& title, const std::string& message,
              std::weak_ptr<UIAlertViewDelegate> delegate,
              const std::optional<std::string>& cancelButtonTitle,
              const std::vector<std::string>& otherButtonTitles = {});
  const char* className() const override { return "UIAlertView"; }

  const std::string& message() const { return message_; }
  void setMessage(const std::string& message) { message_ = message; }
  std::shared_ptr<UIAlertViewDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(std::weak_ptr<UIAlertViewDelegate> delegate) { delegate_ = std::move(delegate); }
  // -1 when the alert has no cancel button.
  int cancelButtonIndex() const { return cancelButtonIndex_; }

  // Lays the alert out and puts it on the screen, centred.
  void show();

  // The shown alerts, oldest first.
  static std::vector<std::shared_ptr<UIAlertView>> shownAlerts();

  void drawRect(CGRect rect) override;

 protected:
  void layoutButtons() override;
  void clicked(int index) override;
  void willDismiss(int index) override;
  void didDismiss(int index) override;

 private:
  std::string message_;
  std::weak_ptr<UIAlertViewDelegate> delegate_;
  int cancelButtonIndex_ = -1;
  std::shared_ptr<UILabel> titleLabel_, messageLabel_;
  CGFloat buttonsTop_ = 0;
};

}  // namespace platform
