// The help screen: link rewriting into the user's localization, the link
// policy, the About box, the web view's life on the screen, and the page
// shown when the help index cannot be read.
#include "help/help_view_controller.h"

#include "state/module_state.h"
#include "app/simple_table_view_app_delegate.h"
#include "platform/camera/image_picker_controller.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/application.h"
#include "platform/ui/window.h"
#include "tests/platform/ui_fixture.h"

#include <filesystem>
#include <fstream>

namespace holdstill {
namespace {

using namespace platform;

TEST(HelpLinks, RelativeLinksAreRewrittenIntoTheLocalizationFolderWhateverTheirCase) {
  const std::string index =
      "<a href=\"../symboldefs.htm\">s</a> <a href=\"../INTRODUCTION.htm\">i</a> "
      "<a href=\"../SymbolDefs.htm#top\">again</a> <a href=\"../Other.htm\">o</a>";
  EXPECT_EQ(rewriteHelpLinks(index, "de.lproj"),
            "<a href=\"../de.lproj/symboldefs.htm\">s</a> <a href=\"../de.lproj/introduction.htm\">i</a> "
            "<a href=\"../de.lproj/symboldefs.htm#top\">again</a> <a href=\"../Other.htm\">o</a>");
  EXPECT_EQ(rewriteHelpLinks("no links", "fr.lproj"), "no links");
}

class Help : public testsupport::DeviceUITest {
 protected:
  void SetUp() override {
    testsupport::DeviceUITest::SetUp();
    resetModuleStateForTesting();
    vnsAppVersion = "1.0";
    app = std::make_shared<SimpleTableViewAppDelegate>();
    vAppObject = app.get();
  }
  void TearDown() override {
    picker = nullptr;
    window = nullptr;
    app = nullptr;
    testsupport::DeviceUITest::TearDown();
  }

  // A device speaking `language` whose bundle is a copy of resources/ that
  // `change` may alter first.
  void device(const std::string& language,
              const std::function<void(const std::filesystem::path&)>& change = {}) {
    std::filesystem::path bundle = HOLDSTILL_RESOURCES_DIR;
    if (change) {
      bundle = scratch() / ("bundle-" + std::to_string(++bundles_));
      std::filesystem::create_directories(bundle.parent_path());
      std::filesystem::copy(HOLDSTILL_RESOURCES_DIR, bundle, std::filesystem::copy_options::recursive);
      change(bundle);
    }
    useDevice({.preferredLanguage = language}, bundle);
  }

  // The camera picker on the screen with `help` pushed onto it, as the
  // capture screen's help button does; the loop has run the push.
  template <class Controller = HelpViewController>
  std::shared_ptr<Controller> showHelp() {
    window = std::make_shared<UIWindow>();
    window->makeKeyAndVisible();
    picker = std::make_shared<UIImagePickerController>();
    picker->setSourceType(UIImagePickerControllerSourceTypeCamera);
    window->addSubview(picker->view());
    auto help = std::make_shared<Controller>();
    picker->pushViewController(help, true);
    loop().runFor(1);
    return help;
  }

  static int webViewsIn(UIView& view) {
    int count = 0;
    for (const auto& sub : view.subviews()) count += dynamic_cast<UIWebView*>(sub.get()) ? 1 : 0;
    return count;
  }
  static std::vector<std::string> opened() { return UIApplication::sharedApplication().openedURLs(); }
  static std::filesystem::path pictures() {
    auto dir = std::filesystem::path(HOLDSTILL_TEST_OUTPUT_DIR) / "help-pictures";
    std::filesystem::create_directories(dir);
    return dir;
  }

  std::shared_ptr<SimpleTableViewAppDelegate> app;
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<UIImagePickerController> picker;
  int bundles_ = 0;
};

TEST_F(Help, LocalizationFolderFollowsTheLanguageAndFallsBackToEnglish) {
  const std::pair<const char*, const char*> cases[] = {{"de", "de.lproj"}, {"fr-CH", "fr.lproj"}, {"it", "en.lproj"}};
  for (const auto& [language, folder] : cases) {
    device(language);
    EXPECT_EQ(helpLocalizationFolder(), folder) << language;
  }
  // A language whose pages are incomplete falls back too.
  device("de", [](const auto& b) { std::filesystem::remove(b / "de.lproj/introduction.htm"); });
  EXPECT_EQ(helpLocalizationFolder(), "en.lproj");
}

// In each language the index links into that language's pages and to mail
// support; the introduction, followed from the index, fits the screen down to its link
// to the symbols, which loads in the same view. Each page is left as a
// picture for people to see.
TEST_F(Help, EachLanguagesHelpLeadsFromTheIndexToItsIntroductionAndSymbols) {
  const struct {
    const char *language, *title, *symbolsLink, *symbolsTitle;
  } cases[] = {{"en", "Help", "What the symbols mean", "Symbols"},
               {"de", "Hilfe", "Was die Symbole bedeuten", "Symbole"},
               {"fr", "Aide", "Ce que signifient les symboles", "Symboles"}};
  const auto follow = [&](UIWebView& web, const std::string& text) {
    const auto rect = web.linkRectWithText(text);
    ASSERT_TRUE(rect) << text << ": cut off or missing";
    web.activateLinkAtPoint({rect->origin.x + 2, rect->origin.y + rect->size.height / 2});
    loop().runFor(0.1);
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.language);
    resetUserInterface();
    device(c.language);
    auto help = showHelp();
    EXPECT_EQ(help->title(), c.title);
    ASSERT_TRUE(help->webView());
    EXPECT_EQ(help->view()->viewWithTag(HelpViewController::kWebViewTag), help->webView());
    const std::string folder = std::string("/Applications/Holdstill.app/") + c.language + ".lproj/";
    const auto links = help->webView()->linkAddresses();
    for (const char* page : {"introduction.htm", "symboldefs.htm"})
      EXPECT_NE(std::find(links.begin(), links.end(), "file://" + folder + page), links.end()) << page;
    window->renderToPNG((pictures() / ("help-" + std::string(c.language) + ".png")).string());
    // The mail link opens mail and keeps the page.
    follow(*help->webView(), "support@holdstill.app");
    ASSERT_FALSE(opened().empty());
    EXPECT_EQ(opened().back(), "mailto:support@holdstill.app");
    EXPECT_EQ(help->webView()->pageTitle(), "Holdstill");

    follow(*help->webView(), "Introduction");
    EXPECT_EQ(help->webView()->currentURL()->path(), folder + "introduction.htm");
    window->renderToPNG((pictures() / ("introduction-" + std::string(c.language) + ".png")).string());
    follow(*help->webView(), c.symbolsLink);
    EXPECT_EQ(help->webView()->pageTitle(), c.symbolsTitle);
    EXPECT_EQ(webViewsIn(*help->view()), 1);
  }
}

TEST_F(Help, LinkPolicyDivertsOnlyClickedMailAndLowerCaseMakerLinks) {
  device("en");
  auto help = std::make_shared<HelpViewController>();
  UIWebView web;
  // How a load starts, its address, whether the view may load it, and what leaves the application.
  const std::tuple<UIWebViewNavigationType, std::string, bool, std::vector<std::string>> cases[] = {
      {UIWebViewNavigationTypeLinkClicked, "mailto:support@holdstill.app", false,
       {"mailto:support@holdstill.app"}},
      {UIWebViewNavigationTypeLinkClicked, "http://holdstill.app/more", false, {"http://holdstill.app"}},
      {UIWebViewNavigationTypeLinkClicked, "HTTP://HOLDSTILL.APP/MORE", true, {}},
      {UIWebViewNavigationTypeFormSubmitted, "http://holdstill.app/form", true, {}},
      {UIWebViewNavigationTypeReload, "http://holdstill.app/", true, {}},
      {UIWebViewNavigationTypeOther, "mailto:someone@example.com", true, {}},
      {UIWebViewNavigationTypeLinkClicked, "file:///Applications/Holdstill.app/en.lproj/x.htm", true, {}},
  };
  for (const auto& [type, address, allowed, opens] : cases) {
    const auto before = static_cast<std::ptrdiff_t>(opened().size());
    const NSURLRequest request(*NSURL::URLWithString(address));
    EXPECT_EQ(help->webViewShouldStartLoadWithRequest(web, request, type), allowed) << address;
    const auto now = opened();
    EXPECT_EQ(std::vector(now.begin() + before, now.end()), opens) << address;
  }
}

TEST_F(Help, AboutShowsVersionMakerDomainAndOtherProductsInTheUsersLanguage) {
  device("en");
  auto help = showHelp();
  picker->navigationBar()->rightButton()->sendActionsForControlEvents(UIControlEventTouchUpInside);
  const auto alerts = UIAlertView::shownAlerts();
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0]->title(), "");
  EXPECT_EQ(alerts[0]->numberOfButtons(), 0);
  EXPECT_EQ(alerts[0]->message(),
            "Holdstill v1.0\nMade by Holdstill Labs.\nholdstill.app"
            "\n\nMore of our applications are on our web site.");
  UIScreen::mainScreen().writeSnapshotPNG((pictures() / "about-en.png").string());
  alerts[0]->touch();
  EXPECT_TRUE(UIAlertView::shownAlerts().empty()) << "a touch dismisses the About box";
  device("de");
  EXPECT_EQ(aboutMessage(), "Holdstill v1.0\nEin Programm von Holdstill Labs.\nholdstill.app"
                            "\n\nWeitere Programme von uns finden Sie auf unserer Website.");
}

TEST_F(Help, UnreadableIndexShowsAHelpNotAvailablePageInTheUsersLanguage) {
  const std::pair<const char*, std::function<void(const std::filesystem::path&)>> damages[] = {
      {"missing", [](const auto& b) { std::filesystem::remove(b / "Help/index.htm"); }},
      {"not UTF-8", [](const auto& b) { std::ofstream(b / "Help/index.htm") << "<p>Gr\xfc\xdf" "e</p>"; }},
  };
  for (const auto& [what, damage] : damages) {
    resetUserInterface();
    device("de", damage);
    auto help = showHelp();
    ASSERT_EQ(webViewsIn(*help->view()), 1) << what;
    EXPECT_EQ(help->webView()->pageText(),
              "Hilfe Die Hilfe ist nicht verfügbar: Ihre Seiten fehlen in dieser Installation oder "
              "sind beschädigt.")
        << what;
  }
  window->renderToPNG((pictures() / "help-unavailable-de.png").string());
}

// Counts the calls that reach the capture screen.
class CountingHelp : public HelpViewController {
 public:
  int restored = 0;

 protected:
  void restoreCaptureLayers() override { ++restored; }
};

// On a phone the help screen shows the bar with its two buttons; leaving
// hides the bar, then pops, then has the capture screen restore its layers.
TEST_F(Help, OnAPhoneTheBarShowsAndLeavingHidesItThenPopsAndRestoresTheCaptureLayersLater) {
  device("en");
  auto help = showHelp<CountingHelp>();
  EXPECT_FALSE(picker->isNavigationBarHidden());
  EXPECT_EQ(picker->navigationBar()->frame().size.height, 44);
  EXPECT_EQ(picker->navigationBar()->leftButton()->currentTitle(), "Back");
  EXPECT_EQ(picker->navigationBar()->rightButton()->currentTitle(), "About");
  EXPECT_EQ(help->webView()->frame().size, CGSizeMake(320, 416));
  picker->navigationBar()->leftButton()->sendActionsForControlEvents(UIControlEventTouchUpInside);
  EXPECT_TRUE(picker->isNavigationBarHidden());
  EXPECT_EQ(UIView::committedAnimations().back().duration, 0.5);
  loop().runFor(0.49);
  EXPECT_EQ(picker->topViewController(), help) << "popped before the bar was gone";
  loop().runFor(0.02);
  EXPECT_NE(picker->topViewController(), help);
  // The pop's own animation ends, the screen disappears, and only then,
  // from the run loop, the capture screen is asked.
  EXPECT_TRUE(loop().runUntil([&] { return !help->webView(); }, 1));
  EXPECT_EQ(webViewsIn(*help->view()), 0);
  EXPECT_EQ(help->restored, 0);
  loop().runFor(0);
  EXPECT_EQ(help->restored, 1);
}

TEST_F(Help, LeavingElsewherePopsAtOnceAndShowingAgainBuildsOneFreshWebView) {
  useDevice({.model = "Tablet"});
  auto help = showHelp<CountingHelp>();
  EXPECT_TRUE(picker->isNavigationBarHidden()) << "only a phone's help slides the bar in";
  const auto first = help->webView();
  help->goBack();
  loop().runFor(1);
  EXPECT_NE(picker->topViewController(), help);
  EXPECT_EQ(help->restored, 1);
  picker->pushViewController(help, true);
  loop().runFor(1);
  ASSERT_TRUE(help->webView());
  EXPECT_NE(help->webView(), first);
  EXPECT_EQ(webViewsIn(*help->view()), 1);
}

}  // namespace
}  // namespace holdstill
