// Scenario texts of any bytes: read or refused with a ScenarioError, never
// anything else; a scenario read has its events in time order and its
// times within a day.
#include "sim/scenario.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace holdstill::sim;
  Scenario s;
  try {
    // Relative file names lead nowhere, so only the text is read.
    s = parseScenario(std::string_view(reinterpret_cast<const char*>(data), size), "/nonexistent/fuzz.json");
  } catch (const ScenarioError&) {
    return 0;
  }
  const auto inDay = [](double t) { return t >= 0 && t <= 86400; };
  if (!std::is_sorted(s.events.begin(), s.events.end(), [](const auto& a, const auto& b) { return a.at < b.at; }))
    std::abort();
  if (!inDay(s.until) || !std::all_of(s.events.begin(), s.events.end(), [&](const auto& e) { return inDay(e.at); }))
    std::abort();
  return 0;
}
