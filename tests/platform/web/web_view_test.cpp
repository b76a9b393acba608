// The web view: loading on the run loop, links resolved and asked about
// before they are followed, failures, scaling, and what a page looks like.
#include "platform/web/web_view.h"

#include "platform/foundation/data_file.h"
#include "platform/foundation/file_manager.h"
#include "platform/graphics/image_codec.h"
#include "platform/ui/ui_state.h"
#include "platform/ui/window.h"
#include "tests/platform/device_fixture.h"
#include "tests/platform/pixel_support.h"

#include <filesystem>

namespace platform {
namespace {

using Log = std::vector<std::string>;

class RecordingWebDelegate : public UIWebViewDelegate {
 public:
  bool webViewShouldStartLoadWithRequest(UIWebView&, const NSURLRequest& request,
                                         UIWebViewNavigationType type) override {
    log.push_back("should " + std::to_string(type) + " " + request.URL().absoluteString());
    return allow;
  }
  void webViewDidFinishLoad(UIWebView& view) override { log.push_back("finish " + view.pageTitle()); }
  void webViewDidFailLoadWithError(UIWebView&, const NSError& error) override {
    log.push_back("fail " + std::to_string(error.code));
  }
  Log log;
  bool allow = true;
};

constexpr const char* kSite = "/var/mobile/site/";

class WebView : public testsupport::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    resetUserInterface();
    ASSERT_TRUE(NSFileManager::defaultManager().createDirectoryAtPath(kSite, true));
    view = std::make_shared<UIWebView>(CGRectMake(0, 0, 320, 416));
    view->setDelegate(delegate);
  }
  void TearDown() override {
    view = nullptr;
    resetUserInterface();
    DeviceTest::TearDown();
  }
  static void writePage(const std::string& name, const std::string& html) {
    ASSERT_TRUE(writeToFile(std::vector<uint8_t>(html.begin(), html.end()), kSite + name, true));
  }
  static NSURL site() { return NSURL::fileURLWithPath(kSite, true); }
  // Taps the link with `text` as a finger would, at its middle.
  void tapLink(const std::string& text) {
    auto rect = view->linkRectWithText(text);
    ASSERT_TRUE(rect) << "no link " << text;
    EXPECT_TRUE(view->activateLinkAtPoint({rect->origin.x + rect->size.width / 2,
                                           rect->origin.y + rect->size.height / 2}));
  }

  std::shared_ptr<UIWebView> view;
  std::shared_ptr<RecordingWebDelegate> delegate = std::make_shared<RecordingWebDelegate>();
};

TEST_F(WebView, StringLoadsFinishOnTheRunLoopWithLinksResolvedAgainstTheBase) {
  view->loadHTMLString(
      "<html><head><title>Start</title></head><body><h1>Hello</h1>"
      "<p><a href='../other/b.htm'>Other</a> and <a href='mailto:me@example.com'>mail</a></p>"
      "</body></html>",
      NSURL::URLWithString("file:///var/mobile/site/index/"));
  EXPECT_TRUE(view->isLoading());
  EXPECT_TRUE(delegate->log.empty()) << "reported before the run loop ran";
  loop().runFor(0);
  EXPECT_EQ(delegate->log, Log{"finish Start"});
  EXPECT_FALSE(view->isLoading());
  EXPECT_EQ(view->pageText(), "Hello Other and mail");
  EXPECT_EQ(view->linkAddresses(),
            (std::vector<std::string>{"file:///var/mobile/site/other/b.htm", "mailto:me@example.com"}));
}

TEST_F(WebView, TappedLinkIsAskedAboutAsClickedAndFollowedOnlyWhenAllowed) {
  writePage("b.htm", "<title>B</title><p>Page B</p><a href='index.htm'>Home</a>");
  view->loadHTMLString("<title>A</title><p><a href='b.htm'>Go to B</a></p>", site());
  loop().runFor(0);

  delegate->allow = false;
  tapLink("Go to B");
  loop().runFor(0);
  EXPECT_EQ(delegate->log.back(), "should 0 file:///var/mobile/site/b.htm");
  EXPECT_EQ(view->pageTitle(), "A") << "a refused link was followed";

  delegate->allow = true;
  tapLink("Go   to B");  // white space in the text collapses
  loop().runFor(0);
  EXPECT_EQ(delegate->log.back(), "finish B");
  EXPECT_EQ(view->currentURL()->absoluteString(), "file:///var/mobile/site/b.htm");
  EXPECT_EQ(view->pageText(), "Page B Home");

  view->reload();
  loop().runFor(0);
  EXPECT_EQ(delegate->log[delegate->log.size() - 2], "should 3 file:///var/mobile/site/b.htm");
  EXPECT_FALSE(view->activateLinkAtPoint({300, 400})) << "no link there";
}

TEST_F(WebView, FailedLoadsAreReportedAndKeepThePageShown) {
  const std::string notUtf8 = "<p>caf\xe9</p>";
  writePage("latin1.htm", notUtf8);
  view->loadHTMLString("<title>Kept</title><p>still here</p>", site());
  loop().runFor(0);
  struct Case {
    std::string address;
    int code;
  };
  const Case cases[] = {{"file:///var/mobile/site/missing.htm", -1100},
                        {"file:///var/mobile/site/latin1.htm", -1016},
                        {"http://example.com/", -1009}};
  for (const auto& c : cases) {
    view->loadRequest(NSURLRequest(*NSURL::URLWithString(c.address)));
    loop().runFor(0);
    EXPECT_EQ(delegate->log.back(), "fail " + std::to_string(c.code)) << c.address;
    EXPECT_EQ(view->pageTitle(), "Kept");
    EXPECT_FALSE(view->isLoading());
  }
}

TEST_F(WebView, EachOfStackedLinksInPaddedBoxesIsFoundWhereItIsDrawn) {
  view->loadHTMLString(
      "<div style='padding:12px;margin:20px'><a href='one.htm'>First link</a><p>text</p></div>"
      "<div style='padding:30px 40px'><span>see <a href='two.htm'>the <b>second</b> link</a></span></div>",
      site());
  loop().runFor(0);
  const auto first = view->linkRectWithText("First link");
  const auto second = view->linkRectWithText("the second link");
  ASSERT_TRUE(first && second);
  EXPECT_GE(first->origin.x, 8 + 20 + 12);  // body margin, box margin, padding
  EXPECT_GT(second->origin.y, CGRectGetMaxY(*first));
  EXPECT_GT(second->origin.x, 8 + 40);
  delegate->allow = false;
  tapLink("the second link");
  EXPECT_EQ(delegate->log.back(), "should 0 file:///var/mobile/site/two.htm");
  tapLink("First link");
  EXPECT_EQ(delegate->log.back(), "should 0 file:///var/mobile/site/one.htm");
}

TEST_F(WebView, OnlyTheLatestOfQuickLoadsIsReported) {
  view->loadHTMLString("<title>first</title>", site());
  view->loadHTMLString("<title>second</title>", site());
  loop().runFor(0);
  EXPECT_EQ(delegate->log, Log{"finish second"});
}

TEST_F(WebView, WidePageIsScaledToFitOnlyWhenAsked) {
  const std::string wide = "<div style='width:640px'><a href='x.htm'>wide link</a></div>";
  view->loadHTMLString(wide, site());
  loop().runFor(0);
  const auto natural = view->linkRectWithText("wide link");
  ASSERT_TRUE(natural);
  view->setScalesPageToFit(true);
  const auto scaled = view->linkRectWithText("wide link");
  ASSERT_TRUE(scaled);
  EXPECT_NEAR(scaled->size.width, natural->size.width / 2, 1);
  EXPECT_FALSE(view->linkRectWithText("no such link"));
}

TEST_F(WebView, LinkBelowTheVisiblePartHasNoRectangle) {
  view->loadHTMLString("<div style='height:900px'>tall</div><a href='x.htm'>far</a>", site());
  loop().runFor(0);
  EXPECT_FALSE(view->linkRectWithText("far"));
  EXPECT_EQ(view->linkAddresses().size(), 1u);
}

TEST_F(WebView, PageDrawsTextLinksBackgroundsAndImagesFromFiles) {
  auto red = std::make_shared<const CGImage>(24, 24, std::vector<uint32_t>(24 * 24, 0xffff0000));
  ASSERT_TRUE(writeToFile(encodePNG(*red), std::string(kSite) + "red.png", true));
  view->setBackgroundColor(UIColor::whiteColor());
  view->loadHTMLString(
      "<html><body style='margin:0;font-family:Helvetica'>"
      "<div style='background:#00ff00;height:20px'></div>"
      "<img src='red.png' style='display:block'>"
      "<h1 style='margin:4px 0'>Steady shot</h1>"
      "<p><a href='a.htm'>A link to follow</a></p><ul><li>one</li><li>two</li></ul>"
      "</body></html>",
      site());
  loop().runFor(0);
  const auto pixels = testsupport::renderView(*view);
  EXPECT_TRUE(testsupport::near(pixels->colorAt(100, 10), {0, 255, 0, 255}));
  EXPECT_TRUE(testsupport::near(pixels->colorAt(12, 32), testsupport::kRed));
  // Some dark heading text and some blue link text are on the page.
  int dark = 0, blue = 0;
  for (int y = 44; y < 150; ++y)
    for (int x = 0; x < 320; ++x) {
      const RGBA8 c = pixels->colorAt(x, y);
      if (c.red < 60 && c.green < 60 && c.blue < 60) ++dark;
      if (c.blue > 120 && c.red < 60) ++blue;
    }
  EXPECT_GT(dark, 100);
  EXPECT_GT(blue, 30);
  const auto dir = std::filesystem::path(HOLDSTILL_TEST_OUTPUT_DIR) / "web-pictures";
  std::filesystem::create_directories(dir);
  writePNGFile(*pixels, (dir / "page.png").string());
}

TEST_F(WebView, ATapOnScreenFollowsTheLink) {
  writePage("b.htm", "<title>B</title>");
  auto window = std::make_shared<UIWindow>();
  window->makeKeyAndVisible();
  window->addSubview(view);
  view->loadHTMLString("<p><a href='b.htm'>B</a></p>", site());
  loop().runFor(0);
  EXPECT_FALSE(UIWebView::tapLinkOnScreen("C")) << "no such link";
  EXPECT_TRUE(UIWebView::tapLinkOnScreen("B"));
  loop().runFor(0);
  EXPECT_EQ(delegate->log.back(), "finish B");
}

TEST_F(WebView, ACoveredLinkCannotBeTappedOnScreen) {
  auto window = std::make_shared<UIWindow>();
  window->makeKeyAndVisible();
  view->setFrame(CGRectMake(0, 20, 320, 416));
  window->addSubview(view);
  view->loadHTMLString("<p><a href='b.htm'>B</a></p>", site());
  loop().runFor(0);
  auto cover = std::make_shared<UIView>(CGRectMake(0, 0, 320, 480));
  window->addSubview(cover);
  EXPECT_FALSE(UIWebView::tapLinkOnScreen("B"));
  cover->removeFromSuperview();
  view->setHidden(true);
  EXPECT_FALSE(UIWebView::tapLinkOnScreen("B"));
  EXPECT_EQ(delegate->log, Log{"finish "});
}

}  // namespace
}  // namespace platform
