#pragma once
// UIImagePickerController: the platform's camera and photo-library screen,
// a navigation controller whose one controller is either the camera (source
// type 1) or the photo library (source type 0).
//
// The camera's view holds the platform's private controls (see
// camera_view_controller.h): tapping its shutter takes the next picture from
// the device's camera feed, shows it with the localized "Preview" in the
// title for kPreviewSeconds, then hands it to the delegate's
// imagePickerControllerDidFinishPickingImage. Tapping its cancel control
// calls imagePickerControllerDidCancel. The photo library lists the
// pictures in the camera roll; tapping one picks it.
//
// The picker's delegate is also its navigation delegate, as on the phone:
// it hears navigationControllerDidShowViewController each time the picker
// shows a controller (when the picker comes onto the screen, and after
// pushes and pops). Main thread only.
#include "platform/graphics/image.h"
#include "platform/ui/navigation_controller.h"

#include <memory>
#include <optional>

namespace platform {

class UIImagePickerController;
class CameraViewController;
class PhotoLibraryViewController;

enum UIImagePickerControllerSourceType {
  UIImagePickerControllerSourceTypePhotoLibrary = 0,
  UIImagePickerControllerSourceTypeCamera = 1,
  UIImagePickerControllerSourceTypeSavedPhotosAlbum = 2,
};

// What an editing picker reports beside the picture: the picture as taken
// and the part of it chosen (the whole picture here).
struct UIImagePickerEditingInfo {
  std::shared_ptr<UIImage> originalImage;
  CGRect cropRect;
};

// Held weakly by the picker; every method has a default that does nothing.
class UIImagePickerControllerDelegate : public UINavigationControllerDelegate {
 public:
  // `editingInfo` is null unless image editing is allowed.
  virtual void imagePickerControllerDidFinishPickingImage(
      UIImagePickerController& /*picker*/, const std::shared_ptr<UIImage>& /*image*/,
      const UIImagePickerEditingInfo* /*editingInfo*/) {}
  virtual void imagePickerControllerDidCancel(UIImagePickerController& /*picker*/) {}
};

class UIImagePickerController : public UINavigationController {
 public:
  // How long a picture just taken is shown, in seconds of loop time.
  static constexpr double kPreviewSeconds = 1.5;

  UIImagePickerController();  // init: the photo library source
  const char* className() const override { return "UIImagePickerController"; }


  UIImagePickerControllerSourceType sourceType() const { return sourceType_; }
  // Replaces the picker's controller with the source's own screen (made
  // for the photo library when the picker is shown without a source set).
  void setSourceType(UIImagePickerControllerSourceType type);
  bool allowsImageEditing() const { return allowsImageEditing_; }
  void setAllowsImageEditing(bool allows) { allowsImageEditing_ = allows; }

  // Sets both the picker delegate and the navigation delegate.
  void setDelegate(const std::shared_ptr<UIImagePickerControllerDelegate>& delegate);
  std::shared_ptr<UIImagePickerControllerDelegate> pickerDelegate() const {
    return pickerDelegate_.lock();
  }

  // The source's screens; null while another source is chosen.
  std::shared_ptr<CameraViewController> cameraViewController() const;
  std::shared_ptr<PhotoLibraryViewController> photoLibraryViewController() const;

  // ---- for the source screens
  // Hands a picture to the delegate (with editing information when allowed).
  void finishPicking(const std::shared_ptr<UIImage>& image);
  void cancel();

  void loadView() override;

 private:
  UIImagePickerControllerSourceType sourceType_ = UIImagePickerControllerSourceTypePhotoLibrary;
  bool allowsImageEditing_ = false;
  std::weak_ptr<UIImagePickerControllerDelegate> pickerDelegate_;
  bool sourceChosen_ = false;
};

}  // namespace platform
