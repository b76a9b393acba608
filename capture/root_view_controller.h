#pragma once
// RootViewController: the capture screen, the application's only screen
// controller and the hub the other parts reach (through
// SimpleTableViewAppDelegate::rootViewController).
//
// What is here so far: construction, the screen's own view with the pieces
// later laid over the camera (touch-anywhere hint, steadiness meter and
// icon), and what the steadiness detector calls. The camera display, the
// overlay, the GPS badge and the save pipeline join it later.
// Main thread only.
#include "capture/meter_vertical.h"
#include "capture/round_rect_image.h"
#include "platform/runloop/lock.h"
// ---- photo storage and geotagging
#include "exif/exif_constants.h"
#include "exif/exf_gps_values.h"
#include "platform/foundation/error.h"
#include "platform/graphics/image.h"
#include "platform/sensors/location.h"
#include "platform/ui/label.h"
#include "storage/saving_state.h"

#include <atomic>
#include <optional>
#include <string>
#include <vector>
// ---- end photo storage and geotagging
#include "platform/ui/button.h"
#include "platform/ui/image_view.h"
#include "platform/ui/view_controller.h"

#include <memory>

namespace holdstill {

// Serialises whole picture saves; made by RootViewController's init, used
// by the save workers.
extern std::shared_ptr<platform::NSLock> savePicLock;
// The next camera display is a fresh one from the main screen.
extern bool _bComingFromMainScreen;

class RootViewController : public platform::UIViewController {
 public:
  static constexpr int kMeterTag = 101;
  static constexpr int kStabilizeIconTag = 102;

  RootViewController();  // init
  const char* className() const override { return "RootViewController"; }

  // The screen's view: the splash background filling the available frame;
  // and, not yet on any view, the touch-anywhere hint, the meter (tag 101)
  // and the steadiness icon (tag 102), all transparent.
  void loadView() override;

  bool shouldAutorotateToInterfaceOrientation(platform::UIInterfaceOrientation) override {
    return false;
  }

  // ---- for the steadiness detector
  // Null until the camera display makes them.
  std::shared_ptr<platform::UIButton> helpButton() const { return _helpButton; }
  std::shared_ptr<UIMeterVertical> stabilizeMeter() const { return _stablizeMeter; }
  // Shows a steadiness level (0 steady .. 1) on the meter and redraws it.
  void setStablizedLevel(float level);
  // Fires the shutter through the camera overlay; nothing happens while no
  // overlay is installed.
  void snap();

  // ---- for the help screen
  // Brings the camera overlay and the two buttons over the camera to the
  // front of the camera view.
  void bringLayerToFront();
  // Does nothing: the screen never rotates.
  void orientationChangedResize(platform::UIInterfaceOrientation) {}

  // ---- the views built by loadView (null before)
  std::shared_ptr<platform::UIImageView> background() const { return _background; }
  std::shared_ptr<platform::UIImageView> touchAnywhereImage() const { return _touchAnywhereImage; }
  std::shared_ptr<platform::UIImageView> stabilizeIcon() const { return _stabilizeIcon; }

  // Reopens the camera after a save (the camera display fills it in).
  void bringUpCamera(int number);
  // How often bringUpCamera has run (tests).
  int bringUpCameraCount() const { return bringUpCameraCount_; }

  // ==== Photo storage and geotagging (root_view_controller_saving.cpp) ====
  // ---- location (main thread, from the tracker)
  // An accepted fix: kept as the current location; the badge shows it.
  void newGPSPoint(const platform::CLLocationRef& fix);
  // A rejected fix (null) or a platform error: no current location; the
  // badge shows the error's description (code not 0) or "NoGPSData".
  void failedGPSPoint(const platform::NSError* error);
  // Puts the text into the GPS badge's label (nothing without one).
  void setGPSInfo(const std::string& text);
  // The latest accepted fix, or null. Any thread.
  platform::CLLocationRef currentLocation() const { return _currentLocation.get(); }
  std::shared_ptr<platform::UILabel> gpsInfoText() const { return _gpsInfoTxt; }

  // ---- composition (see storage/exif_composition.h), with the
  // application's facts, the current location and the application thumbnail.
  // With a file name the result is written there atomically and nothing is
  // returned. Nothing also when the composition fails.
  std::optional<exif::Bytes> addEXIF(const std::shared_ptr<platform::UIImage>& image,
                                     const exif::Bytes& jpeg, const std::string& filename,
                                     bool orientationLandscape, bool thumbnail) const;
  static std::vector<double> createLocArray(double value);
  static void populateGPS(exif::EXFGPSLoc& target, const std::vector<double>& list);

  // ---- camera-roll numbering (see storage/camera_roll_numbering.h)
  // Nothing when the camera-roll folder does not exist.
  std::optional<std::vector<std::string>> getPhotoLibraryFiles() const;
  // The stem (IMG_0043) of the entry new since `lastArray`; empty when the
  // folder does not exist. The flag is not used.
  std::string getNextFileNumberFromPhotoLibrary(bool flag,
                                                const std::optional<std::vector<std::string>>& lastArray) const;

  // ---- save pipeline
  // The camera's picture: a worker thread saves it (nothing for null).
  void cameraControllerTookPicture(const std::shared_ptr<platform::UIImage>& picture);
  // The save half of the picker's didFinishPickingImage: the picture goes
  // to cameraControllerTookPicture; the caller then closes the camera.
  void didFinishPickingImageSave(const std::shared_ptr<platform::UIImage>& picture) {
    cameraControllerTookPicture(picture);
  }
  void _storePictureAnimation() {}
  // The save itself, on its worker thread: one at a time (savePicLock).
  void savePhoto(const std::shared_ptr<platform::UIImage>& picture);
  // The saving badge (main thread).
  void showSavingProgress();
  void hideSavingProgress();
  std::shared_ptr<OrvRoundRectImage> savingPhoto() const { return _savingPhoto; }
  // Album completions (main thread). `contextInfo` of finishedSave is the
  // composed picture (an exif::Bytes) of the save.
  void finishedSave(const std::shared_ptr<platform::UIImage>& image, const platform::NSError* error,
                    void* contextInfo);
  void finishedSaveNoGPS(const std::shared_ptr<platform::UIImage>& image, const platform::NSError* error,
                         void* contextInfo);
  // ==== end photo storage and geotagging ====

 protected:
  std::shared_ptr<OrvRoundRectImage> _savingPhoto;  // the saving badge while shown
  std::shared_ptr<platform::UIImageView> _touchAnywhereImage;
  std::shared_ptr<platform::UIImageView> _stabilizeIcon;
  std::shared_ptr<platform::UIImageView> _background;
  std::shared_ptr<platform::UIButton> _helpButton;
  std::shared_ptr<platform::UIButton> _stabilizeButton;
  bool _bInHelp = false;
  bool _bTouchAnywhereShown = false;
  std::shared_ptr<UIMeterVertical> _stablizeMeter;
  std::atomic<int> bringUpCameraCount_{0};

  // ==== Photo storage and geotagging ====
  // Written on the main thread, read by save workers.
  Guarded<platform::CLLocationRef> _currentLocation;
  std::shared_ptr<platform::UILabel> _gpsInfoTxt;
  // The GPS badge's label and the application thumbnail (end of loadView).
  void loadGeotaggingViews();
  // ==== end photo storage and geotagging ====
};

}  // namespace holdstill
