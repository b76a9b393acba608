#include "storage/camera_roll_numbering.h"

#include "platform/foundation/ns_string.h"
#include "platform/foundation/string_format.h"

#include <algorithm>

namespace holdstill {

using namespace platform;

std::vector<std::string> cameraRollListingOf(std::vector<std::string> entries) {
  std::erase_if(entries, [](const std::string& entry) { return pathExtension(entry) != "JPG"; });
  std::stable_sort(entries.begin(), entries.end(), [](const std::string& a, const std::string& b) {
    return caseInsensitiveCompare(a, b) < 0;
  });
  return entries;
}

std::optional<std::size_t> newEntryPosition(const std::vector<std::string>& current,
                                            const std::vector<std::string>& previous) {
  for (std::size_t i = 0; i < current.size(); ++i)
    if (i >= previous.size() || current[i] != previous[i]) return i;
  return std::nullopt;
}

std::string fileStemOfEntry(const std::optional<std::string>& entry) {
  int number = kFallbackFileNumber;
  if (entry) {
    const std::vector<std::string> parts = componentsSeparatedByString(*entry, "_");
    if (parts.size() >= 2) number = intValue(componentsSeparatedByString(parts[1], ".").front());
  }
  return stringWithFormat("IMG_%04d", number);
}

std::string nextFileStem(const std::vector<std::string>& current, const std::vector<std::string>& previous) {
  const auto position = newEntryPosition(current, previous);
  return fileStemOfEntry(position ? std::optional(current[*position]) : std::nullopt);
}

std::optional<std::string> replaceableNewEntry(const std::vector<std::string>& current,
                                               const std::vector<std::string>& previous) {
  const auto position = newEntryPosition(current, previous);
  if (!position) return std::nullopt;
  const std::string& entry = current[*position];
  // A save writes one file: with two new entries the comparison cannot tell ours.
  const auto isNew = [&](const std::string& e) {
    return std::find(previous.begin(), previous.end(), e) == previous.end();
  };
  if (!isNew(entry) || std::count_if(current.begin(), current.end(), isNew) != 1) return std::nullopt;
  if (entry != fileStemOfEntry(entry) + ".JPG") return std::nullopt;
  return entry;
}

}  // namespace holdstill
