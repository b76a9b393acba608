#pragma once
// Links that leave the application: a mail, our home page, a position on
// a web map. Each hands its address to the platform's opener
// (UIApplication::openURL) and ends silently when no valid address can be
// made of it. Main thread.
#include <string>
#include <string_view>

namespace holdstill {

inline constexpr std::string_view kHomePageAddress = "http://holdstill.app";
// Our web domain (lower case): the host of our home page, as the About box
// shows it, the help screen's link policy matches it and every picture's
// user comment ends with it.
inline constexpr std::string_view kMakerDomain = kHomePageAddress.substr(std::string_view("http://").size());
// Filled with |latitude|, "N" or "S", |longitude|, "E" or "W".
inline constexpr std::string_view kMapAddressFormat =
    "http://maps.google.com/maps?t=h&q=%f%%20%@,%f%%20%@";

// The map address for a position in degrees (north and east positive):
// ...?t=h&q=48.500000%20N,2.250000%20W. Exactly 0 counts as south and
// west. Empty when a coordinate is not a finite number: no map shows it.
std::string mapAddressText(double latitude, double longitude);

// Opens a mail address ("mailto:..."), percent-escaped as a whole first,
// so escapes already in it are escaped again ("%20" becomes "%2520").
void openMailAddress(const std::string& address);
void openHomePage();
void openMap(double latitude, double longitude);

}  // namespace holdstill
