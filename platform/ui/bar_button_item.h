#pragma once
// UIBarButtonItem and UINavigationItem: what a navigation bar shows for one
// controller (a title and buttons on the left and right).
#include <functional>
#include <memory>
#include <string>

namespace platform {

enum UIBarButtonItemStyle {
  UIBarButtonItemStylePlain = 0,
  UIBarButtonItemStyleBordered = 1,
  UIBarButtonItemStyleDone = 2,
};

class UIBarButtonItem {
 public:
  // Called with the item when it is tapped. An action that refers to its
  // controller should hold it weakly: the controller owns the item.
  using Action = std::function<void(UIBarButtonItem&)>;

  // initWithTitle:style:target:action:
  UIBarButtonItem(std::string title, UIBarButtonItemStyle style, Action action);

  const std::string& title() const { return title_; }
  void setTitle(const std::string& title) { title_ = title; }
  UIBarButtonItemStyle style() const { return style_; }
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled) { enabled_ = enabled; }
  int tag() const { return tag_; }
  void setTag(int tag) { tag_ = tag; }
  // Runs the action as a tap does (nothing when disabled or without one).
  void sendAction();

 private:
  std::string title_;
  UIBarButtonItemStyle style_;
  Action action_;
  bool enabled_ = true;
  int tag_ = 0;
};

class UINavigationItem {
 public:
  const std::string& title() const { return title_; }
  void setTitle(const std::string& title);
  const std::shared_ptr<UIBarButtonItem>& leftBarButtonItem() const { return left_; }
  void setLeftBarButtonItem(std::shared_ptr<UIBarButtonItem> item, bool animated = false);
  const std::shared_ptr<UIBarButtonItem>& rightBarButtonItem() const { return right_; }
  void setRightBarButtonItem(std::shared_ptr<UIBarButtonItem> item, bool animated = false);
  bool hidesBackButton() const { return hidesBackButton_; }

  // The navigation bar showing this item is told of changes here.
  void setChangeObserver(std::function<void()> observer) { observer_ = std::move(observer); }

 private:
  void changed() {
    if (observer_) observer_();
  }
  std::string title_;
  std::shared_ptr<UIBarButtonItem> left_, right_;
  bool hidesBackButton_ = false;
  std::function<void()> observer_;
};

}  // namespace platform
