#pragma once
// The application's settings: the user-defaults keys and how a stored
// value (or its absence) becomes the value the application runs with.
// Keys are case-sensitive. All are read once, at launch.
#include "platform/foundation/property_value.h"

#include <optional>
#include <string>

namespace holdstill {

inline const std::string kRecordGPSKey = "RECORDGPS";      // boolean; absent: true
inline const std::string kShowSplashKey = "SHOWSPLASH";    // boolean; absent: true
inline const std::string kSensitivityKey = "SENSITIVITY";  // integer; absent: 1
inline const std::string kLastVersionKey = "LASTVERSION";  // text, written by the application
// The bundle's version, in its info dictionary.
inline const std::string kBundleVersionKey = "CFBundleShortVersionString";

// A boolean setting: the stored value's boolValue, or true when absent.
bool booleanSetting(const std::optional<platform::PropertyValue>& stored);

// The steadiness threshold for a sensitivity: 0.25 for 1, 0.21 for any
// other integer. An absent setting counts as 1; a stored one of another
// type counts as its intValue.
float accelDeltaForSensitivity(int sensitivity);
float accelDeltaForSensitivity(const std::optional<platform::PropertyValue>& stored);

}  // namespace holdstill
