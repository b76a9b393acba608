// Addresses: which texts are valid, their parts, and percent escaping.
#include "platform/foundation/url.h"
#include "tests/platform/device_fixture.h"

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

TEST(URLTest, PartsOfAnAddress) {
  auto url = NSURL::URLWithString("http://maps.example.com:80/maps/a%20b?t=h&q=1%20N#top");
  ASSERT_TRUE(url);
  EXPECT_EQ(url->scheme(), "http");
  EXPECT_EQ(url->host(), "maps.example.com");
  EXPECT_EQ(url->path(), "/maps/a b");
  EXPECT_EQ(url->query(), "t=h&q=1%20N");
  EXPECT_EQ(url->fragment(), "top");
  auto mail = NSURL::URLWithString("mailto:someone@example.com");
  EXPECT_EQ(mail->scheme(), "mailto");
  EXPECT_EQ(mail->host(), "");
  EXPECT_EQ(mail->path(), "someone@example.com");
}

TEST(URLTest, EscapingCoversWhatAddressesForbidAndThePercentSign) {
  EXPECT_EQ(stringByAddingPercentEscapesUsingEncoding("mailto:a%20b@c.de"), "mailto:a%2520b@c.de");
  EXPECT_EQ(stringByAddingPercentEscapesUsingEncoding("mailto:Zo\xC3\xAB <z@c.de>"),
            "mailto:Zo%C3%AB%20%3Cz@c.de%3E");
  EXPECT_EQ(stringByAddingPercentEscapesUsingEncoding("a\"\\^`{|}[]b"), "a%22%5C%5E%60%7B%7C%7D%5B%5Db");
  const std::string kept = "AZaz09!$&'()*+,-./:;=?@_~#";
  EXPECT_EQ(stringByAddingPercentEscapesUsingEncoding(kept), kept);
  EXPECT_TRUE(NSURL::URLWithString(stringByAddingPercentEscapesUsingEncoding("mailto:x y%z\xE2\x82\xAC@h")));
  EXPECT_EQ(stringByReplacingPercentEscapesUsingEncoding("a%2520b"), "a%20b");
  EXPECT_FALSE(stringByReplacingPercentEscapesUsingEncoding("%FF"));
}

class FileURLTest : public testsupport::DeviceTest {};

TEST_F(FileURLTest, FolderAddressesEndWithASlash) {
  auto bundle = NSURL::fileURLWithPath("/Applications/Holdstill.app");
  EXPECT_EQ(bundle.absoluteString(), "file:///Applications/Holdstill.app/");
  EXPECT_TRUE(bundle.isFileURL());
  auto spaced = NSURL::fileURLWithPath("/a b/c#d.htm", false);
  EXPECT_EQ(spaced.absoluteString(), "file:///a%20b/c%23d.htm");
  EXPECT_EQ(spaced.path(), "/a b/c#d.htm");
  EXPECT_TRUE(NSURL::URLWithString(spaced.absoluteString()));
}

}  // namespace
}  // namespace platform

namespace platform {
namespace {

TEST(URLTest, RelativeReferencesResolveAgainstTheBase) {
  const NSURL base = *NSURL::URLWithString("http://a/b/c/d;p?q");
  const std::pair<const char*, const char*> cases[] = {
      {"g", "http://a/b/c/g"},          {"./g", "http://a/b/c/g"},
      {"g/", "http://a/b/c/g/"},        {"/g", "http://a/g"},
      {"//g", "http://g"},              {"?y", "http://a/b/c/d;p?y"},
      {"g?y", "http://a/b/c/g?y"},      {"#s", "http://a/b/c/d;p?q#s"},
      {"", "http://a/b/c/d;p?q"},       {".", "http://a/b/c/"},
      {"..", "http://a/b/"},            {"../g", "http://a/b/g"},
      {"../..", "http://a/"},           {"../../../g", "http://a/g"},
      {"/./g", "http://a/g"},           {"g/../h", "http://a/b/c/h"},
      {"mailto:me@x.org", "mailto:me@x.org"},
  };
  for (const auto& [ref, expected] : cases) {
    auto resolved = NSURL::URLWithString(ref, base);
    ASSERT_TRUE(resolved) << ref;
    EXPECT_EQ(resolved->absoluteString(), expected) << ref;
  }
  EXPECT_FALSE(NSURL::URLWithString("a b", base));
}

TEST(URLTest, HelpLinksResolveIntoTheBundle) {
  const NSURL help = *NSURL::URLWithString("file:///Applications/Holdstill.app/Help/");
  EXPECT_EQ(NSURL::URLWithString("../de.lproj/symboldefs.htm", help)->path(),
            "/Applications/Holdstill.app/de.lproj/symboldefs.htm");
  EXPECT_EQ(NSURL::URLWithString("x.htm#top", help)->absoluteStringWithoutFragment(),
            "file:///Applications/Holdstill.app/Help/x.htm");
}

}  // namespace
}  // namespace platform
