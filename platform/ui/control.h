#pragma once
// UIControl: a view that turns touches into control events and sends the
// actions registered for them (target-action, with std::function).
#include "platform/ui/view.h"

#include <functional>
#include <vector>

namespace platform {

enum UIControlEvents : unsigned {
  UIControlEventTouchDown = 1u << 0,
  UIControlEventTouchDownRepeat = 1u << 1,
  UIControlEventTouchDragInside = 1u << 2,
  UIControlEventTouchDragOutside = 1u << 3,
  UIControlEventTouchDragEnter = 1u << 4,
  UIControlEventTouchDragExit = 1u << 5,
  UIControlEventTouchUpInside = 1u << 6,
  UIControlEventTouchUpOutside = 1u << 7,
  UIControlEventTouchCancel = 1u << 8,
  UIControlEventValueChanged = 1u << 12,
  UIControlEventAllTouchEvents = 0x0fffu,
  UIControlEventAllEvents = 0xffffffffu,
};

enum UIControlState : unsigned {
  UIControlStateNormal = 0,
  UIControlStateHighlighted = 1u << 0,
  UIControlStateDisabled = 1u << 1,
  UIControlStateSelected = 1u << 2,
};

class UIControl : public UIView {
 public:
  // Called with the control that sent it. An action that refers to an owner
  // of the control should hold it weakly.
  using Action = std::function<void(UIControl& sender)>;

  using UIView::UIView;
  const char* className() const override { return "UIControl"; }

  // Registers `action` for every event in `events`; returns an id for it.
  int addTarget(Action action, unsigned events);
  // Runs, in the order they were added, the actions registered for any of `events`.
  void sendActionsForControlEvents(unsigned events);

  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled);
  bool isSelected() const { return selected_; }
  bool isHighlighted() const { return highlighted_; }
  void setHighlighted(bool highlighted);
  unsigned state() const;

  // A touch down highlights and sends touch-down; lifting inside sends
  // touch-up-inside, outside touch-up-outside. A disabled control passes
  // touches on to its superview.
  void touchesBegan(const std::vector<UITouch>& touches, const UIEvent& event) override;
  void touchesEnded(const std::vector<UITouch>& touches, const UIEvent& event) override;
  void touchesCancelled(const std::vector<UITouch>& touches, const UIEvent& event) override;

 private:
  struct Target {
    int id;
    unsigned events;
    Action action;
  };
  std::vector<Target> targets_;
  int nextId_ = 1;
  bool enabled_ = true, selected_ = false, highlighted_ = false;
};

}  // namespace platform
