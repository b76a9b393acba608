// The photo album: numbering, its own thread and working time, the
// completion on the main thread, and the injected faults.
#include "platform/album/photo_album.h"

#include "exif/exf_jpeg.h"

#include "platform/foundation/data_file.h"
#include "platform/foundation/file_manager.h"
#include "platform/graphics/image_codec.h"
#include "platform/runloop/thread.h"
#include "tests/platform/device_fixture.h"

#include <gtest/gtest.h>

#include <ctime>

namespace platform {
namespace {

using PhotoAlbumTest = testsupport::DeviceTest;

std::shared_ptr<UIImage> picture() {
  return std::make_shared<UIImage>(std::make_shared<const CGImage>(8, 6, std::vector<uint32_t>(48, 0xFF336699u)));
}

struct Completion {
  TimeInterval at = -1;
  std::optional<NSError> error;
  void* context = nullptr;
  bool onMain = false;
};

// Saves one picture and records its completion.
std::shared_ptr<Completion> save(void* context = nullptr) {
  auto done = std::make_shared<Completion>();
  UIImageWriteToSavedPhotosAlbum(
      picture(),
      [done](const std::shared_ptr<UIImage>& image, const NSError* error, void* ctx) {
        done->at = RunLoop::main().now();
        if (error) done->error = *error;
        done->context = ctx;
        done->onMain = NSThread::isMainThread() && image != nullptr;
      },
      context);
  return done;
}

const std::string kRoll(kCameraRollFolder);

TEST_F(PhotoAlbumTest, WritesTheNextNumberAndCompletesOnTheMainThreadAfterItsWork) {
  ASSERT_TRUE(NSFileManager::defaultManager().createDirectoryAtPath(kRoll, true));
  ASSERT_TRUE(writeToFile(std::vector<uint8_t>{1}, kRoll + "IMG_0041.JPG", true));
  ASSERT_TRUE(writeToFile(std::vector<uint8_t>{2}, kRoll + "IMG_0007.JPG", true));
  int token = 0;
  auto done = save(&token);
  ASSERT_TRUE(runUntilWorkersEnd(10));
  loop().runFor(0);
  EXPECT_EQ(done->at, PhotoAlbum::kDefaultWorkSeconds);
  EXPECT_FALSE(done->error);
  EXPECT_EQ(done->context, &token);
  EXPECT_TRUE(done->onMain);
  EXPECT_EQ(PhotoAlbum::current().writtenPaths(), std::vector<std::string>{kRoll + "IMG_0042.JPG"});
  const auto written = dataWithContentsOfFile(kRoll + "IMG_0042.JPG");
  ASSERT_TRUE(written);
  const CGImageRef decoded = decodeImage(*written);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->width(), 8);
  EXPECT_EQ(dataWithContentsOfFile(kRoll + "IMG_0041.JPG"), std::vector<uint8_t>{1});
}

// The file says how to show the picture, when and with what it was taken,
// as a phone's album writes it; the pixels are kept as stored.
TEST_F(PhotoAlbumTest, TheFileCarriesOrientationSizeTimeAndDevice) {
  DeviceProfile profile;
  profile.model = "iPh\xC3\xB8ne";  // written in its lossy ASCII form
  profile.clockOrigin = 1262303999;    // 2009-12-31 23:59:59 UTC
  profile.utcOffsetSeconds = 3600;
  useDevice(profile);
  const std::pair<UIImageOrientation, int> orientations[] = {
      {UIImageOrientationUp, 1}, {UIImageOrientationDown, 3}, {UIImageOrientationLeft, 8}, {UIImageOrientationRight, 6}};
  for (const auto& [orientation, tag] : orientations) {
    const auto taken = static_cast<std::time_t>(1262303999 + 3600 + loop().now());
    std::tm local{};
    gmtime_r(&taken, &local);
    char expected[32];
    std::strftime(expected, sizeof expected, "%Y:%m:%d %H:%M:%S", &local);
    UIImageWriteToSavedPhotosAlbum(std::make_shared<UIImage>(picture()->CGImage(), orientation), {}, nullptr);
    ASSERT_TRUE(runUntilWorkersEnd(10));
    const auto written = dataWithContentsOfFile(PhotoAlbum::current().writtenPaths().back());
    ASSERT_TRUE(written);
    exif::EXFJpeg jpeg;
    jpeg.scanImageData(*written);
    const exif::EXFMetaData& md = jpeg.exifMetaData();
    auto number = [&](exif::TagKey key) { return md.tagValue(key) ? md.tagValue(key)->get<exif::Number>()->int32Value() : -1; };
    auto text = [&](exif::TagKey key) {
      const auto* value = md.tagValue(key) ? md.tagValue(key)->get<std::string>() : nullptr;
      return value ? value->substr(0, value->find('\0')) : "<missing>";
    };
    EXPECT_EQ(number(274), tag);
    EXPECT_EQ(number(40962), 8);
    EXPECT_EQ(number(40963), 6);
    EXPECT_EQ(text(271), "Apple");
    EXPECT_EQ(text(272), "iPh?ne");
    EXPECT_EQ(text(36867), expected);
    EXPECT_EQ(text(306), text(36867));
    ASSERT_TRUE(decodeImage(*written));
    EXPECT_EQ(decodeImage(*written)->width(), 8);
  }
}

TEST_F(PhotoAlbumTest, InjectedFaultsApplyToTheirSaveOnly) {
  PhotoAlbum& album = PhotoAlbum::current();
  album.failAt(1);
  album.elsewhereAt(2);
  album.lateAt(3, 4);
  album.neverAt(4);
  album.setWorkSeconds(0.5);
  std::vector<std::shared_ptr<Completion>> done;
  for (int i = 0; i < 5; ++i) {
    done.push_back(save());
    ASSERT_TRUE(runUntilWorkersEnd(20));
    loop().runFor(0);
  }
  EXPECT_EQ(album.saveCount(), 5);
  ASSERT_TRUE(done[0]->error);
  EXPECT_NE(done[0]->error->code, 0);
  EXPECT_FALSE(done[1]->error);
  EXPECT_FALSE(done[2]->error);
  EXPECT_EQ(done[3]->at, -1) << "never completes";
  EXPECT_FALSE(done[4]->error);
  const std::string elsewhere(PhotoAlbum::kElsewhereFolder);
  EXPECT_EQ(album.writtenPaths(), (std::vector<std::string>{elsewhere + "IMG_0001.JPG", kRoll + "IMG_0001.JPG",
                                                            kRoll + "IMG_0002.JPG", kRoll + "IMG_0003.JPG"}));
  // The late one took its work time and four seconds more.
  EXPECT_GE(done[2]->at, 4.5);
}

TEST_F(PhotoAlbumTest, NumbersAreReadFromCameraRollNamesOnly) {
  struct Case {
    const char* name;
    int number;
  } cases[] = {{"IMG_0001.JPG", 1}, {"IMG_12345.JPG", 12345}, {"IMG_.JPG", -1}, {"IMG_00a1.JPG", -1},
               {"img_0001.JPG", -1}, {"IMG_0001.jpg", -1}, {"IMG_-001.JPG", -1}, {"IMG_0001.JPG.tmp", -1}};
  for (const Case& c : cases) EXPECT_EQ(cameraRollNumber(c.name), c.number) << c.name;
}

}  // namespace
}  // namespace platform
