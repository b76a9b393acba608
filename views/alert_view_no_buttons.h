#pragma once
// UIAlertViewNoButtons: an alert without buttons that the first touch inside
// it dismisses, reported to the delegate as a cancel (alertViewCancel). It never lets the touch through to its
// contents. Shown, it is kept by the platform's list of shown alerts until
// that touch, so whoever shows it need not keep it.
#include "platform/ui/alert_view.h"

namespace holdstill {

class UIAlertViewNoButtons : public platform::UIAlertView, public platform::UIAlertViewDelegate {
 public:
  // Title, message and delegate; no buttons.
  UIAlertViewNoButtons(const std::string& title, const std::string& message,
                       std::weak_ptr<platform::UIAlertViewDelegate> delegate)
      : UIAlertView(title, message, std::move(delegate), std::nullopt) {}
  const char* className() const override { return "UIAlertViewNoButtons"; }

  // A point inside a shown alert cancels and dismisses it (once); always false.
  bool pointInside(platform::CGPoint point, const platform::UIEvent* event) override;
};

}  // namespace holdstill
