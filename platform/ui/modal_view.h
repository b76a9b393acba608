#pragma once
// UIModalView: what alerts and action sheets share. A shown modal view lies
// in a full-screen window above every normal window, which takes every
// touch while a modal view is up; only the latest shown one is visible.
// The shown modal views are listed (oldest first) so that tests and
// scenarios can find them and tap their buttons or touch them.
//
// A shown modal view is kept alive by that list until it is dismissed.
// Dismissing tells the subclass's delegate willDismiss at once and
// didDismiss after kDismissDuration on the main run loop when animated (at
// once otherwise). Main thread only.
#include "platform/ui/button.h"
#include "platform/ui/view.h"

#include <memory>
#include <string>
#include <vector>

namespace platform {

class UIModalView : public UIView {
 public:
  static constexpr double kDismissDuration = 0.25;

  const char* className() const override { return "UIModalView"; }

  const std::string& title() const { return title_; }
  void setTitle(const std::string& title) { title_ = title; }

  // Adds a button; returns its index.
  int addButtonWithTitle(const std::string& title);
  int numberOfButtons() const { return static_cast<int>(buttonTitles_.size()); }
  // The title of button `index`; empty when there is no such button.
  std::string buttonTitleAtIndex(int index) const;
  // The view standing for button `index` once shown; null otherwise.
  std::shared_ptr<UIButton> buttonAtIndex(int index) const;

  bool isVisible() const { return shown_; }
  // Takes the view down (if shown) and reports the dismissal with `index`.
  void dismissWithClickedButtonIndex(int index, bool animated);

  // As a person's tap on button `index`: the delegate hears of the click,
  // then the view is dismissed. Ignored unless shown and the index exists.
  void tapButtonAtIndex(int index);
  // A tap on the screen at the view's centre, as a person touching it;
  // returns the view that received it (null when it went nowhere).
  std::shared_ptr<UIView> touch();

  static std::vector<std::shared_ptr<UIModalView>> shownModalViews();
  // Takes every shown modal view down without telling any delegate (tests).
  static void removeAllShown();

 protected:
  UIModalView() = default;
  // Puts the view on the screen at `frame` (screen coordinates) with its
  // buttons made; the subclass lays them out in layoutButtons.
  void present(CGRect frame);
  virtual void layoutButtons() {}
  // The delegate hooks of the subclass.
  virtual void clicked(int /*index*/) {}
  virtual void willDismiss(int /*index*/) {}
  virtual void didDismiss(int /*index*/) {}

  const std::vector<std::shared_ptr<UIButton>>& buttons() const { return buttons_; }

 private:
  void takeDown();

  std::string title_;
  std::vector<std::string> buttonTitles_;
  std::vector<std::shared_ptr<UIButton>> buttons_;
  bool shown_ = false;
};

}  // namespace platform
