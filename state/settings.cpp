#include "state/settings.h"

namespace holdstill {

bool booleanSetting(const std::optional<platform::PropertyValue>& stored) {
  return stored ? stored->boolValue() : true;
}

float accelDeltaForSensitivity(int sensitivity) { return sensitivity == 1 ? 0.25f : 0.21f; }

float accelDeltaForSensitivity(const std::optional<platform::PropertyValue>& stored) {
  return accelDeltaForSensitivity(stored ? stored->intValue() : 1);
}

}  // namespace holdstill
