#include "platform/camera/photo_library_view_controller.h"

#include "platform/camera/image_picker_controller.h"
#include "platform/foundation/file_manager.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/ui/control.h"
#include "platform/ui/screen.h"

#include <algorithm>
#include <cctype>

namespace platform {
namespace {

bool isPictureName(const std::string& name) {
  const auto dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  std::string ext = name.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == "jpg" || ext == "jpeg" || ext == "png";
}

// One picture of the grid, cut to a square; a tap on it picks it.
class PhotoThumbnailView : public UIControl {
 public:
  PhotoThumbnailView(CGRect frame, std::shared_ptr<UIImage> picture)
      : UIControl(frame), picture_(std::move(picture)) {}
  const char* className() const override { return "PhotoThumbnailView"; }
  void drawRect(CGRect) override {
    const CGRect b = bounds();
    CGContextRef c = UIGraphicsGetCurrentContext();
    CGContextSetRGBFillColor(c, 0.85f, 0.85f, 0.85f, 1);
    CGContextFillRect(c, b);
    if (!picture_) return;
    const CGSize s = picture_->size();
    if (s.width <= 0 || s.height <= 0) return;
    CGContextSaveGState(c);
    CGContextAddRect(c, b);
    CGContextClip(c);
    picture_->drawInRect(CGRectAspectFill(b, s));
    CGContextRestoreGState(c);
  }

 private:
  std::shared_ptr<UIImage> picture_;
};

}  // namespace

PhotoLibraryViewController::PhotoLibraryViewController(
    std::weak_ptr<UIImagePickerController> picker)
    : picker_(std::move(picker)) {
  setTitle("Photos");
}

void PhotoLibraryViewController::loadView() {
  auto view = std::make_shared<UIView>(UIScreen::mainScreen().applicationFrame());
  view->setBackgroundColor(UIColor::whiteColor());
  view->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
  setView(view);
  std::weak_ptr<UIImagePickerController> picker = picker_;
  navigationItem().setRightBarButtonItem(std::make_shared<UIBarButtonItem>(
      "Cancel", UIBarButtonItemStyleBordered, [picker](UIBarButtonItem&) {
        if (auto p = picker.lock()) p->cancel();
      }));
}

void PhotoLibraryViewController::viewWillAppear(bool) { reload(); }

void PhotoLibraryViewController::reload() {
  paths_.clear();
  auto v = view();
  for (const auto& old : std::vector<std::shared_ptr<UIView>>(v->subviews())) old->removeFromSuperview();
  const std::string folder = kCameraRollPath;
  const auto names = NSFileManager::defaultManager().contentsOfDirectoryAtPath(folder);
  if (!names) return;
  std::weak_ptr<PhotoLibraryViewController> weak =
      std::static_pointer_cast<PhotoLibraryViewController>(shared_from_this());
  const int perRow = std::max(
      1, static_cast<int>((v->bounds().size.width - kThumbGap) / (kThumbSize + kThumbGap)));
  for (const auto& name : *names) {
    if (!isPictureName(name)) continue;
    const std::string path = folder + name;
    // A small copy for the grid; the full picture is read again when picked.
    std::shared_ptr<UIImage> thumb;
    if (auto picture = UIImage::imageWithContentsOfFile(path)) {
      const CGSize s = picture->size();
      const CGFloat scale = std::max(kThumbSize / s.width, kThumbSize / s.height);
      UIGraphicsBeginImageContext(CGSizeMake(kThumbSize, kThumbSize));
      picture->drawInRect({{(kThumbSize - s.width * scale) / 2, (kThumbSize - s.height * scale) / 2},
                           CGSizeMake(s.width * scale, s.height * scale)});
      thumb = UIGraphicsGetImageFromCurrentImageContext();
      UIGraphicsEndImageContext();
    }
    const std::size_t index = paths_.size();
    paths_.push_back(path);
    const CGFloat x = kThumbGap + static_cast<CGFloat>(index % perRow) * (kThumbSize + kThumbGap);
    const CGFloat y = kThumbGap + static_cast<CGFloat>(index / perRow) * (kThumbSize + kThumbGap);
    auto cell = std::make_shared<PhotoThumbnailView>(CGRectMake(x, y, kThumbSize, kThumbSize), thumb);
    cell->addTarget(
        [weak, index](UIControl&) {
          if (auto library = weak.lock()) library->pickPictureAtIndex(index);
        },
        UIControlEventTouchUpInside);
    v->addSubview(cell);
  }
}

bool PhotoLibraryViewController::pickPictureAtIndex(std::size_t index) {
  if (index >= paths_.size()) return false;
  auto picture = UIImage::imageWithContentsOfFile(paths_[index]);
  if (!picture) return false;
  if (auto picker = picker_.lock()) picker->finishPicking(picture);
  return true;
}

}  // namespace platform
