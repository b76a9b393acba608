// The web view: links asked about before they are followed, failed loads
// that keep the page, and links on the screen only where they can be tapped.
#include "platform/web/web_view.h"

#include "platform/foundation/data_file.h"
#include "platform/foundation/file_manager.h"
#include "platform/ui/ui_state.h"
#include "platform/ui/window.h"
#include "tests/platform/device_fixture.h"

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
  // Loads `html` with the site folder as its base and lets the load finish.
  void show(const std::string& html) {
    view->loadHTMLString(html, NSURL::fileURLWithPath(kSite, true));
    loop().runFor(0);
  }

  std::shared_ptr<UIWebView> view;
  std::shared_ptr<RecordingWebDelegate> delegate = std::make_shared<RecordingWebDelegate>();
};

TEST_F(WebView, AScreenTapFollowsOnlyALinkThatIsShownAndUncovered) {
  writePage("b.htm", "<title>B</title>");
  auto window = std::make_shared<UIWindow>();
  window->makeKeyAndVisible();
  view->setFrame(CGRectMake(0, 20, 320, 416));
  window->addSubview(view);
  show("<p><a href='b.htm'>B</a></p><div style='height:900px'></div><a href='c.htm'>far</a>");
  EXPECT_FALSE(UIWebView::tapLinkOnScreen("C")) << "no such link";
  EXPECT_FALSE(UIWebView::tapLinkOnScreen("far")) << "below the visible part";
  auto cover = std::make_shared<UIView>(CGRectMake(0, 0, 320, 480));
  window->addSubview(cover);
  EXPECT_FALSE(UIWebView::tapLinkOnScreen("B"));
  cover->removeFromSuperview();
  view->setHidden(true);
  EXPECT_FALSE(UIWebView::tapLinkOnScreen("B"));
  view->setHidden(false);
  EXPECT_TRUE(UIWebView::tapLinkOnScreen("B"));
  loop().runFor(0);
  EXPECT_EQ(delegate->log.back(), "finish B");
}

}  // namespace
}  // namespace platform
