// The steadiness meter, checked on rendered pixels: which cells are drawn,
// where, in which colour, and with round ends.
#include "capture/meter_vertical.h"
#include "platform/graphics/image_codec.h"
#include "tests/platform/pixel_support.h"
#include "tests/platform/ui_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace holdstill {
namespace {

using namespace platform;
using testsupport::near;
using testsupport::renderView;

const RGBA8 kGreen{53, 99, 0, 255}, kRed{255, 0, 0, 255}, kGrey{230, 230, 230, 255};

using Meter = testsupport::UITest;

CGImageRef renderMeter(float progress, bool disabled, CGRect frame = CGRectMake(0, 0, 20, 150)) {
  auto meter = std::make_shared<UIMeterVertical>(frame);
  meter->setProgress(progress);
  meter->setDisabled(disabled);
  return renderView(*meter);
}

// The cells found at their places (y = height - 8 - 10k), bottom first, one
// letter each: G dark green, R red, g light grey, ? anything else. Each is
// checked to be a whole cell: 19 points wide with round ends, 8 high, and
// a clear gap above.
std::string cells(const CGImage& image) {
  std::string found;
  for (int y = image.height() - 8; y >= 0; y -= 10) {
    const RGBA8 centre = image.colorAt(9, y + 4);
    if (centre.alpha == 0) break;
    // The tips of the round ends cover most of their pixel.
    for (int x : {0, 18}) {
      RGBA8 tip = image.colorAt(x, y + 4);
      EXPECT_GT(tip.alpha, 128) << "end at x " << x << " of the cell at " << y;
      tip.alpha = 255;
      EXPECT_TRUE(near(tip, centre, 3)) << "end at x " << x << " of the cell at " << y;
    }
    EXPECT_EQ(image.colorAt(19, y + 4).alpha, 0) << "the cell at " << y << " is 19 wide";
    EXPECT_TRUE(near(image.colorAt(9, y), centre)) << "top edge of the cell at " << y;
    EXPECT_TRUE(near(image.colorAt(9, y + 7), centre)) << "bottom edge of the cell at " << y;
    for (auto [x, dy] : {std::pair{0, 0}, {18, 0}, {0, 7}, {18, 7}})
      EXPECT_LT(image.colorAt(x, y + dy).alpha, 64) << "corner " << x << "," << y + dy << " is round";
    if (y >= 2) {
      EXPECT_EQ(image.colorAt(9, y - 1).alpha, 0) << "gap above the cell at " << y;
    }
    found += near(centre, kGreen) ? 'G' : near(centre, kRed) ? 'R' : near(centre, kGrey) ? 'g' : '?';
  }
  return found;
}

TEST_F(Meter, ASteadyPhoneShowsOneDarkGreenCellAtTheBottom) {
  auto image = renderMeter(0, false);
  EXPECT_EQ(cells(*image), "G");
  // Nothing else is drawn: the cell is the only mark, at (0, 142, 19, 8).
  for (int y = 0; y < 150; ++y)
    for (int x = 0; x < 20; ++x)
      if (y < 142 || x == 19) {
        ASSERT_EQ(image->colorAt(x, y).alpha, 0) << x << "," << y;
      }
}

TEST_F(Meter, HalfwayShowsNineCellsUpToY62) {
  auto image = renderMeter(0.5f, false);
  EXPECT_EQ(cells(*image), "GRRRRRRRR");
  EXPECT_EQ(image->colorAt(9, 66).alpha, 255);  // the top cell spans 62..69
  EXPECT_EQ(image->colorAt(9, 56).alpha, 0);
}

TEST_F(Meter, FullyUnsteadyFillsAllFifteenCellsUpToY2) {
  auto image = renderMeter(1.0f, false);
  EXPECT_EQ(cells(*image), "GRRRRRRRRRRRRRR");
  EXPECT_EQ(image->colorAt(9, 2).alpha, 255);
  EXPECT_EQ(image->colorAt(9, 0).alpha, 0);
}

TEST_F(Meter, DisabledDrawsTheSameCellsAllInLightGrey) {
  EXPECT_EQ(cells(*renderMeter(0, true)), "g");
  EXPECT_EQ(cells(*renderMeter(0.5f, true)), "ggggggggg");
  EXPECT_EQ(cells(*renderMeter(1, true)), std::string(15, 'g'));
}

TEST_F(Meter, AMeterUnderTenPointsHighHasOneCellWhateverTheLevel) {
  for (float progress : {0.0f, 0.5f, 1.0f}) {
    auto image = renderMeter(progress, false, CGRectMake(0, 0, 20, 9.5f));
    ASSERT_EQ(image->height(), 10);
    EXPECT_TRUE(near(image->colorAt(9, 5), kGreen)) << progress;  // the cell at y = 1
    EXPECT_EQ(image->colorAt(9, 0).alpha, 0) << progress;
  }
}

TEST_F(Meter, LevelsOutOfRangeDrawSafely) {
  EXPECT_EQ(cells(*renderMeter(NAN, false)).size(), 1u);
  EXPECT_EQ(cells(*renderMeter(-3, false)).size(), 1u);
  EXPECT_EQ(cells(*renderMeter(1e30f, false)).size(), 15u);
}

TEST_F(Meter, NewSettingsShowOnlyAfterARedrawIsAskedFor) {
  auto meter = std::make_shared<UIMeterVertical>(CGRectMake(0, 0, 20, 150));
  EXPECT_EQ(meter->backgroundColor(), UIColor::clearColor());
  EXPECT_EQ(cells(*renderView(*meter)).size(), 1u);
  meter->setProgress(1.0f);
  EXPECT_EQ(cells(*renderView(*meter)).size(), 1u);
  meter->setNeedsDisplay();
  EXPECT_EQ(cells(*renderView(*meter)).size(), 15u);
}

// Writes each state, and all six side by side on a dark backdrop enlarged
// four times, into the build folder for people to look at.
TEST_F(Meter, EveryStateSideBySideForPeopleToSee) {
  namespace fs = std::filesystem;
  const fs::path out = fs::path(HOLDSTILL_TEST_OUTPUT_DIR) / "meter-pictures";
  fs::create_directories(out);
  const int scale = 4, slot = 40;
  std::vector<uint32_t> sheet(static_cast<size_t>(6 * slot * scale) * 170 * scale, 0xff202020);
  int column = 0;
  for (bool disabled : {false, true}) {
    for (float progress : {0.0f, 0.5f, 1.0f}) {
      auto image = renderMeter(progress, disabled);
      const std::string name = std::string(disabled ? "disabled" : "enabled") + "-" +
                               std::to_string(static_cast<int>(progress * 100)) + ".png";
      writePNGFile(*image, (out / name).string());
      for (int y = 0; y < 150 * scale; ++y)
        for (int x = 0; x < 20 * scale; ++x) {
          // Premultiplied pixels laid over the backdrop.
          const uint32_t p = image->argbAt(x / scale, y / scale);
          uint32_t& to = sheet[static_cast<size_t>(10 * scale + y) * 6 * slot * scale +
                               (column * slot + 10) * scale + x];
          const uint32_t keep = 255 - (p >> 24);
          uint32_t mixed = 0xff000000u;
          for (int shift : {0, 8, 16})
            mixed |= (((p >> shift) & 0xff) + ((to >> shift) & 0xff) * keep / 255) << shift;
          to = mixed;
        }
      ++column;
    }
  }
  const CGImage all(6 * slot * scale, 170 * scale, std::move(sheet));
  writePNGFile(all, (out / "all-states.png").string());
  EXPECT_TRUE(fs::exists(out / "all-states.png"));
  EXPECT_TRUE(near(all.colorAt(10 * scale + 36, (10 + 146) * scale), kGreen));          // enabled, 0
  EXPECT_TRUE(near(all.colorAt(2 * slot * scale + 10 * scale + 36, (10 + 6) * scale), kRed));  // enabled, 1
}

}  // namespace
}  // namespace holdstill
