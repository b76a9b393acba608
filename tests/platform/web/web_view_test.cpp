// The web view: links on the screen only where they can be tapped.
#include "platform/web/web_view.h"

#include "platform/foundation/data_file.h"
#include "platform/foundation/file_manager.h"
#include "platform/ui/window.h"
#include "tests/platform/ui_fixture.h"

namespace platform {
namespace {

// The title of each page as its load finishes.
class FinishedPages : public UIWebViewDelegate {
 public:
  void webViewDidFinishLoad(UIWebView& view) override { titles.push_back(view.pageTitle()); }
  std::vector<std::string> titles;
};

using WebView = testsupport::DeviceUITest;

TEST_F(WebView, AScreenTapFollowsOnlyALinkThatIsShownAndUncovered) {
  const std::string site = "/var/mobile/site/", pageB = "<title>B</title>";
  ASSERT_TRUE(NSFileManager::defaultManager().createDirectoryAtPath(site, true));
  ASSERT_TRUE(writeToFile(std::vector<uint8_t>(pageB.begin(), pageB.end()), site + "b.htm", true));
  auto window = std::make_shared<UIWindow>();
  window->makeKeyAndVisible();
  auto view = std::make_shared<UIWebView>(CGRectMake(0, 20, 320, 416));
  auto delegate = std::make_shared<FinishedPages>();
  view->setDelegate(delegate);
  window->addSubview(view);
  view->loadHTMLString("<p><a href='b.htm'>B</a></p><div style='height:900px'></div><a href='c.htm'>far</a>",
                       NSURL::fileURLWithPath(site, true));
  loop().runFor(0);
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
  EXPECT_EQ(delegate->titles, (std::vector<std::string>{"", "B"}));
}

}  // namespace
}  // namespace platform
