// RootViewController's photo storage and geotagging: the location it
// receives, the composition of each picture, the camera-roll numbering and
// the save pipeline. The logic lives in storage/; these members connect it
// to the screen, the album service and the threads.
#include "state/module_state.h"
#include "state/screen_facts.h"
#include "capture/root_view_controller.h"
#include "platform/album/photo_album.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/data_file.h"
#include "platform/foundation/string_format.h"
#include "platform/graphics/image_codec.h"
#include "platform/graphics/text.h"
#include "platform/ui/alert_view.h"
#include "platform/runloop/thread.h"
#include "storage/camera_roll.h"
#include "storage/camera_roll_numbering.h"
#include "storage/exif_composition.h"
#include "storage/location_text.h"
#include "storage/save_record.h"

namespace holdstill {

using namespace platform;

namespace {

constexpr TimeInterval kBusyPollSeconds = 0.5;

std::string localized(const std::string& key) {
  return NSBundle::mainBundle().localizedStringForKey(key, "", "");
}

}  // namespace

// ---- location

void RootViewController::newGPSPoint(const CLLocationRef& fix) {
  _currentLocation.set(fix);
  if (fix) setGPSInfo(holdstill::gpsInfoText(*fix));
}

void RootViewController::failedGPSPoint(const NSError* error) {
  _currentLocation.set(nullptr);
  setGPSInfo(gpsFailureText(error));
}

void RootViewController::setGPSInfo(const std::string& text) {
  if (_gpsInfoTxt) _gpsInfoTxt->setText(text);
}

void RootViewController::loadGeotaggingViews() {
  if (!vbRecordGPS) return;
  // The application thumbnail, composed once; seeing no thumbnail yet, it
  // gets no thumbnail and no GPS tags of its own.
  if (auto appThumb = UIImage::imageNamed("appthumb.png")) {
    auto composed = holdstill::addEXIF(appThumb, {}, false, CompositionFacts::current(nullptr, nullptr));
    if (composed) _processedThumb.set(std::make_shared<const exif::Bytes>(std::move(*composed)));
  }
}

// ---- composition

std::optional<exif::Bytes> RootViewController::addEXIF(const std::shared_ptr<UIImage>& image,
                                                       const exif::Bytes& jpeg, const std::string& filename,
                                                       bool /*orientationLandscape*/, bool thumbnail) const {
  auto composed = holdstill::addEXIF(image, jpeg, thumbnail,
                                     CompositionFacts::current(_processedThumb.get(), currentLocation()));
  if (!composed || filename.empty()) return composed;
  writeToFile(*composed, filename, true);
  return std::nullopt;
}

std::vector<double> RootViewController::createLocArray(double value) { return holdstill::createLocArray(value); }

void RootViewController::populateGPS(exif::EXFGPSLoc& target, const std::vector<double>& list) {
  holdstill::populateGPS(target, list);
}

// ---- numbering

std::optional<std::vector<std::string>> RootViewController::getPhotoLibraryFiles() const {
  return cameraRollListing();
}

std::string RootViewController::getNextFileNumberFromPhotoLibrary(
    bool, const std::optional<std::vector<std::string>>& lastArray) const {
  const auto current = cameraRollListing();
  if (!current) return {};
  return nextFileStem(*current, lastArray.value_or(std::vector<std::string>{}));
}

// ---- save pipeline

void RootViewController::cameraControllerTookPicture(const std::shared_ptr<UIImage>& picture) {
  if (!picture) return;
  auto self = std::static_pointer_cast<RootViewController>(shared_from_this());
  NSThread::detachNewThread([self, picture] { self->savePhoto(picture); });
}

namespace {

// What a save without a composed picture hands its album completion: the
// listing before the album save (to find the album's file) and why the
// picture goes without its position.
struct PlainSave {
  std::vector<std::string> before;
  std::string why;
};

std::string albumFailure(const NSError& error) {
  return "the album failed (" + error.localizedDescription + ")";
}

// Tells the user that a picture is lost and why; nothing else says so.
void alertPictureLost(const NSError& why) {
  auto alert = std::make_shared<UIAlertView>(localized("AppName"),
                                             stringWithFormat(localized("SaveFailed"), why.localizedDescription),
                                             std::weak_ptr<UIAlertViewDelegate>(), localized("OK"));
  alert->show();
}

}  // namespace

void RootViewController::savePhoto(const std::shared_ptr<UIImage>& picture) {
  auto self = std::static_pointer_cast<RootViewController>(shared_from_this());
  const auto lock = savePicLock;  // the same lock for the whole save
  lock->lock();
  // One decision for the whole save: the fix held now is the one composed.
  const CLLocationRef fix = vbRecordGPS ? currentLocation() : nullptr;
  if (fix) varrFileBefore.set(getPhotoLibraryFiles());
  PlainSave plain{cameraRollListing().value_or(std::vector<std::string>{}),
                  !vbRecordGPS ? "GPS recording is off" : "no GPS fix was held"};
  // Composed before the badge goes up, so that the badge claims GPS data
  // only for a picture that has it.
  std::optional<exif::Bytes> composed;
  if (fix) {
    std::string failure;
    composed = holdstill::addEXIF(picture, {}, true, CompositionFacts::current(_processedThumb.get(), fix), &failure);
    if (!composed) plain.why = "the picture could not be composed with its position (" + failure + ")";
  }
  _savingWithGPS = composed.has_value();
  RunLoop& main = RunLoop::main();
  main.performOnMainThread([self] { self->showSavingProgress(); }, true);
  _bBusySaving = true;

  if (composed) {
    UIImageWriteToSavedPhotosAlbum(
        picture,
        [self](const std::shared_ptr<UIImage>& image, const NSError* error, void* context) {
          self->finishedSave(image, error, context);
        },
        &*composed);
  } else {
    // No fix, or a composition that failed: the album's file is the picture.
    UIImageWriteToSavedPhotosAlbum(
        picture,
        [self](const std::shared_ptr<UIImage>& image, const NSError* error, void* context) {
          self->finishedSaveNoGPS(image, error, context);
        },
        &plain);
  }
  while (_bBusySaving) NSThread::sleepUntilDate(main.now() + kBusyPollSeconds);

  main.performOnMainThread([self] { self->hideSavingProgress(); }, true);
  main.performOnMainThread([self] { self->bringUpCamera(1); }, false);
  composed.reset();
  lock->unlock();
}

void RootViewController::finishedSave(const std::shared_ptr<UIImage>&, const NSError* error, void* contextInfo) {
  // Whatever the album reports, the composed picture is stored: over the
  // album's new file when the listings name it, else under a new name.
  if (const auto* composed = static_cast<const exif::Bytes*>(contextInfo)) {
    const StoredPicture stored =
        storeComposedPicture(*composed, varrFileBefore.get().value_or(std::vector<std::string>{}));
    if (!stored.path.empty()) {
      recordSave({error ? SaveRecord::Result::Rescued : SaveRecord::Result::Saved, stored.path, true,
                  error ? albumFailure(*error) : std::string()});
    } else if (!error) {
      // The album's file stays as it was written, without the position.
      recordSave({SaveRecord::Result::Saved, stored.albumFile, false,
                  "the geotagged copy could not be written (" + stored.error.localizedDescription + ")"});
    } else {
      recordSave({SaveRecord::Result::Lost, {}, false,
                  albumFailure(*error) + " and the picture could not be written (" +
                      stored.error.localizedDescription + ")"});
      alertPictureLost(stored.error);
    }
  }
  _bBusySaving = false;
}

void RootViewController::finishedSaveNoGPS(const std::shared_ptr<UIImage>& image, const NSError* error,
                                           void* contextInfo) {
  const auto* plain = static_cast<const PlainSave*>(contextInfo);
  const std::string why = plain ? plain->why : std::string();
  if (!error) {
    if (plain) recordSave({SaveRecord::Result::Saved, newCameraRollFile(plain->before), false, why});
  } else {
    // The album wrote nothing: the picture is written here, as the phone
    // would save it (our EXIF block, no position), under a new name.
    auto bytes = holdstill::addEXIF(image, {}, true, CompositionFacts::current(_processedThumb.get(), nullptr));
    if (!bytes && image) bytes = UIImageJPEGRepresentation(image, static_cast<CGFloat>(kPictureQuality));
    const bool encoded = bytes && !bytes->empty();
    const StoredPicture stored = encoded ? storePictureUnderNewName(*bytes) : StoredPicture{};
    if (!stored.path.empty()) {
      recordSave({SaveRecord::Result::Rescued, stored.path, false, albumFailure(*error) + ", " + why});
    } else {
      const NSError cause = encoded ? stored.error : *error;
      recordSave({SaveRecord::Result::Lost, {}, false,
                  albumFailure(*error) + " and the picture could not be written (" + cause.localizedDescription + ")"});
      alertPictureLost(cause);
    }
  }
  _bBusySaving = false;
}

void RootViewController::showSavingProgress() {
  const CGRect available = availFrame(shared_from_this());
  _savingPhoto = std::make_shared<OrvRoundRectImage>(CGRectZero);
  _savingPhoto->setBackgroundOnly(true);
  _savingPhoto->setUserInteractionEnabled(false);
  _savingPhoto->setFillColor(UIColor::colorWithWhite(0, 0.8f));

  auto label = std::make_shared<UILabel>(CGRectMake(27, 100, 200, 40));
  label->setBackgroundColor(UIColor::clearColor());
  label->setFont(UIFont::boldSystemFontOfSize(16));
  label->setTextColor(UIColor::colorWithWhite(1, 1));
  label->setAdjustsFontSizeToFitWidth(false);
  label->setNumberOfLines(2);
  label->setTextAlignment(UITextAlignmentCenter);
  label->setBaselineAdjustment(UIBaselineAdjustmentAlignCenters);
  label->setShadowColor(UIColor::colorWithWhite(0, 0.3f));
  label->setShadowOffset(CGSizeMake(1, 1));
  const bool withGPS = _savingWithGPS;
  label->setText(stringWithFormat(localized("Saving"), withGPS ? localized("SavingGPSData") : std::string()));

  // Wrapped within the width the badge's margins leave, so the badge stays on the screen.
  const CGSize text = sizeWithFont(label->text(), label->font(),
                                   CGSizeMake(available.size.width - 40, available.size.height), UILineBreakModeWordWrap);
  const CGFloat width = text.width + 40, height = text.height + 80;
  _savingPhoto->setFrame(CGRectMake((available.size.width - width) / 2, 60, width, height));
  label->setFrame(CGRectMake(7, 4, width - 5 - 2, height - 8));
  _savingPhoto->addSubview(label);
  if (auto screen = view()) screen->addSubview(_savingPhoto);
}

void RootViewController::hideSavingProgress() {
  if (_savingPhoto) _savingPhoto->removeFromSuperview();
  _savingPhoto = nullptr;
}

}  // namespace holdstill
