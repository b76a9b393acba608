// The device check and the frame a screen on the navigation controller may fill.
#include "app/screen_facts.h"
#include "tests/app/app_fixture.h"

#include <gtest/gtest.h>

namespace holdstill {
namespace {

using namespace platform;
using ScreenFacts = testing::AppTest;

TEST_F(ScreenFacts, APhoneIsAModelWithPhoneInIt) {
  for (const auto& [model, phone] : std::vector<std::pair<std::string, bool>>{
           {"Phone", true}, {"SmartPhone 3G", true}, {"phone", false}, {"PHONE", false}, {"Tablet", false}, {"", false}}) {
    useDevice({.model = model});
    EXPECT_EQ(isIPhoneDevice(), phone) << model;
  }
}

TEST_F(ScreenFacts, TheAvailableFrameIsTheNavigationViewLessAVisibleBarAtTheOrigin) {
  EXPECT_EQ(availFrame(nullptr), CGRectMake(0, 0, 320, 460));
  auto loose = std::make_shared<UIViewController>();
  EXPECT_EQ(availFrame(loose), CGRectMake(0, 0, 320, 460));

  auto top = std::make_shared<UIViewController>();
  auto navigation = UINavigationController::initWithRootViewController(top);
  EXPECT_EQ(availFrame(top), CGRectMake(0, 0, 320, 416));
  navigation->view()->setFrame(CGRectMake(10, 20, 200, 300));
  EXPECT_EQ(availFrame(top), CGRectMake(0, 0, 200, 256));
  navigation->setNavigationBarHidden(true);
  EXPECT_EQ(SimpleTableViewAppDelegate::availFrame(top), CGRectMake(0, 0, 200, 300));
}

}  // namespace
}  // namespace holdstill
