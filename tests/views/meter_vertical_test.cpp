// The steadiness meter, checked on rendered pixels.
#include "views/meter_vertical.h"
#include "platform/graphics/image_codec.h"
#include "tests/platform/pixel_support.h"
#include "tests/platform/ui_fixture.h"

#include <cmath>
#include <filesystem>
#include <string>

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

// The cells at their places (y = height - 8 - 10k), bottom first: G dark
// green, R red, g light grey, ? other. Each is checked to be a whole cell:
// 19 points wide with round ends, 8 high, a clear gap above.
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

// Each level shows its cells, bottom up, and nothing else (a steady phone:
// one dark green cell at (0, 142, 19, 8)). Each state is also left as a
// picture in the build folder for people to see.
TEST_F(Meter, EachLevelShowsItsCellsInItsColoursAndNothingElse) {
  const auto out = std::filesystem::path(HOLDSTILL_TEST_OUTPUT_DIR) / "meter-pictures";
  std::filesystem::create_directories(out);
  const struct {
    float progress;
    bool disabled;
    std::string cells;
  } cases[] = {{0, false, "G"}, {0.5f, false, "GRRRRRRRR"}, {1, false, "GRRRRRRRRRRRRRR"},
               {0, true, "g"},  {0.5f, true, "ggggggggg"},  {1, true, std::string(15, 'g')}};
  for (const auto& c : cases) {
    const std::string name = (c.disabled ? "disabled-" : "enabled-") + std::to_string(int(c.progress * 100));
    auto image = renderMeter(c.progress, c.disabled);
    EXPECT_EQ(cells(*image), c.cells) << name;
    const int top = 150 - 8 - 10 * (int(c.cells.size()) - 1);
    for (int y = 0; y < 150; ++y)
      for (int x = 0; x < 20; ++x)
        if (y < top || x == 19) {
          ASSERT_EQ(image->colorAt(x, y).alpha, 0) << name << " " << x << "," << y;
        }
    writePNGFile(*image, (out / (name + ".png")).string());
  }
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

}  // namespace
}  // namespace holdstill
