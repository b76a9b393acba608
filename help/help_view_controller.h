#pragma once
// HelpViewController: the help screen. The capture screen pushes it onto
// the camera picker (a navigation controller). It shows the bundle's help
// index in a web view, with its links to the symbol definitions and the
// introduction pointed into the user's localization folder (English when
// that folder has no help pages); "Back" on the left of the navigation bar
// leaves, "About" on the right shows the About box. Mail links and links to
// our web site leave the application through the delegate's outbound
// links; every other link loads inside the help view.
//
// When the help index is missing or not UTF-8, the screen shows a short
// page saying that help is not available (localized "HelpUnavailable")
// instead of an empty white screen. Main thread only.
#include "help/help_host.h"
#include "state/outbound_links.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/view_controller.h"
#include "platform/web/web_view.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace holdstill {

// The help index with its "../SymbolDefs" and "../Introduction" links
// (found without regard to case) pointed into `localizationFolder`
// ("de.lproj"): "../de.lproj/symboldefs", "../de.lproj/introduction".
std::string rewriteHelpLinks(std::string contents, const std::string& localizationFolder);

// The localization folder whose help pages the links point into: the
// folder of the current localization's Localizable.strings when it holds
// an introduction.htm, otherwise "en.lproj".
std::string helpLocalizationFolder();

// The About box's message: "<AppName> v<version>", our notice, a line
// break, our domain, then the localized "OtherProducts" directly.
std::string aboutMessage();

class HelpViewController : public platform::UIViewController,
                           public platform::UIAlertViewDelegate,
                           public platform::UIWebViewDelegate {
 public:
  static constexpr int kWebViewTag = 99;

  HelpViewController();  // init: title and the Back and About buttons
  const char* className() const override { return "HelpViewController"; }

  // A white view of availFrame, stretching with its superview.
  void loadView() override;
  // Builds a fresh web view and starts loading the help index.
  void viewWillAppear(bool animated) override;
  // On a phone, slides the navigation bar in over 0.5 s.
  void viewDidAppear(bool animated) override;
  // Drops the web view and asks the capture screen, on the main run loop,
  // to bring its camera layers to the front.
  void viewDidDisappear(bool animated) override;

  // ---- web view delegate
  // Adds the web view to the screen once its first page has loaded.
  void webViewDidFinishLoad(platform::UIWebView& webView) override;
  // Clicked mail links and links to our domain leave the application
  // (and are refused here); every other load is allowed.
  bool webViewShouldStartLoadWithRequest(platform::UIWebView& webView,
                                         const platform::NSURLRequest& request,
                                         platform::UIWebViewNavigationType navigationType) override;

  // ---- navigation bar buttons
  // On a phone, hides the bar over 0.5 s and then pops (doneBarRemoval);
  // elsewhere pops at once.
  void goBack();
  void doneBarRemoval();
  // Shows the About box (a buttonless alert any touch dismisses).
  void aboutView();

  // ---- alert delegate: nothing to do
  void alertViewCancel(platform::UIAlertView&) override {}
  void alertViewClickedButtonAtIndex(platform::UIAlertView&, int) override {}

  bool shouldAutorotateToInterfaceOrientation(platform::UIInterfaceOrientation) override {
    return false;
  }
  // Passed on to the host's orientationChangedResize.
  void didRotateFromInterfaceOrientation(platform::UIInterfaceOrientation from) override;

  std::shared_ptr<platform::UIWebView> webView() const { return webView_; }
  // The screen that pushes this one and is called back by it; not owned.
  void setHost(std::weak_ptr<HelpHost> host) { host_ = std::move(host); }

 protected:
  // Runs the host's bringLayerToFront (queued by viewDidDisappear).
  virtual void restoreCaptureLayers();

 private:
  std::shared_ptr<platform::UIWebView> webView_;
  std::weak_ptr<HelpHost> host_;
};

}  // namespace holdstill
