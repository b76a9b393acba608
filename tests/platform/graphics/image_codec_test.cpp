// PNG and JPEG encoding and decoding, and refusing damaged or oversized input.
#include "platform/graphics/image_codec.h"
#include "tests/platform/pixel_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace platform {
namespace {

namespace fs = std::filesystem;
using testsupport::near;

// Four opaque quadrants (red, green, blue, white) with a transparent and a
// half-transparent pixel in the top-left corner.
CGImage testCard(int w = 32, int h = 32) {
  std::vector<uint32_t> p(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      p[static_cast<size_t>(y) * w + x] =
          y < h / 2 ? (x < w / 2 ? 0xffff0000 : 0xff00ff00) : (x < w / 2 ? 0xff0000ff : 0xffffffff);
  p[0] = 0;
  p[1] = 0x80800000;  // red at half alpha, premultiplied
  return CGImage(w, h, std::move(p));
}

std::vector<uint8_t> noise(size_t n, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> bytes(n);
  for (auto& b : bytes) b = static_cast<uint8_t>(random());
  return bytes;
}

class TempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("holdstill-codec-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST(ImageCodec, PNGKeepsEveryPixelIncludingAlpha) {
  const CGImage card = testCard();
  const auto png = encodePNG(card);
  auto back = decodeImage(png);
  ASSERT_NE(back, nullptr);
  ASSERT_EQ(back->width(), 32);
  EXPECT_EQ(back->colorAt(0, 0).alpha, 0);
  EXPECT_TRUE(near(back->colorAt(1, 0), {255, 0, 0, 128}, 1));
  for (auto [x, y] : {std::pair{5, 5}, {20, 5}, {5, 20}, {20, 20}})
    EXPECT_EQ(back->argbAt(x, y), card.argbAt(x, y)) << x << "," << y;
}

TEST(ImageCodec, JPEGIsJFIFAndComesBackCloseToTheOriginal) {
  const CGImage card = testCard();
  const auto jpeg = encodeJPEG(card, 95);
  ASSERT_GT(jpeg.size(), 20u);
  EXPECT_EQ(jpeg[0], 0xff);
  EXPECT_EQ(jpeg[1], 0xd8);
  EXPECT_EQ(std::string(jpeg.begin() + 6, jpeg.begin() + 10), "JFIF");
  auto back = decodeImage(jpeg);
  ASSERT_NE(back, nullptr);
  EXPECT_TRUE(near(back->colorAt(8, 8), {255, 0, 0, 255}, 12)) << back->colorAt(8, 8);
  EXPECT_TRUE(near(back->colorAt(24, 24), {255, 255, 255, 255}, 12));
  EXPECT_TRUE(encodeJPEG(CGImage(0, 0, {}), 90).empty());
}

TEST(ImageCodec, JPEGQualityTradesSizeForFidelity) {
  std::vector<uint32_t> p(64 * 64);
  auto bytes = noise(p.size(), 7);
  for (size_t i = 0; i < p.size(); ++i) p[i] = 0xff000000u | bytes[i] * 0x010101u;
  auto image = UIImage::imageWithCGImage(std::make_shared<const CGImage>(64, 64, std::move(p)));
  const auto high = UIImageJPEGRepresentation(image, 0.98f);
  const auto low = UIImageJPEGRepresentation(image, 0.1f);
  EXPECT_GT(high.size(), low.size() * 2);
  EXPECT_EQ(UIImageJPEGRepresentation(image, 7.0f), UIImageJPEGRepresentation(image, 1.0f));
  EXPECT_TRUE(UIImageJPEGRepresentation(nullptr, 0.9f).empty());
  EXPECT_TRUE(UIImagePNGRepresentation(nullptr).empty());
}

TEST(ImageCodec, DamagedInputIsRefusedWithAReason) {
  std::string why;
  EXPECT_EQ(decodeImage({}, &why), nullptr);
  EXPECT_EQ(why, "neither PNG nor JPEG");
  const auto png = encodePNG(testCard());
  const auto jpeg = encodeJPEG(testCard(), 80);
  // Every truncation of the PNG is refused; the JPEG never crashes the
  // decoder (libjpeg fills in a picture cut short at the end of its data).
  for (size_t n = 0; n < png.size(); n += 7) {
    why.clear();
    EXPECT_EQ(decodeImage(std::span(png.data(), n), &why), nullptr) << n;
    EXPECT_FALSE(why.empty());
  }
  for (size_t n = 0; n < jpeg.size(); n += 5) {
    auto cut = decodeImage(std::span(jpeg.data(), n));
    if (cut) {
      EXPECT_EQ(cut->width(), 32);
    }
  }
  auto scrambled = jpeg;
  for (size_t i = 2; i < 200 && i < scrambled.size(); ++i) scrambled[i] ^= 0x5a;
  why.clear();
  EXPECT_EQ(decodeImage(scrambled, &why), nullptr);
  EXPECT_NE(why.find("JPEG"), std::string::npos) << why;
}

TEST(ImageCodec, OversizedPicturesAreRefusedBeforeDecoding) {
  auto png = encodePNG(testCard());
  png[16] = 0, png[17] = 0, png[18] = 0x9c, png[19] = 0x40;  // width 40000
  std::string why;
  EXPECT_EQ(decodeImage(png, &why), nullptr);
  EXPECT_EQ(why, "PNG picture is too large");

  auto jpeg = encodeJPEG(testCard(), 80);
  // The frame header (FFC0) holds the height and width after 3 bytes.
  for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xff && jpeg[i + 1] == 0xc0) {
      jpeg[i + 5] = 0xea, jpeg[i + 6] = 0x60, jpeg[i + 7] = 0xea, jpeg[i + 8] = 0x60;
      break;
    }
  }
  EXPECT_EQ(decodeImage(jpeg, &why), nullptr);
  EXPECT_EQ(why, "JPEG picture is too large");
}

using PNGFile = TempDir;

TEST_F(PNGFile, ReplacesTheFileWholeAndLeavesNothingElseBehind) {
  const fs::path path = dir_ / "shot.png";
  { std::ofstream(path) << "old contents"; }
  writePNGFile(testCard(), path.string());
  auto back = UIImage::imageWithContentsOfHostFile(path.string());
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->size(), CGSizeMake(32, 32));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(PNGFile, AFolderThatIsMissingGivesAnErrorNamingThePath) {
  const fs::path path = dir_ / "missing" / "shot.png";
  try {
    writePNGFile(testCard(), path.string());
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find(path.string()), std::string::npos) << e.what();
  }
  EXPECT_FALSE(fs::exists(path));
}

}  // namespace
}  // namespace platform
