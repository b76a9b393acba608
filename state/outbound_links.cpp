#include "state/outbound_links.h"

#include "platform/foundation/string_format.h"
#include "platform/foundation/url.h"
#include "platform/ui/application.h"

#include <cmath>

namespace holdstill {

using namespace platform;

namespace {

// An address text passed through "%@" (an unchanged copy), as the links
// make their addresses.
void openAddressText(const std::string& text) {
  if (text.empty()) return;
  if (auto url = NSURL::initWithString(stringWithFormat("%@", text)))
    UIApplication::sharedApplication().openURL(*url);
}

}  // namespace

std::string mapAddressText(double latitude, double longitude) {
  if (!std::isfinite(latitude) || !std::isfinite(longitude)) return {};
  return stringWithFormat(kMapAddressFormat, std::fabs(latitude), latitude > 0 ? "N" : "S",
                          std::fabs(longitude), longitude > 0 ? "E" : "W");
}

void openMailAddress(const std::string& address) {
  if (auto url = NSURL::URLWithString(stringByAddingPercentEscapesUsingEncoding(address)))
    UIApplication::sharedApplication().openURL(*url);
}

void openHomePage() { openAddressText(std::string(kHomePageAddress)); }

void openMap(double latitude, double longitude) { openAddressText(mapAddressText(latitude, longitude)); }

}  // namespace holdstill
