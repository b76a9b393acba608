#include "platform/web/web_view.h"

#include "platform/foundation/data_file.h"
#include "platform/foundation/ns_string.h"
#include "platform/graphics/graphics_stack.h"
#include "platform/runloop/run_loop.h"
#include "platform/ui/window.h"
#include "platform/web/web_page.h"

#include <algorithm>

namespace platform {
namespace {

// The URL loading system's error codes the view reports.
constexpr const char* kURLErrorDomain = "NSURLErrorDomain";
constexpr int kFileDoesNotExist = -1100, kCannotDecodeContent = -1016, kNotConnected = -1009;

}  // namespace

UIWebView::UIWebView(CGRect frame) : UIView(frame) {}

UIWebView::~UIWebView() = default;

void UIWebView::setScalesPageToFit(bool scales) {
  scalesPageToFit_ = scales;
  setNeedsDisplay();
}

void UIWebView::loadHTMLString(const std::string& html, const std::optional<NSURL>& baseURL) {
  currentIsFile_ = false;
  startLoad(beginLoad(), html, baseURL);
}

void UIWebView::loadRequest(const NSURLRequest& request) {
  follow(request, UIWebViewNavigationTypeOther);
}

bool UIWebView::shouldStart(const NSURLRequest& request, UIWebViewNavigationType type) {
  auto d = delegate_.lock();
  return !d || d->webViewShouldStartLoadWithRequest(*this, request, type);
}

void UIWebView::follow(const NSURLRequest& request, UIWebViewNavigationType type) {
  auto self = shared_from_this();  // the delegate may take the view down
  if (!shouldStart(request, type)) return;
  const NSURL& url = request.URL();
  const unsigned generation = beginLoad();
  if (!url.isFileURL()) {
    return failLoad(generation, {kURLErrorDomain, kNotConnected,
                                 "The simulated phone has no network: " + url.absoluteString()});
  }
  auto bytes = dataWithContentsOfFile(url.path());
  if (!bytes) {
    return failLoad(generation,
                    {kURLErrorDomain, kFileDoesNotExist, "No file at " + url.absoluteString()});
  }
  std::string html(bytes->begin(), bytes->end());
  if (!isValidUtf8(html)) {
    return failLoad(generation, {kURLErrorDomain, kCannotDecodeContent,
                                 "The page is not UTF-8: " + url.absoluteString()});
  }
  currentIsFile_ = true;
  startLoad(generation, std::move(html), NSURL(url));
}

unsigned UIWebView::beginLoad() {
  loading_ = true;
  return ++generation_;
}

void UIWebView::startLoad(unsigned generation, std::string html, std::optional<NSURL> base) {
  std::weak_ptr<UIView> weak = weak_from_this();
  RunLoop::main().post([weak, generation, html = std::move(html), base = std::move(base)]() mutable {
    if (auto view = std::static_pointer_cast<UIWebView>(weak.lock()))
      view->finishLoad(generation, std::move(html), std::move(base));
  });
}

void UIWebView::finishLoad(unsigned generation, std::string html, std::optional<NSURL> base) {
  if (generation != generation_) return;  // a later load took over
  auto self = shared_from_this();
  if (auto d = delegate_.lock()) d->webViewDidStartLoad(*this);
  if (generation != generation_) return;
  page_ = std::make_unique<WebPage>(html, std::move(base));
  page_->layout(bounds().size);
  currentURL_ = page_->base();
  loading_ = false;
  setNeedsDisplay();
  if (auto d = delegate_.lock()) d->webViewDidFinishLoad(*this);
}

void UIWebView::failLoad(unsigned generation, NSError error) {
  std::weak_ptr<UIView> weak = weak_from_this();
  RunLoop::main().post([weak, generation, error = std::move(error)] {
    auto view = std::static_pointer_cast<UIWebView>(weak.lock());
    if (!view || generation != view->generation_) return;
    view->loading_ = false;  // the page shown before stays
    if (auto d = view->delegate_.lock()) d->webViewDidFailLoadWithError(*view, error);
  });
}

std::string UIWebView::pageTitle() const { return page_ ? page_->title() : std::string(); }

std::string UIWebView::pageText() const { return page_ ? page_->text() : std::string(); }

CGFloat UIWebView::pageScale() const {
  if (!page_ || !scalesPageToFit_) return 1;
  const CGFloat content = page_->contentSize().width, width = bounds().size.width;
  return content > width && content > 0 ? width / content : 1;
}

std::optional<CGRect> UIWebView::linkRectWithText(const std::string& text) const {
  if (!page_) return std::nullopt;
  const std::string wanted = collapseWhiteSpace(text);
  const CGFloat scale = pageScale();
  const CGRect shown = {{0, 0}, bounds().size};
  for (const auto& link : page_->links()) {
    if (link.text != wanted || link.boxes.empty()) continue;
    const CGRect box = link.boxes.front();
    const CGRect inView = CGRectMake(box.origin.x * scale, box.origin.y * scale,
                                     box.size.width * scale, box.size.height * scale);
    const CGPoint middle = {inView.origin.x + inView.size.width / 2,
                            inView.origin.y + inView.size.height / 2};
    if (!CGRectContainsPoint(shown, middle)) return std::nullopt;
    return inView;
  }
  return std::nullopt;
}

namespace {

// Visible web views of a tree, front to back.
void visibleWebViews(const std::shared_ptr<UIView>& view, std::vector<std::shared_ptr<UIWebView>>& out) {
  if (view->isHidden() || view->alpha() <= 0) return;
  const auto subviews = view->subviews();
  for (auto it = subviews.rbegin(); it != subviews.rend(); ++it) visibleWebViews(*it, out);
  if (auto web = std::dynamic_pointer_cast<UIWebView>(view)) out.push_back(web);
}

}  // namespace

bool UIWebView::tapLinkOnScreen(const std::string& text) {
  const auto windows = UIWindow::visibleWindows();
  for (auto w = windows.rbegin(); w != windows.rend(); ++w) {
    std::vector<std::shared_ptr<UIWebView>> webViews;
    visibleWebViews(*w, webViews);
    for (const auto& web : webViews) {
      const auto rect = web->linkRectWithText(text);
      if (!rect) continue;
      const CGPoint inWindow = web->convertPointToView(
          {rect->origin.x + rect->size.width / 2, rect->origin.y + rect->size.height / 2}, nullptr);
      const CGRect f = (*w)->frame();
      return sendTapToScreen({inWindow.x + f.origin.x, inWindow.y + f.origin.y}) == web;
    }
  }
  return false;
}

std::vector<std::string> UIWebView::linkAddresses() const {
  std::vector<std::string> out;
  if (page_)
    for (const auto& link : page_->links()) out.push_back(link.address);
  return out;
}

bool UIWebView::activateLinkAtPoint(CGPoint point) {
  if (!page_) return false;
  const CGFloat scale = pageScale();
  auto link = page_->linkAt({point.x / scale, point.y / scale});
  if (!link) return false;
  auto url = NSURL::URLWithString(link->address);
  if (!url) return true;  // a link to no valid address goes nowhere
  // A link to a place in the page shown is allowed to do nothing more: there is no scrolling.
  if (currentURL_ && !url->fragment().empty() &&
      url->absoluteStringWithoutFragment() == currentURL_->absoluteStringWithoutFragment()) {
    shouldStart(NSURLRequest(*url), UIWebViewNavigationTypeLinkClicked);
    return true;
  }
  follow(NSURLRequest(*url), UIWebViewNavigationTypeLinkClicked);
  return true;
}

void UIWebView::touchesBegan(const std::vector<UITouch>&, const UIEvent&) {}

void UIWebView::touchesEnded(const std::vector<UITouch>& touches, const UIEvent&) {
  if (touches.empty()) return;
  const CGPoint p = touches.front().locationInView(this);
  if (CGRectContainsPoint(bounds(), p)) activateLinkAtPoint(p);
}

void UIWebView::layoutSubviews() {
  if (page_) page_->layout(bounds().size);
}

void UIWebView::drawRect(CGRect rect) {
  CGContextRef context = UIGraphicsGetCurrentContext();
  if (!page_ || !context) return;
  const CGFloat scale = pageScale();
  CGContextSaveGState(context);
  CGContextScaleCTM(context, scale, scale);
  page_->draw(context, CGRectMake(rect.origin.x / scale, rect.origin.y / scale,
                                  rect.size.width / scale, rect.size.height / scale));
  CGContextRestoreGState(context);
}

}  // namespace platform
