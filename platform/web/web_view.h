#pragma once
// UIWebView: shows an HTML page, laid out and drawn by litehtml over Cairo.
//
// Loading is asynchronous, as on the phone: loadHTMLString and loadRequest
// return at once; the page is laid out on the main run loop, and the
// delegate then hears webViewDidFinishLoad (or webViewDidFailLoadWithError
// when a file cannot be read or is not UTF-8, or the address is not a file
// address: the simulated phone has no network). Relative addresses in the
// page (links, images, style sheets) are resolved against the base address.
//
// A tap on a link asks the delegate's webViewShouldStartLoadWithRequest
// with UIWebViewNavigationTypeLinkClicked before the link is followed.
// Pages are laid out at the view's width; with scalesPageToFit, a page
// wider than the view is drawn scaled down to fit it. A page taller than
// the view is cut off at its bottom (there is no scrolling).
// Main thread only.
#include "platform/foundation/error.h"
#include "platform/foundation/url.h"
#include "platform/ui/view.h"
#include "platform/web/url_request.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class UIWebView;
class WebPage;

enum UIWebViewNavigationType {
  UIWebViewNavigationTypeLinkClicked = 0,
  UIWebViewNavigationTypeFormSubmitted = 1,
  UIWebViewNavigationTypeBackForward = 2,
  UIWebViewNavigationTypeReload = 3,
  UIWebViewNavigationTypeFormResubmitted = 4,
  UIWebViewNavigationTypeOther = 5,
};

// Held weakly by the view; every method has a default.
class UIWebViewDelegate {
 public:
  virtual ~UIWebViewDelegate() = default;
  // Whether to load `request`; the default allows every load.
  virtual bool webViewShouldStartLoadWithRequest(UIWebView& /*webView*/,
                                                 const NSURLRequest& /*request*/,
                                                 UIWebViewNavigationType /*navigationType*/) {
    return true;
  }
  virtual void webViewDidStartLoad(UIWebView& /*webView*/) {}
  virtual void webViewDidFinishLoad(UIWebView& /*webView*/) {}
  virtual void webViewDidFailLoadWithError(UIWebView& /*webView*/, const NSError& /*error*/) {}
};

class UIWebView : public UIView {
 public:
  explicit UIWebView(CGRect frame = CGRectZero);  // initWithFrame:
  ~UIWebView() override;
  const char* className() const override { return "UIWebView"; }

  std::shared_ptr<UIWebViewDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(std::weak_ptr<UIWebViewDelegate> delegate) { delegate_ = std::move(delegate); }
  bool scalesPageToFit() const { return scalesPageToFit_; }
  void setScalesPageToFit(bool scales);

  // Shows `html` (UTF-8); relative addresses resolve against `baseURL`
  // (none: they cannot be followed).
  void loadHTMLString(const std::string& html, const std::optional<NSURL>& baseURL);
  // Loads a file address (its folder is the base for its links), after
  // asking the delegate with UIWebViewNavigationTypeOther.
  void loadRequest(const NSURLRequest& request);

  bool isLoading() const { return loading_; }
  // The address of the page shown (the base address for a string), if any.
  std::optional<NSURL> currentURL() const { return currentURL_; }
  // The page's <title>; empty when it has none.
  std::string pageTitle() const;
  // The page's text content, without markup (for tests and logs).
  std::string pageText() const;

  // The rectangle, in this view's coordinates, of the first link (an <a>
  // with an href) whose text, with white space collapsed, equals `text`;
  // nothing when the page has no such link or it lies outside the view.
  std::optional<CGRect> linkRectWithText(const std::string& text) const;
  // For scenarios: a tap on the screen at the middle of the link with
  // `text` in the frontmost visible web view that shows one. Returns
  // whether the tap reached that web view (false when no web view on the
  // screen shows such a link, or another view covers it).
  static bool tapLinkOnScreen(const std::string& text);
  // The resolved addresses of the page's links, in document order.
  std::vector<std::string> linkAddresses() const;

  // A tap at a point of the view follows the link there, if any; the view
  // keeps every touch to itself.
  void touchesBegan(const std::vector<UITouch>& touches, const UIEvent& event) override;
  void touchesEnded(const std::vector<UITouch>& touches, const UIEvent& event) override;
  // Follows the link at `point` (view coordinates) as a tap does; returns
  // whether there was a link.
  bool activateLinkAtPoint(CGPoint point);

  void drawRect(CGRect rect) override;
  void layoutSubviews() override;

 private:
  // A new load: older ones still pending are dropped when they finish.
  unsigned beginLoad();
  void startLoad(unsigned generation, std::string html, std::optional<NSURL> base);
  void finishLoad(unsigned generation, std::string html, std::optional<NSURL> base);
  void failLoad(unsigned generation, NSError error);
  // Asks the delegate about `request`; false when it refuses.
  bool shouldStart(const NSURLRequest& request, UIWebViewNavigationType type);
  void follow(const NSURLRequest& request, UIWebViewNavigationType type);
  CGFloat pageScale() const;

  std::weak_ptr<UIWebViewDelegate> delegate_;
  bool scalesPageToFit_ = false;
  bool loading_ = false;
  unsigned generation_ = 0;  // loads started; a late finish of an older one is dropped
  std::optional<NSURL> currentURL_;
  bool currentIsFile_ = false;
  std::unique_ptr<WebPage> page_;
};

}  // namespace platform
