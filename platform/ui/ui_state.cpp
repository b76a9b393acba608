#include "platform/ui/ui_state.h"

#include "platform/ui/modal_view.h"
#include "platform/ui/view.h"

namespace platform {

void resetUserInterface() {
  UIModalView::removeAllShown();
  UIView::resetAnimations();
}

}  // namespace platform
