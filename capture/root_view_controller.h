#pragma once
// RootViewController: the capture screen, the application's only screen
// controller and the hub the other parts reach (through vAppObject's
// rootViewController). It hosts the help screen it pushes.
//
// Here: construction, the screen's own view (an overlay view holding the
// splash background, the GPS badge, and the pieces later laid over the
// camera: touch-anywhere hint, steadiness meter and icon), the start-up
// alerts that lead to the camera, what the steadiness detector calls, and
// the camera display (root_view_controller_camera.cpp): opening the
// picker, installing the overlay and buttons in its camera view, help,
// closing after a picture, and quitting on cancel.
// Main thread only.
#include "capture/self_camera_view.h"
#include "help/help_view_controller.h"
#include "views/meter_vertical.h"
#include "views/round_rect_image.h"
#include "platform/camera/image_picker_controller.h"
#include "platform/runloop/lock.h"
#include "platform/runloop/timer.h"
#include "platform/ui/alert_view.h"
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
#include "platform/ui/label.h"
#include "platform/ui/view_controller.h"

#include <memory>

namespace holdstill {

// Serialises whole picture saves; made by RootViewController's init, used
// by the save workers.
extern std::shared_ptr<platform::NSLock> savePicLock;
// The next camera display is a fresh one from the main screen.
extern bool _bComingFromMainScreen;

class RootViewController : public platform::UIViewController,
                           public platform::UIImagePickerControllerDelegate,
                           public platform::UIAlertViewDelegate,
                           public HelpHost {
 public:
  static constexpr int kMeterTag = 101;
  static constexpr int kStabilizeIconTag = 102;
  static constexpr int kGPSBadgeTag = 99;
  static constexpr int kWelcomeAlertTag = 33;
  static constexpr int kWarningAlertTag = 34;

  RootViewController();  // init
  const char* className() const override { return "RootViewController"; }

  // The screen's view: an overlay view (UISelfCameraView, never walked)
  // with the splash background filling the available frame; and, not yet on
  // any view, the touch-anywhere hint, the meter (tag 101) and the
  // steadiness icon (tag 102), all transparent; with GPS recording on, the
  // GPS badge (tag 99) with its globe and status line, put on the screen
  // when the camera has opened.
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

  // ==== start-up and camera display (capture developer's block) ====
  // Start-up: a new version shows the welcome alert (tag 33), whose button
  // leads to checkDeviceType; the same version goes there at once.
  void viewDidAppear(bool animated) override;
  // Records the running version as LASTVERSION; opens the camera on a
  // phone, otherwise shows the buttonless warning (tag 34) first.
  void checkDeviceType();
  void alertViewClickedButtonAtIndex(platform::UIAlertView& alert, int buttonIndex) override;
  void alertViewCancel(platform::UIAlertView& alert) override;
  // End of the camera-opening flip: puts the GPS badge on the screen once.
  void flipDidStop();

  // Opens the picker: 1 with the flip onto the window, else modally. While
  // the camera's closing flip still turns, the opening waits for its end.
  void bringUpCamera(int number);
  // The picker showed a controller: the camera view gets the overlay and
  // buttons once per opening; help shown and back are noted.
  void navigationControllerDidShowViewController(platform::UINavigationController& navigationController,
                                                 const std::shared_ptr<platform::UIViewController>& viewController,
                                                 bool animated) override;
  // Hides the camera's title bar and bar, retitles the title bar "Touch
  // anywhere", centres the hint and fades it in (once per process).
  void fixupTouchAnywhere();
  void touchAnywhereHide(platform::NSTimer& timer);
  // Brings the overlay, then the help and steadiness buttons, to the front
  // (the help screen asks for it when it has gone).
  void bringLayerToFront() override;
  // Does nothing: the screen never rotates.
  void orientationChangedResize(platform::UIInterfaceOrientation) override {}
  void helpViewActive();
  void toggleStabilize(platform::UIButton& button);
  // A picture is ready: saved on its own thread; the camera flips away.
  void imagePickerControllerDidFinishPickingImage(platform::UIImagePickerController& picker,
                                                  const std::shared_ptr<platform::UIImage>& image,
                                                  const platform::UIImagePickerEditingInfo* editingInfo) override;
  // After the closing flip: the overlay and help button go with the picker;
  // an opening asked for during the flip runs now.
  void rotateDidStop();
  // Cancel quits: flip away, shrink the window, write the settings, exit 0.
  void imagePickerControllerDidCancel(platform::UIImagePickerController& picker) override;
  void exitDidStop();
  void exitDidStop1();

  // What the camera display holds (null when closed).
  std::shared_ptr<platform::UIImagePickerController> imagePickerController() const {
    return _imagePickerController;
  }
  std::shared_ptr<UISelfCameraView> cameraHiddenLayerView() const { return _cameraHiddenLayerView; }
  std::shared_ptr<platform::UIButton> stabilizeButton() const { return _stabilizeButton; }
  std::shared_ptr<OrvRoundRectImage> gpsInfo() const { return _gpsInfo; }
  bool inHelp() const { return _bInHelp; }
  // ==== end of the capture developer's block ====

  // ---- the views built by loadView (null before)
  std::shared_ptr<platform::UIImageView> background() const { return _background; }
  std::shared_ptr<platform::UIImageView> touchAnywhereImage() const { return _touchAnywhereImage; }
  std::shared_ptr<platform::UIImageView> stabilizeIcon() const { return _stabilizeIcon; }

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
  // returned. Nothing also when the composition fails. The landscape flag
  // decides nothing: the picture's own orientation says how it is shown.
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
  // The saving badge (main thread); it says "with GPS data" when the save
  // under way has composed its picture with the position.
  void showSavingProgress();
  void hideSavingProgress();
  std::shared_ptr<OrvRoundRectImage> savingPhoto() const { return _savingPhoto; }
  // Album completions (main thread). `contextInfo` of finishedSave is the
  // composed picture (an exif::Bytes) of the save; that of
  // finishedSaveNoGPS is the save's own (or null). When the album reports
  // an error the picture is written here under a new name; when nothing
  // can be written, an alert tells the user. Each records what became of
  // the picture (storage/save_record.h).
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
  // ==== camera display state (capture developer's block) ====
  std::shared_ptr<HelpViewController> helpViewController;
  std::shared_ptr<OrvRoundRectImage> _gpsInfo;
  std::shared_ptr<platform::UIImageView> _gpsGlobeImage;
  std::shared_ptr<platform::UIImagePickerController> _imagePickerController;
  std::shared_ptr<UISelfCameraView> _cameraHiddenLayerView;
  std::shared_ptr<platform::NSTimer> _touchAnywhereTimer;
  // The closing flip after a picture is turning; an opening asked for
  // meanwhile (its number, 0 for none) runs when it ends.
  bool _bClosingCamera = false;
  int _reopenAfterClosing = 0;
  // ==== end of the capture developer's block ====
  std::atomic<int> bringUpCameraCount_{0};

  // ==== Photo storage and geotagging ====
  // Written on the main thread, read by save workers.
  Guarded<platform::CLLocationRef> _currentLocation;
  // The save under way carries the position (set by its worker).
  std::atomic<bool> _savingWithGPS{false};
  std::shared_ptr<platform::UILabel> _gpsInfoTxt;
  // The application thumbnail, once the GPS badge stands (end of loadView).
  void loadGeotaggingViews();
  // ==== end photo storage and geotagging ====
};

}  // namespace holdstill
