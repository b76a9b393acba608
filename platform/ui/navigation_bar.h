#pragma once
// UINavigationBar: the 44-point bar at the top of a navigation controller's
// view, showing the top controller's title and bar buttons (or a back
// button that pops it).
#include "platform/ui/bar_button_item.h"
#include "platform/ui/button.h"
#include "platform/ui/label.h"
#include "platform/ui/view.h"

#include <memory>

namespace platform {

inline constexpr CGFloat kNavigationBarHeight = 44;

class UINavigationBar : public UIView {
 public:
  explicit UINavigationBar(CGRect frame = CGRectZero);
  const char* className() const override { return "UINavigationBar"; }

  // Shows `item`; `back`, when given, is the back button shown on the left
  // when the item has no left button of its own and does not hide it.
  void showItem(const UINavigationItem* item, std::shared_ptr<UIBarButtonItem> back);
  // The buttons standing for the items now shown (null where none).
  std::shared_ptr<UIButton> leftButton() const { return left_; }
  std::shared_ptr<UIButton> rightButton() const { return right_; }
  const std::shared_ptr<UILabel>& titleLabel() const { return title_; }

  void drawRect(CGRect rect) override;
  void layoutSubviews() override;

 private:
  std::shared_ptr<UIButton> makeButton(const std::shared_ptr<UIBarButtonItem>& item);

  std::shared_ptr<UILabel> title_;
  std::shared_ptr<UIButton> left_, right_;
};

}  // namespace platform
