// Formatting with texts from the bundle: a format that does not match its
// arguments never reads what is not there.
#include "platform/foundation/string_format.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

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
