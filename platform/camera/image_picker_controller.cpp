#include "platform/camera/image_picker_controller.h"

#include "platform/camera/camera_view_controller.h"
#include "platform/camera/photo_library_view_controller.h"
#include "platform/device/ui_device.h"

namespace platform {

UIImagePickerController::UIImagePickerController() = default;

void UIImagePickerController::setSourceType(UIImagePickerControllerSourceType type) {
  if (sourceChosen_ && type == sourceType_) return;
  sourceType_ = type;
  sourceChosen_ = true;
  std::weak_ptr<UIImagePickerController> self =
      std::static_pointer_cast<UIImagePickerController>(shared_from_this());
  std::shared_ptr<UIViewController> screen;
  if (type == UIImagePickerControllerSourceTypeCamera)
    screen = std::make_shared<CameraViewController>(self);
  else
    screen = std::make_shared<PhotoLibraryViewController>(self);
  // The source's screen replaces whatever the picker showed.
  setViewControllers({std::move(screen)}, false);
  // The camera fills the picker; the library has a bar with its Cancel button.
  setNavigationBarHidden(type == UIImagePickerControllerSourceTypeCamera);
}

void UIImagePickerController::loadView() {
  if (!sourceChosen_) setSourceType(sourceType_);
  UINavigationController::loadView();
}

void UIImagePickerController::setDelegate(
    const std::shared_ptr<UIImagePickerControllerDelegate>& delegate) {
  pickerDelegate_ = delegate;
  UINavigationController::setDelegate(std::weak_ptr<UINavigationControllerDelegate>(delegate));
}

std::shared_ptr<CameraViewController> UIImagePickerController::cameraViewController() const {
  return viewControllers().empty()
             ? nullptr
             : std::dynamic_pointer_cast<CameraViewController>(viewControllers().front());
}

std::shared_ptr<PhotoLibraryViewController> UIImagePickerController::photoLibraryViewController()
    const {
  return viewControllers().empty()
             ? nullptr
             : std::dynamic_pointer_cast<PhotoLibraryViewController>(viewControllers().front());
}

void UIImagePickerController::finishPicking(const std::shared_ptr<UIImage>& image) {
  auto self = shared_from_this();  // the delegate may let go of the picker
  auto delegate = pickerDelegate_.lock();
  if (!delegate || !image) return;
  if (!allowsImageEditing_) {
    delegate->imagePickerControllerDidFinishPickingImage(*this, image, nullptr);
    return;
  }
  const CGSize s = image->size();
  const UIImagePickerEditingInfo info{image, CGRectMake(0, 0, s.width, s.height)};
  delegate->imagePickerControllerDidFinishPickingImage(*this, image, &info);
}

void UIImagePickerController::cancel() {
  auto self = shared_from_this();
  if (auto delegate = pickerDelegate_.lock()) delegate->imagePickerControllerDidCancel(*this);
}

}  // namespace platform
