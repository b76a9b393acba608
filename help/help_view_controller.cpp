#include "help/help_view_controller.h"

#include "state/app_services.h"
#include "state/module_state.h"
#include "state/screen_facts.h"
#include "views/alert_view_no_buttons.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/data_file.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/ns_string.h"
#include "platform/foundation/string_format.h"
#include "platform/runloop/run_loop.h"
#include "platform/ui/navigation_controller.h"

namespace holdstill {

using namespace platform;

namespace {

constexpr double kBarAnimationSeconds = 0.5;
constexpr const char* kFallbackFolder = "en.lproj";

std::string localized(const std::string& key) {
  return NSBundle::mainBundle().localizedStringForKey(key, "", "");
}

// What the screen shows when the help index cannot be read: a short page
// in the user's language instead of an empty white screen.
std::string helpUnavailablePage() {
  return "<html><head><meta charset=\"utf-8\"></head>"
         "<body style=\"font-family: Helvetica, sans-serif; margin: 16px\"><h2>" +
         escapeHTML(localized("HelpTitle")) + "</h2><p>" + escapeHTML(localized("HelpUnavailable")) +
         "</p></body></html>";
}

// The help index decoded as UTF-8; nothing when it is missing or not UTF-8.
std::optional<std::string> readHelpIndex() {
  const std::string path = stringWithFormat("%@/Help/index.htm", NSBundle::mainBundle().bundlePath());
  auto bytes = dataWithContentsOfFile(path);
  if (!bytes) return std::nullopt;
  std::string text(bytes->begin(), bytes->end());
  if (!isValidUtf8(text)) return std::nullopt;
  return text;
}

AppServices* app() { return vAppObject.load(); }

}  // namespace

std::string rewriteHelpLinks(std::string contents, const std::string& localizationFolder) {
  replaceOccurrencesOfString(contents, "../SymbolDefs",
                             stringWithFormat("../%@/symboldefs", localizationFolder), true);
  replaceOccurrencesOfString(contents, "../Introduction",
                             stringWithFormat("../%@/introduction", localizationFolder), true);
  return contents;
}

std::string helpLocalizationFolder() {
  const auto strings = NSBundle::mainBundle().pathForResource("Localizable", "strings", "");
  if (!strings) return kFallbackFolder;
  const auto slash = strings->rfind('/');
  if (slash == std::string::npos) return kFallbackFolder;
  const std::string folder = strings->substr(0, slash);
  if (!NSFileManager::defaultManager().fileExistsAtPath(folder + "/introduction.htm"))
    return kFallbackFolder;
  return folder.substr(folder.rfind('/') + 1);
}

std::string aboutMessage() {
  // The version line, our notice in the user's language, our domain.
  return stringWithFormat("%@ v%@\n%@\n" + std::string(kMakerDomain) + "%@", localized("AppName"),
                          vnsAppVersion.value_or(""), localized("MakerNotice"), localized("OtherProducts"));
}

HelpViewController::HelpViewController() {
  setTitle(localized("HelpTitle"));
  // The items belong to this controller, so their actions may call it directly.
  navigationItem().setLeftBarButtonItem(
      std::make_shared<UIBarButtonItem>(localized("Back"), UIBarButtonItemStyleBordered,
                                        [this](UIBarButtonItem&) { goBack(); }),
      true);
  navigationItem().setRightBarButtonItem(
      std::make_shared<UIBarButtonItem>(localized("About"), UIBarButtonItemStyleBordered,
                                        [this](UIBarButtonItem&) { aboutView(); }),
      true);
}

void HelpViewController::loadView() {
  auto view = std::make_shared<UIView>(availFrame(shared_from_this()));
  view->setBackgroundColor(UIColor::whiteColor());
  view->setAutoresizesSubviews(true);
  view->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
  setView(view);
}

void HelpViewController::viewWillAppear(bool) {
  CGRect frame = availFrame(shared_from_this());
  if (auto navigation = navigationController())
    frame.size.height -= navigation->navigationBar()->frame().size.height;

  webView_ = std::make_shared<UIWebView>(frame);
  webView_->setBackgroundColor(UIColor::whiteColor());
  webView_->setScalesPageToFit(true);
  webView_->setAutoresizesSubviews(true);
  webView_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
  webView_->setDelegate(std::static_pointer_cast<HelpViewController>(shared_from_this()));

  const auto index = readHelpIndex();
  const std::string contents =
      index ? rewriteHelpLinks(*index, helpLocalizationFolder()) : helpUnavailablePage();
  const auto base = NSURL::URLWithString(stringWithFormat(
      "%@Help/", NSURL::fileURLWithPath(NSBundle::mainBundle().bundlePath(), true).absoluteString()));
  webView_->setTag(kWebViewTag);
  webView_->loadHTMLString(contents, base);
}

void HelpViewController::viewDidAppear(bool) {
  if (!isIPhoneDevice()) return;
  auto navigation = navigationController();
  if (!navigation) return;
  UIView::beginAnimations();
  UIView::setAnimationDuration(kBarAnimationSeconds);
  navigation->setNavigationBarHidden(false);
  UIView::commitAnimations();
}

void HelpViewController::viewDidDisappear(bool) {
  if (webView_) webView_->removeFromSuperview();
  webView_ = nullptr;
  std::weak_ptr<HelpViewController> weak =
      std::static_pointer_cast<HelpViewController>(shared_from_this());
  RunLoop::main().performOnMainThread(
      [weak] {
        if (auto self = weak.lock()) self->restoreCaptureLayers();
      },
      false);
}

void HelpViewController::restoreCaptureLayers() {
  if (auto host = host_.lock()) host->bringLayerToFront();
}

void HelpViewController::webViewDidFinishLoad(UIWebView& webView) {
  if (view()->viewWithTag(kWebViewTag)) return;
  view()->addSubview(webView.shared_from_this());
}

bool HelpViewController::webViewShouldStartLoadWithRequest(UIWebView&, const NSURLRequest& request,
                                                           UIWebViewNavigationType navigationType) {
  if (navigationType != UIWebViewNavigationTypeLinkClicked) return true;
  const std::string address = request.URL().absoluteString();
  if (address.find("mailto") != std::string::npos) {
    if (auto* delegate = app()) delegate->mailTo(address);
    return false;
  }
  if (address.find(kMakerDomain) != std::string::npos) {
    if (auto* delegate = app()) delegate->browseToVorlund();
    return false;
  }
  return true;
}

void HelpViewController::goBack() {
  if (!isIPhoneDevice()) return doneBarRemoval();
  auto navigation = navigationController();
  if (!navigation) return;
  std::weak_ptr<HelpViewController> weak =
      std::static_pointer_cast<HelpViewController>(shared_from_this());
  UIView::beginAnimations();
  UIView::setAnimationDuration(kBarAnimationSeconds);
  UIView::setAnimationDelegate(shared_from_this());
  UIView::setAnimationDidStopSelector([weak](const std::string&, bool, void*) {
    if (auto self = weak.lock()) self->doneBarRemoval();
  });
  navigation->setNavigationBarHidden(true);
  UIView::commitAnimations();
}

void HelpViewController::doneBarRemoval() {
  if (auto navigation = navigationController()) navigation->popViewControllerAnimated(true);
}

void HelpViewController::aboutView() {
  auto alert = std::make_shared<UIAlertViewNoButtons>(
      "", aboutMessage(), std::static_pointer_cast<HelpViewController>(shared_from_this()));
  alert->show();
}

void HelpViewController::didRotateFromInterfaceOrientation(UIInterfaceOrientation from) {
  if (auto host = host_.lock()) host->orientationChangedResize(from);
}

}  // namespace holdstill
