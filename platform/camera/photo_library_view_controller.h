#pragma once
// The photo-library screen of UIImagePickerController: the pictures in the
// device's camera roll ("/private/var/mobile/Media/DCIM/100APPLE/") as a
// grid of thumbnails, four to a row, in name order; tapping one picks it.
// A "Cancel" button on the navigation bar cancels. The roll is read each
// time the screen appears. Main thread only.
#include "platform/graphics/image.h"
#include "platform/ui/view_controller.h"

#include <memory>
#include <string>
#include <vector>

namespace platform {

class UIImagePickerController;

class PhotoLibraryViewController : public UIViewController {
 public:
  static constexpr const char* kCameraRollPath = "/private/var/mobile/Media/DCIM/100APPLE/";
  static constexpr CGFloat kThumbSize = 75, kThumbGap = 4;

  explicit PhotoLibraryViewController(std::weak_ptr<UIImagePickerController> picker);
  const char* className() const override { return "PhotoLibraryViewController"; }
  void loadView() override;
  void viewWillAppear(bool animated) override;

  // The pictures offered, as device paths, in the order shown.
  const std::vector<std::string>& picturePaths() const { return paths_; }
  // Picks picture `index` as a tap on it does; false when there is no
  // such picture or it cannot be decoded.
  bool pickPictureAtIndex(std::size_t index);

 private:
  void reload();

  std::weak_ptr<UIImagePickerController> picker_;
  std::vector<std::string> paths_;
};

}  // namespace platform
