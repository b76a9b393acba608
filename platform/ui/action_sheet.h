#pragma once
// UIActionSheet: a column of buttons rising from the bottom of the screen:
// the destructive button first, then the others, the cancel button last.
// See UIModalView for showing, listing and dismissing. Main thread only.
#include "platform/ui/modal_view.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class UIActionSheet;

// Held weakly by the sheet; every method has a default that does nothing.
class UIActionSheetDelegate {
 public:
  virtual ~UIActionSheetDelegate() = default;
  virtual void actionSheetClickedButtonAtIndex(UIActionSheet& /*sheet*/, int /*buttonIndex*/) {}
  virtual void willPresentActionSheet(UIActionSheet& /*sheet*/) {}
  virtual void didPresentActionSheet(UIActionSheet& /*sheet*/) {}
  virtual void actionSheetWillDismissWithButtonIndex(UIActionSheet& /*sheet*/, int /*buttonIndex*/) {}
  virtual void actionSheetDidDismissWithButtonIndex(UIActionSheet& /*sheet*/, int /*buttonIndex*/) {}
};

class UIActionSheet : public UIModalView {
 public:
  // initWithTitle:delegate:cancelButtonTitle:destructiveButtonTitle:otherButtonTitles:
  UIActionSheet(const std::string& title, std::weak_ptr<UIActionSheetDelegate> delegate,
                const std::optional<std::string>& cancelButtonTitle,
                const std::optional<std::string>& destructiveButtonTitle,
                const std::vector<std::string>& otherButtonTitles = {});
  const char* className() const override { return "UIActionSheet"; }

  std::shared_ptr<UIActionSheetDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(std::weak_ptr<UIActionSheetDelegate> delegate) { delegate_ = std::move(delegate); }
  int cancelButtonIndex() const { return cancelButtonIndex_; }            // -1: none
  int destructiveButtonIndex() const { return destructiveButtonIndex_; }  // -1: none

  // Shows the sheet at the bottom of the screen (`view` only names the
  // screen it belongs to, as there is one).
  void showInView(const std::shared_ptr<UIView>& view);

 protected:
  void layoutButtons() override;
  void clicked(int index) override;
  void willDismiss(int index) override;
  void didDismiss(int index) override;

 private:
  std::weak_ptr<UIActionSheetDelegate> delegate_;
  int cancelButtonIndex_ = -1;
  int destructiveButtonIndex_ = -1;
};

}  // namespace platform
