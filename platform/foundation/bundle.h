#pragma once
// NSBundle: the application bundle installed on the current device (the
// project's resources/ folder, seen at Device::kAppBundlePath).
//
//   resources/Info.json                  info dictionary (a JSON object)
//   resources/<name>.<type>              resources for every language
//   resources/<lang>.lproj/...           localized resources and string tables
//
// Localized lookups try the device's preferred language ("de-CH", then
// "de"), then English; a string table entry missing in the preferred
// language is taken from English. Paths handed out are device paths.
// Any thread.
#include "platform/foundation/property_value.h"

#include <filesystem>
#include <memory>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

class Device;
struct StringsTable;

class NSBundle {
 public:
  // The current device's application bundle; it lives as long as that
  // device (do not keep the reference across Device::setCurrent).
  static NSBundle& mainBundle();
  explicit NSBundle(Device& device);
  ~NSBundle();

  std::string bundlePath() const;

  // A value of Info.json: a boolean, number or text; nothing for a missing
  // key, another kind of value, or a missing or malformed Info.json.
  std::optional<PropertyValue> objectForInfoDictionaryKey(const std::string& key) const;

  // The text for `key` in the string table `table` ("" means
  // "Localizable"); when no language has it, `value`, or the key itself
  // when `value` is empty.
  std::string localizedStringForKey(const std::string& key, const std::string& value,
                                    const std::string& table) const;

  // The device path of resource `name`.`type` (an empty type: `name` holds
  // the whole file name) in `directory` of the bundle: first the bundle's
  // own folders, then the language folders in lookup order. Nothing when
  // it does not exist.
  std::optional<std::string> pathForResource(std::string_view name, std::string_view type,
                                             std::string_view directory = {}) const;
  // The same in one language's folder only ("fr" looks in fr.lproj).
  std::optional<std::string> pathForResource(std::string_view name, std::string_view type,
                                             std::string_view directory,
                                             std::string_view localization) const;
  // Where an image named as the application names images lies: "help.png",
  // or "help" meaning "help.png"; searched like pathForResource.
  std::optional<std::string> pathForImageNamed(std::string_view name) const;

  // Languages with a folder in the bundle ("de", "en", "fr"), sorted.
  std::vector<std::string> localizations() const;
  // Languages in lookup order for the device's preferred language, e.g.
  // {"de", "en"}; only those the bundle has.
  std::vector<std::string> preferredLocalizations() const;

 private:
  const StringsTable& table(const std::string& localization, const std::string& name) const;
  std::filesystem::path host(std::string_view relative) const;

  Device& device_;
  mutable std::mutex mutex_;
  mutable std::optional<std::map<std::string, PropertyValue>> info_;
  mutable std::map<std::pair<std::string, std::string>, std::unique_ptr<StringsTable>> tables_;
};

}  // namespace platform
