// Measuring, breaking and drawing text.
#include "platform/graphics/text.h"
#include "tests/platform/pixel_support.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

const UIFont kFont = UIFont::systemFontOfSize(16);

TEST(Text, LinesBreakBetweenWordsAndLongWordsBreakBetweenCharacters) {
  const CGFloat oneWord = sizeWithFont("gamma", kFont).width;  // the widest word
  const auto lines = wrapText("alpha beta gamma", kFont, oneWord + 4, 0);
  EXPECT_EQ(lines, (std::vector<std::string>{"alpha", "beta", "gamma"}));
  const auto pieces = wrapText("abcdefghij", kFont, sizeWithFont("abc", kFont).width, 0);
  EXPECT_GT(pieces.size(), 2u);
  std::string joined;
  for (const auto& p : pieces) joined += p;
  EXPECT_EQ(joined, "abcdefghij");
  EXPECT_EQ(wrapText("one\n\ntwo", kFont, 500, 0), (std::vector<std::string>{"one", "", "two"}));
  EXPECT_EQ(wrapText("alpha beta gamma", kFont, oneWord + 4, 2).size(), 2u);
}

TEST(Text, ConstrainedSizeCountsTheLinesThatFit) {
  const CGFloat line = lineHeight(kFont);
  ASSERT_GT(line, 10);
  const CGFloat width = sizeWithFont("gamma", kFont).width + 4;
  EXPECT_EQ(sizeWithFont("alpha beta gamma", kFont, {width, 1000}, UILineBreakModeWordWrap).height,
            3 * line);
  EXPECT_EQ(sizeWithFont("alpha beta gamma", kFont, {width, line * 2.5f}, UILineBreakModeWordWrap).height,
            2 * line);
  EXPECT_LE(sizeWithFont("alpha beta gamma", kFont, {width, 1000}, UILineBreakModeWordWrap).width, width);
  EXPECT_GT(sizeWithFont("Saving…", UIFont::boldSystemFontOfSize(16)).width,
            sizeWithFont("Saving…", UIFont::systemFontOfSize(10)).width);
  EXPECT_EQ(sizeWithFont("x", UIFont::systemFontOfSize(0)), CGSizeMake(0, 0));
}

TEST(Text, InvalidUTF8IsDrawnWithoutBreakingTheContext) {
  const std::string bad = "ok\xff\xc3(\xed\xa0\x80";
  EXPECT_GT(sizeWithFont(bad, kFont).width, sizeWithFont("ok", kFont).width);
  UIGraphicsBeginImageContext({60, 30});
  CGContextRef c = UIGraphicsGetCurrentContext();
  drawTextAtPoint(bad, {0, 0}, kFont);
  CGContextFillRect(c, CGRectMake(50, 20, 10, 10));
  auto out = UIGraphicsGetImageFromCurrentImageContext()->CGImage();
  UIGraphicsEndImageContext();
  EXPECT_EQ(out->colorAt(55, 25).alpha, 255);
  int inked = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) inked += out->colorAt(x, y).alpha > 128;
  EXPECT_GT(inked, 20);
}

}  // namespace
}  // namespace platform
