#include "views/alert_view_no_buttons.h"

namespace holdstill {

using namespace platform;

bool UIAlertViewNoButtons::pointInside(CGPoint point, const UIEvent* event) {
  // Only a shown alert reacts, so repeated hits while it goes away do nothing.
  if (UIAlertView::pointInside(point, event) && isVisible()) {
    auto keep = shared_from_this();  // the dismissal drops the list's share
    if (auto d = delegate()) d->alertViewCancel(*this);
    if (isVisible()) dismissWithClickedButtonIndex(0, true);
  }
  return false;
}

}  // namespace holdstill
