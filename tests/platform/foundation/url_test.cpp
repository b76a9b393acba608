// Addresses: which texts are valid, and relative references resolved.
#include "platform/foundation/url.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(URLTest, AcceptsWellFormedAddresses) {
  for (const char* text :
       {"http://maps.example.com/maps?t=h&q=48.500000%20N,2.250000%20W", "mailto:someone@example.com",
        "http://holdstill.example", "file:///Applications/Holdstill.app/Help/",
        "http://[::1]:8080/x", "relative/path", "http://h/a#frag", "http://u:p@h:1/p;x?y=(1)&z=~*'!$"})
    EXPECT_TRUE(NSURL::URLWithString(text)) << text;
}

TEST(URLTest, RejectsTextThatIsNoAddress) {
  for (const char* text : {"", "http://ex ample.com", "mailto:a b@c.de", "http://h/\xC3\xBC", "http://h/%",
                           "http://h/%2", "http://h/%G0", "http://h/a#b#c", "http://h/<x>", "http://h/\"q\"",
                           "http://h/a|b", "http://h/{x}", "http://h/a\\b", "http://h/[x]", "http://[::1/x",
                           "http://h/\t"})
    EXPECT_FALSE(NSURL::URLWithString(text)) << text;
  EXPECT_FALSE(NSURL::initWithString("http://h/ x"));
}

TEST(URLTest, RelativeReferencesResolveAgainstTheBase) {
  const NSURL base = *NSURL::URLWithString("http://a/b/c/d;p?q");
  const std::pair<const char*, const char*> cases[] = {
      {"g", "http://a/b/c/g"},    {"./g", "http://a/b/c/g"},       {"g/", "http://a/b/c/g/"},
      {"/g", "http://a/g"},       {"//g", "http://g"},             {"?y", "http://a/b/c/d;p?y"},
      {"g?y", "http://a/b/c/g?y"}, {"#s", "http://a/b/c/d;p?q#s"}, {"", "http://a/b/c/d;p?q"},
      {".", "http://a/b/c/"},     {"..", "http://a/b/"},           {"../g", "http://a/b/g"},
      {"../..", "http://a/"},     {"../../../g", "http://a/g"},    {"/./g", "http://a/g"},
      {"g/../h", "http://a/b/c/h"}, {"mailto:me@x.org", "mailto:me@x.org"},
  };
  for (const auto& [ref, expected] : cases) {
    auto resolved = NSURL::URLWithString(ref, base);
    ASSERT_TRUE(resolved) << ref;
    EXPECT_EQ(resolved->absoluteString(), expected) << ref;
  }
  EXPECT_FALSE(NSURL::URLWithString("a b", base));
}

}  // namespace
}  // namespace platform
