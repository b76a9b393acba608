// The save pipeline in virtual time: the worker, the album service (with
// its faults), the badge, and what the camera roll holds afterwards. No
// file that a save did not write may ever change.
#include "state/module_state.h"
#include "capture/root_view_controller.h"
#include "platform/album/photo_album.h"
#include "platform/camera/camera_feed.h"
#include "platform/device/device.h"
#include "platform/foundation/data_file.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/ns_string.h"
#include "platform/graphics/image_codec.h"
#include "platform/graphics/text.h"
#include "platform/runloop/thread.h"
#include "platform/ui/navigation_controller.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/ui_state.h"
#include "storage/save_record.h"
#include "storage/saving_state.h"
#include "tests/platform/device_fixture.h"
#include "tests/platform/pixel_support.h"
#include "tests/storage/test_pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>

namespace holdstill {
namespace {

using namespace platform;
using namespace holdstill::testing;
using Files = std::map<std::string, std::vector<uint8_t>>;

const std::string kRoll(kCameraRollFolder);

class SavePipeline : public testsupport::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    resetModuleStateForTesting();
    // The bundle with an application thumbnail of our own.
    bundle_ = scratch() / "bundle";
    std::filesystem::create_directories(bundle_);
    std::filesystem::copy(HOLDSTILL_RESOURCES_DIR, bundle_, std::filesystem::copy_options::recursive);
    writePNGFile(*appThumbPicture()->CGImage(), (bundle_ / "appthumb.png").string());
    freshPhone();
  }
  void TearDown() override {
    finishWorkers();
    resetUserInterface();
    resetSavingStateForTesting();
    DeviceTest::TearDown();
  }

  // A fresh phone with our bundle: no screen and no saves from before.
  void freshPhone(const DeviceProfile& profile = {}) {
    useDevice(profile, bundle_);
    resetUserInterface();
    resetSavingStateForTesting();
  }

  std::shared_ptr<RootViewController> screen(bool recordGPS) {
    vbRecordGPS = recordGPS;
    auto root = std::make_shared<RootViewController>();
    navigation_ = UINavigationController::initWithRootViewController(root);
    navigation_->setNavigationBarHidden(true);
    root->view();
    return root;
  }

  static void put(const std::string& name, std::vector<uint8_t> bytes) {
    ASSERT_TRUE(NSFileManager::defaultManager().createDirectoryAtPath(kRoll, true));
    ASSERT_TRUE(writeToFile(bytes, kRoll + name, true));
  }

  // Every file of the camera roll (and of a second folder), by device path.
  static Files files(const std::string& folder = kRoll) {
    Files found;
    for (const std::string& entry : NSFileManager::defaultManager().subpathsAtPath(folder))
      if (auto bytes = dataWithContentsOfFile(folder + entry)) found[folder + entry] = *bytes;
    return found;
  }

  // Hands the picture to the screen and runs until every save is done.
  static void takeAndWait(const std::shared_ptr<RootViewController>& root,
                          std::shared_ptr<UIImage> picture = quarterCard(320, 240, UIImageOrientationRight)) {
    root->cameraControllerTookPicture(picture);
    ASSERT_TRUE(runUntilWorkersEnd(120));
  }

  static CLLocationRef fix(double lat = 47.3769, double lon = 8.5417, double alt = -12.5) {
    return std::make_shared<const CLLocation>(CLLocationCoordinate2D{lat, lon}, alt, 5, NSDate::date());
  }

  // The latitude the file carries, or nothing without GPS tags.
  static std::optional<double> latitudeOf(const std::vector<uint8_t>& bytes) {
    const auto jpeg = scan(bytes);
    const auto* value = jpeg.exifMetaData().tagValue(2);
    const auto* loc = value ? value->get<exif::EXFGPSLoc>() : nullptr;
    if (!loc) return std::nullopt;
    return loc->descriptionAsDecimal();
  }
  // Composed by the application (the album's own file names no software).
  static bool ours(const std::vector<uint8_t>& bytes) {
    return scan(bytes).exifMetaData().tagValue(305) != nullptr;
  }

  // A file where a folder of the camera roll's path should be.
  static void fileInTheWay(const std::string& path) {
    NSFileManager::defaultManager().createDirectoryAtPath(stringByDeletingLastPathComponent(path), true);
    writeToFile(std::vector<uint8_t>{1}, path, true);
  }

  // The files present before, unchanged.
  static void expectUntouched(const Files& before) {
    const Files now = files();
    for (const auto& [path, bytes] : before) {
      ASSERT_TRUE(now.contains(path)) << path << " disappeared";
      EXPECT_EQ(now.at(path), bytes) << path << " was overwritten";
    }
  }

  std::filesystem::path bundle_;
  std::shared_ptr<UINavigationController> navigation_;
};

TEST_F(SavePipeline, WithGpsOffOrNoFixTheAlbumAloneSavesThePicture) {
  for (bool recordGPS : {false, true}) {
    SCOPED_TRACE(recordGPS ? "GPS on, no fix" : "GPS off");
    freshPhone();
    auto root = screen(recordGPS);
    root->cameraControllerTookPicture(quarterCard(64, 48, UIImageOrientationUp));
    ASSERT_TRUE(loop().runUntil([&] { return root->savingPhoto() != nullptr; }, 5));
    auto badge = root->savingPhoto();
    EXPECT_EQ(badge->superview(), root->view());
    const auto label = std::dynamic_pointer_cast<UILabel>(badge->subviews().at(0));
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), "Saving picture…");
    EXPECT_EQ(badge->frame().origin.y, 60);
    EXPECT_FLOAT_EQ(badge->frame().origin.x * 2 + badge->frame().size.width, 320);
    EXPECT_EQ(label->frame(), CGRectMake(7, 4, badge->frame().size.width - 7, badge->frame().size.height - 8));
    ASSERT_TRUE(runUntilWorkersEnd(60));
    EXPECT_EQ(root->savingPhoto(), nullptr);
    EXPECT_EQ(badge->superview(), nullptr);
    loop().runFor(0.1);
    EXPECT_EQ(root->bringUpCameraCount(), 1);

    const Files roll = files();
    ASSERT_EQ(roll.size(), 1u);
    EXPECT_FALSE(ours(roll.at(kRoll + "IMG_0001.JPG"))) << "the album's own file";
    EXPECT_EQ(varrFileBefore.get(), std::nullopt) << "no listing taken";
  }
}

// The GPS badge follows the fixes, the saving badge tells whether the
// picture goes with GPS data, and each picture carries the fix held when
// it was taken.
TEST_F(SavePipeline, EachPictureTakesTheFixHeldWhenItWasTakenAndTheBadgesSaySo) {
  auto root = screen(true);
  ASSERT_TRUE(root->gpsInfoText());
  EXPECT_EQ(root->gpsInfoText()->text(), "Acquiring GPS position…");
  takeAndWait(root);
  root->newGPSPoint(fix(-33.8688, 151.2093, -12.5));
  EXPECT_EQ(root->gpsInfoText()->text().substr(0, 35), "GPS: 33.87 S  151.21 E  Alt: -12m\r\n");
  root->cameraControllerTookPicture(quarterCard(320, 240, UIImageOrientationRight));
  ASSERT_TRUE(loop().runUntil([&] { return root->savingPhoto() != nullptr; }, 5));
  EXPECT_EQ(std::dynamic_pointer_cast<UILabel>(root->savingPhoto()->subviews().at(0))->text(),
            "Saving picture with GPS data…");
  ASSERT_TRUE(runUntilWorkersEnd(60));
  const Files roll = files();
  ASSERT_EQ(roll.size(), 2u);
  EXPECT_EQ(latitudeOf(roll.at(kRoll + "IMG_0001.JPG")), std::nullopt);
  EXPECT_NEAR(latitudeOf(roll.at(kRoll + "IMG_0002.JPG")).value_or(0), 33.8688, 1e-6);

  // A rejected fix stops the geotagging again.
  root->failedGPSPoint(nullptr);
  EXPECT_EQ(root->gpsInfoText()->text(), "No GPS data");
  takeAndWait(root);
  EXPECT_EQ(latitudeOf(files().at(kRoll + "IMG_0003.JPG")), std::nullopt);
}

TEST_F(SavePipeline, TwoPicturesInQuickSuccessionSaveOneAfterTheOther) {
  auto root = screen(true);
  root->newGPSPoint(fix());
  root->cameraControllerTookPicture(quarterCard(320, 240, UIImageOrientationUp));
  root->cameraControllerTookPicture(quarterCard(240, 320, UIImageOrientationUp));
  // At most one badge at a time: the second save waits for the first.
  int shown = 0;
  std::shared_ptr<OrvRoundRectImage> last;
  ASSERT_TRUE(loop().runUntil(
      [&] {
        if (root->savingPhoto() && root->savingPhoto() != last) ++shown;
        last = root->savingPhoto();
        // The background and one saving badge (the reopened camera also
        // puts the GPS badge, tag 99, on the screen).
        const auto& views = root->view()->subviews();
        EXPECT_LE(std::count_if(views.begin(), views.end(), [](const auto& v) { return v->tag() != 99; }), 2);
        return NSThread::liveWorkerCount() == 0;
      },
      120));
  EXPECT_EQ(shown, 2);
  loop().runFor(0.1);
  EXPECT_EQ(root->bringUpCameraCount(), 2);
  const Files roll = files();
  ASSERT_EQ(roll.size(), 2u);
  for (const auto& [path, bytes] : roll) EXPECT_TRUE(latitudeOf(bytes)) << path;
  EXPECT_EQ(decodeImage(roll.at(kRoll + "IMG_0001.JPG"))->width(), 320);
  EXPECT_EQ(decodeImage(roll.at(kRoll + "IMG_0002.JPG"))->width(), 240) << "each replaced its own file";
}

// Where the geotagged picture lands, given the files already in the roll
// and what the album does; no file there before is changed.
TEST_F(SavePipeline, TheGeotaggedPictureLandsInTheRollAndOverwritesNothing) {
  const struct {
    const char* name;
    std::vector<std::string> existing;
    std::function<void()> fault;
    const char* saved;
    size_t elsewhere;
  } cases[] = {
      {"the album's new file is replaced", {"IMG_0007.JPG"}, [] {}, "IMG_0008.JPG", 0},
      {"album error: the next free name", {"IMG_0999.JPG", "IMG_0004.JPG"}, [] { PhotoAlbum::current().failAt(1); },
       "IMG_1000.JPG", 0},
      {"album writes elsewhere", {"IMG_0002.JPG"}, [] { PhotoAlbum::current().elsewhereAt(1); }, "IMG_0003.JPG", 1},
      {"a new picture really is 999", {"IMG_0998.JPG"}, [] {}, "IMG_0999.JPG", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    freshPhone();
    for (const auto& name : c.existing) put(name, {uint8_t(name.size()), 1});
    const Files before = files();
    c.fault();
    auto root = screen(true);
    root->newGPSPoint(fix());
    takeAndWait(root);
    const Files roll = files(), other = files(std::string(PhotoAlbum::kElsewhereFolder));
    ASSERT_EQ(roll.size(), c.existing.size() + 1);
    EXPECT_NEAR(latitudeOf(roll.at(kRoll + c.saved)).value_or(0), 47.3769, 1e-6);
    expectUntouched(before);
    ASSERT_EQ(other.size(), c.elsewhere);
    for (const auto& [path, bytes] : other) EXPECT_FALSE(ours(bytes)) << path << ": the album's file is left alone";
  }
}

// The album reports an error: the picture is written under the next free
// name, with our EXIF block and, with a fix, its position; when nothing can
// be written the user is told and the picture is recorded as lost.
TEST_F(SavePipeline, WhenTheAlbumFailsThePictureIsWrittenHereOrTheUserIsTold) {
  using Result = SaveRecord::Result;
  const struct {
    const char* name;
    bool withFix;
    std::function<void()> fault;
    Result result;
  } cases[] = {
      {"album error, no fix", false, [] { PhotoAlbum::current().failAt(1); }, Result::Rescued},
      {"album error, with a fix", true, [] { PhotoAlbum::current().failAt(1); }, Result::Rescued},
      {"camera roll is a file", true, [] { fileInTheWay("/private/var/mobile/Media/DCIM/100APPLE"); }, Result::Lost},
      {"DCIM is a file", false, [] { fileInTheWay("/private/var/mobile/Media/DCIM"); }, Result::Lost},
      {"read-only phone", false, [] { Device::current()->setReadOnly(true); }, Result::Lost},
      {"disk full", true, [] { Device::current()->setFreeBytes(0); }, Result::Lost},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    freshPhone();
    auto root = screen(true);
    if (c.withFix) root->newGPSPoint(fix());
    c.fault();
    takeAndWait(root);
    const auto records = saveRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].result, c.result);
    EXPECT_NE(records[0].why.find("the album failed ("), std::string::npos) << records[0].why;
    const auto alerts = UIAlertView::shownAlerts();
    if (c.result == Result::Rescued) {
      EXPECT_EQ(records[0].path, kRoll + "IMG_0001.JPG");
      const Files roll = files();
      ASSERT_EQ(roll.size(), 1u);
      EXPECT_TRUE(ours(roll.begin()->second));
      const auto thumbnail =
          decodeImage(scan(roll.begin()->second).exifMetaData().thumbnailBytes().value_or(exif::Bytes{}));
      EXPECT_EQ(thumbnail ? thumbnail->width() : 0, 160) << "the picture's own thumbnail, not the application's";
      EXPECT_EQ(latitudeOf(roll.begin()->second).has_value(), c.withFix);
      EXPECT_EQ(records[0].geotagged, c.withFix);
      EXPECT_TRUE(alerts.empty());
    } else {
      EXPECT_EQ(records[0].path, "");
      ASSERT_EQ(alerts.size(), 1u);
      EXPECT_EQ(alerts[0]->message().find("The picture could not be saved: "), 0u) << alerts[0]->message();
    }
  }
}

TEST_F(SavePipeline, ALateAlbumKeepsTheBadgeUpUntilItCompletes) {
  PhotoAlbum::current().lateAt(1, 5);
  auto root = screen(true);
  root->newGPSPoint(fix());
  const TimeInterval start = loop().now();
  root->cameraControllerTookPicture(quarterCard(64, 48, UIImageOrientationUp));
  ASSERT_TRUE(loop().runUntil([&] { return root->savingPhoto() != nullptr; }, 5));
  ASSERT_TRUE(loop().runUntil([&] { return root->savingPhoto() == nullptr; }, 60));
  EXPECT_GE(loop().now() - start, PhotoAlbum::kDefaultWorkSeconds + 5);
  ASSERT_TRUE(runUntilWorkersEnd(10));
  EXPECT_TRUE(latitudeOf(files().at(kRoll + "IMG_0001.JPG")));
}

// A save whose picture keeps no position says why, and its badge claims
// GPS data only for a composed picture: the composition failed, or the
// geotagged copy could not be written over the album's file (the disk
// filled meanwhile). The album's own file stays as the picture.
TEST_F(SavePipeline, APictureLeftWithoutItsPositionSaysWhy) {
  const struct {
    const char* model;  // too long for any EXIF block: the composition fails
    bool diskFillsAfterTheAlbum;
    const char* badge;
    const char* why;
  } cases[] = {
      {"iPhone", true, "Saving picture with GPS data…", "the geotagged copy could not be written ("},
      {nullptr, false, "Saving picture…", "the picture could not be composed with its position ("},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    freshPhone({.model = c.model ? c.model : "iPhone" + std::string(70000, 'x')});
    auto root = screen(true);
    root->newGPSPoint(fix());
    root->cameraControllerTookPicture(quarterCard(64, 48, UIImageOrientationUp));
    ASSERT_TRUE(loop().runUntil([&] { return root->savingPhoto() != nullptr; }, 5));
    EXPECT_EQ(std::dynamic_pointer_cast<UILabel>(root->savingPhoto()->subviews().at(0))->text(), c.badge);
    if (c.diskFillsAfterTheAlbum) {
      ASSERT_TRUE(loop().runUntil([&] { return files().size() == 1; }, 5));
      Device::current()->setFreeBytes(0);
    }
    ASSERT_TRUE(runUntilWorkersEnd(60));
    const auto records = saveRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].result, SaveRecord::Result::Saved);
    EXPECT_EQ(records[0].path, kRoll + "IMG_0001.JPG");
    EXPECT_FALSE(records[0].geotagged);
    EXPECT_EQ(records[0].why.rfind(c.why, 0), 0u) << records[0].why;
    const Files roll = files();
    ASSERT_EQ(roll.size(), 1u);
    EXPECT_FALSE(ours(roll.at(kRoll + "IMG_0001.JPG"))) << "the album's own file stays";
  }
}

// However the phone is held, the saved picture (the album's own or the
// composed one) and its thumbnail, turned as their Orientation tag says,
// show the camera's scene upright.
TEST_F(SavePipeline, EveryHoldGivesAnUprightPictureAndThumbnailWithGpsOnAndOff) {
  const UIDeviceOrientation holds[] = {UIDeviceOrientation::Portrait, UIDeviceOrientation::LandscapeLeft,
                                       UIDeviceOrientation::LandscapeRight,
                                       UIDeviceOrientation::PortraitUpsideDown};
  for (bool recordGPS : {false, true}) {
    freshPhone();
    auto root = screen(recordGPS);
    if (recordGPS) root->newGPSPoint(fix());
    for (UIDeviceOrientation hold : holds) {
      Device::current()->setOrientation(hold);
      takeAndWait(root, CameraFeed::current().takePicture());
    }
    const Files roll = files();
    ASSERT_EQ(roll.size(), 4u);
    std::set<int> tags;
    for (const auto& [path, bytes] : roll) {
      SCOPED_TRACE(path + (recordGPS ? " with GPS" : " without GPS"));
      const auto jpeg = scan(bytes);
      const auto* orientation = jpeg.exifMetaData().tagValue(274);
      ASSERT_TRUE(orientation);
      const int tag = orientation->get<exif::Number>()->int32Value();
      tags.insert(tag);
      EXPECT_TRUE(testsupport::showsSceneUpright(*decodeImage(bytes), tag));
      EXPECT_EQ(latitudeOf(bytes).has_value(), recordGPS);
      if (!recordGPS) continue;
      const CGImageRef thumbnail = decodeImage(jpeg.exifMetaData().thumbnailBytes().value_or(exif::Bytes{}));
      ASSERT_TRUE(thumbnail);
      EXPECT_TRUE(testsupport::showsSceneUpright(*thumbnail, tag)) << "thumbnail";
    }
    EXPECT_EQ(tags, (std::set<int>{1, 3, 6, 8}));
  }
}

// The saving badge stays on the screen in every language, the longest text included.
TEST_F(SavePipeline, TheSavingBadgeFitsTheScreenInEveryLanguage) {
  for (const char* language : {"en", "de", "fr"}) {
    freshPhone({.preferredLanguage = language});
    auto root = screen(true);
    root->newGPSPoint(fix());
    root->showSavingProgress();
    const CGRect badge = root->savingPhoto()->frame();
    EXPECT_GE(badge.origin.x, 0) << language;
    EXPECT_LE(badge.origin.x + badge.size.width, 320) << language;
    const auto label = std::dynamic_pointer_cast<UILabel>(root->savingPhoto()->subviews().at(0));
    const CGSize needed = sizeWithFont(label->text(), label->font(), CGSizeMake(label->frame().size.width, 1000),
                                       UILineBreakModeWordWrap);
    EXPECT_LE(needed.height, label->numberOfLines() * sizeWithFont("X", label->font()).height + 1)
        << language << ": the text fits the label's lines";
    root->hideSavingProgress();
  }
}

TEST_F(SavePipeline, LoadingTheViewComposesTheApplicationThumbnailOnlyWithGpsOn) {
  screen(false);
  EXPECT_EQ(_processedThumb.get(), nullptr);
  auto root = screen(true);
  const auto thumb = _processedThumb.get();
  ASSERT_TRUE(thumb);
  const auto jpeg = scan(*thumb);
  EXPECT_EQ(jpeg.exifMetaData().tagValue(40962)->get<exif::Number>()->int32Value(), 57);
  EXPECT_FALSE(jpeg.exifMetaData().thumbnailBytes()) << "the application thumbnail has no thumbnail of its own";
  EXPECT_EQ(jpeg.exifMetaData().tagValue(1), nullptr) << "no GPS tags on the application thumbnail";
}

// The screen's own composition entry point, with a file name, writes the
// file and hands back nothing; its degree helpers split a coordinate.
TEST_F(SavePipeline, TheScreensCompositionWritesANamedFileAndItsHelpersSplitACoordinate) {
  auto root = screen(true);
  root->newGPSPoint(fix());
  ASSERT_TRUE(NSFileManager::defaultManager().createDirectoryAtPath(kRoll, true));
  const std::string file = kRoll + "composed.jpg";
  EXPECT_EQ(root->addEXIF(quarterCard(64, 48, UIImageOrientationUp), {}, file, false, true), std::nullopt);
  const auto bytes = dataWithContentsOfFile(file);
  ASSERT_TRUE(bytes);
  EXPECT_NEAR(latitudeOf(*bytes).value_or(0), 47.3769, 1e-6);
  EXPECT_TRUE(scan(*bytes).exifMetaData().thumbnailBytes());

  exif::EXFGPSLoc loc;
  RootViewController::populateGPS(loc, RootViewController::createLocArray(-8.5417));
  EXPECT_EQ(loc.degrees(), exif::EXFraction(8, 1));
  EXPECT_EQ(loc.minutes(), exif::EXFraction(32, 1));
  EXPECT_NEAR(loc.descriptionAsDecimal(), 8.5417, 1e-9) << "the sign goes in the reference, not here";
  exif::EXFGPSLoc part;
  RootViewController::populateGPS(part, {8, 32});  // a shorter list fills what it holds
  EXPECT_EQ(part.minutes(), exif::EXFraction(32, 1));
  EXPECT_EQ(part.seconds(), std::nullopt);
}

}  // namespace
}  // namespace holdstill
