#pragma once
// UIWindow: the root of a view tree on the screen. A window starts hidden;
// showing it (makeKeyAndVisible) puts its tree on the screen and tells the
// controllers whose views it holds that they appeared. Touches go to the
// frontmost visible window (alert windows lie above normal ones), which
// hit-tests its tree front to back and delivers them. Main thread only.
#include "platform/graphics/image.h"
#include "platform/ui/screen.h"
#include "platform/ui/view.h"

#include <memory>
#include <string>
#include <vector>

namespace platform {

inline constexpr CGFloat UIWindowLevelNormal = 0;
inline constexpr CGFloat UIWindowLevelStatusBar = 1000;
inline constexpr CGFloat UIWindowLevelAlert = 2000;

class UIWindow : public UIView {
 public:
  explicit UIWindow(CGRect frame = UIScreen::mainScreen().bounds());
  const char* className() const override { return "UIWindow"; }

  void makeKeyAndVisible();
  void makeKeyWindow();
  bool isKeyWindow() const;
  static std::shared_ptr<UIWindow> keyWindow();
  void setHidden(bool hidden) override;

  CGFloat windowLevel() const { return windowLevel_; }
  void setWindowLevel(CGFloat level) { windowLevel_ = level; }

  // A tap (touch began, then ended, at one point in window coordinates):
  // delivered to the view that hit-testing picks, which is returned (null
  // when the window itself is not hit).
  std::shared_ptr<UIView> sendTap(CGPoint point);

  // This window's tree alone, at the window's size.
  std::shared_ptr<UIImage> snapshot();
  // The snapshot as a PNG file; throws std::runtime_error when it cannot be written.
  void renderToPNG(const std::string& path);

  // Visible windows, back to front.
  static std::vector<std::shared_ptr<UIWindow>> visibleWindows();

 private:
  CGFloat windowLevel_ = UIWindowLevelNormal;
};

// A tap at a screen point, given to the frontmost visible window containing
// it; returns the view that received it, or null.
std::shared_ptr<UIView> sendTapToScreen(CGPoint point);

}  // namespace platform
