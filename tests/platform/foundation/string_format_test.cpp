// Text formatting with the platform's conversions.
#include "platform/foundation/string_format.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(StringFormatTest, FormatsTheApplicationUses) {
  EXPECT_EQ(stringWithFormat("/maps?t=h&q=%f%%20%@,%f%%20%@", 48.5, "N", 2.25, "W"),
            "/maps?t=h&q=48.500000%20N,2.250000%20W");
  EXPECT_EQ(stringWithFormat("%.2f %@  %.2f %@  Alt: %.0fm\r\non %@", 33.8688, "S", 151.2093, "E", -3.4, "today"),
            "33.87 S  151.21 E  Alt: -3m\r\non today");
  EXPECT_EQ(stringWithFormat("IMG_%04d", 7), "IMG_0007");
  EXPECT_EQ(stringWithFormat("IMG_%04d", 12345), "IMG_12345");
  EXPECT_EQ(stringWithFormat("%@ v%@", "Holdstill", "1.0"), "Holdstill v1.0");
  EXPECT_EQ(stringWithFormat("Saving%@...", ""), "Saving...");
}

TEST(StringFormatTest, PositionsWidthsAndObjects) {
  EXPECT_EQ(stringWithFormat("%2$@ %1$@", "a", "b"), "b a");
  EXPECT_EQ(stringWithFormat("[%5s|%-4d|%*d]", "ab", 7, 3, 1), "[   ab|7   |  1]");
  EXPECT_EQ(stringWithFormat("%x %X %o %u", 255, 255, 8, 3), "ff FF 10 3");
  EXPECT_EQ(stringWithFormat("%@ %@ %@", 42, 0.5, true), "42 0.5 1");
  EXPECT_EQ(stringWithFormat("%ld %lu %lld %hhd %zu", 1, 2, 3, 4, 5), "1 2 3 4 5");
}

TEST(StringFormatTest, NeverUndefined) {
  EXPECT_EQ(stringWithFormat("%d and %@"), "0 and ");
  EXPECT_EQ(stringWithFormat("%d", "12 apples"), "12");
  EXPECT_EQ(stringWithFormat("%.1f", "2.25"), "2.2");
  EXPECT_EQ(stringWithFormat("100%"), "100%");
  EXPECT_EQ(stringWithFormat("%y %d", 5), "%y 5");
  EXPECT_EQ(stringWithFormat("%99999999d", 1).size(), 4096u) << "padding is bounded";
  EXPECT_EQ(stringWithFormat("%n%s", 1, 2), "%n1");
}

}  // namespace
}  // namespace platform
