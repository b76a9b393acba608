#pragma once
// UIScreen: the phone's one screen, 320 × 480 points with a 20-point status
// bar at the top.
#include "platform/graphics/geometry.h"
#include "platform/graphics/image.h"

#include <memory>
#include <string>

namespace platform {

class UIScreen {
 public:
  static UIScreen& mainScreen();

  CGRect bounds() const { return CGRectMake(0, 0, 320, 480); }
  // The screen less the status bar.
  CGRect applicationFrame() const { return CGRectMake(0, 20, 320, 460); }

  // What the screen shows: every visible window back to front (alerts on
  // top) over black. Main thread.
  std::shared_ptr<UIImage> snapshot() const;
  // The snapshot as a PNG file; throws std::runtime_error when it cannot be written.
  void writeSnapshotPNG(const std::string& path) const;

 private:
  UIScreen() = default;
};

}  // namespace platform
