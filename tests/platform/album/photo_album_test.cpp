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

// The EXIF values of a written file.
struct Exif {
  exif::EXFJpeg jpeg;
  explicit Exif(const exif::Bytes& bytes) { jpeg.scanImageData(bytes); }
  int number(exif::TagKey key) const {
    const auto* value = jpeg.exifMetaData().tagValue(key);
    return value && value->get<exif::Number>() ? value->get<exif::Number>()->int32Value() : -1;
  }
  std::string text(exif::TagKey key) const {
    const auto* value = jpeg.exifMetaData().tagValue(key);
    const auto* s = value ? value->get<std::string>() : nullptr;
    return s ? s->substr(0, s->find('\0')) : "<missing>";
  }
};

// (Each hold's Orientation tag is checked on the pictures the save pipeline keeps.)
TEST_F(PhotoAlbumTest, WritesTheNextNumberAndCompletesOnTheMainThreadAfterItsWork) {
  useDevice({.model = "Ph\xC3\xB8ne"});  // written in its ASCII form
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
  const auto written = dataWithContentsOfFile(kRoll + "IMG_0042.JPG");
  ASSERT_TRUE(written);
  const CGImageRef decoded = decodeImage(*written);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->width(), 8);
  EXPECT_EQ(dataWithContentsOfFile(kRoll + "IMG_0041.JPG"), std::vector<uint8_t>{1});
  // As a phone's album writes it: when and with what it was taken, the size as stored.
  const Exif tags(*written);
  EXPECT_EQ(tags.text(271) + ", " + tags.text(272), "Apple, Ph?ne");
  EXPECT_EQ(tags.text(36867), "2010:06:15 12:00:00");
  EXPECT_EQ(tags.text(306), tags.text(36867));
  EXPECT_EQ(tags.number(40962), 8);
  EXPECT_EQ(tags.number(40963), 6);
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
  for (int i : {1, 2, 4}) EXPECT_FALSE(done[i]->error) << i;
  EXPECT_EQ(done[3]->at, -1) << "never completes";
  const std::string elsewhere(PhotoAlbum::kElsewhereFolder);
  EXPECT_EQ(album.writtenPaths(), (std::vector<std::string>{elsewhere + "IMG_0001.JPG", kRoll + "IMG_0001.JPG",
                                                            kRoll + "IMG_0002.JPG", kRoll + "IMG_0003.JPG"}));
  // The late one took its work time and four seconds more.
  EXPECT_GE(done[2]->at, 4.5);
}

TEST_F(PhotoAlbumTest, NumbersAreReadFromCameraRollNamesOnly) {
  const std::pair<const char*, int> cases[] = {
      {"IMG_0001.JPG", 1},  {"IMG_12345.JPG", 12345}, {"IMG_.JPG", -1},     {"IMG_00a1.JPG", -1},
      {"img_0001.JPG", -1}, {"IMG_0001.jpg", -1},     {"IMG_-001.JPG", -1}, {"IMG_0001.JPG.tmp", -1}};
  for (const auto& [name, number] : cases) EXPECT_EQ(cameraRollNumber(name), number) << name;
}

}  // namespace
}  // namespace platform
