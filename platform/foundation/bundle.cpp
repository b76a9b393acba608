#include "platform/foundation/bundle.h"

#include "platform/device/device.h"
#include "platform/foundation/atomic_file.h"
#include "platform/foundation/json_property.h"
#include "platform/foundation/ns_string.h"
#include "platform/foundation/strings_file.h"

#include <algorithm>
#include <cctype>

namespace platform {
namespace {

constexpr std::string_view kLprojSuffix = ".lproj";

std::string lowercase(std::string text) {
  for (auto& c : text) c = char(std::tolower((unsigned char)c));
  return text;
}

}  // namespace

NSBundle& NSBundle::mainBundle() { return Device::current()->state<NSBundle>(); }

NSBundle::NSBundle(Device& device) : device_(device) {}
NSBundle::~NSBundle() = default;

std::string NSBundle::bundlePath() const { return std::string(Device::kAppBundlePath); }

std::filesystem::path NSBundle::host(std::string_view relative) const {
  return device_.hostPath(stringByAppendingPathComponent(Device::kAppBundlePath, relative));
}

std::optional<PropertyValue> NSBundle::objectForInfoDictionaryKey(const std::string& key) const {
  std::lock_guard lock(mutex_);
  if (!info_) {
    info_.emplace();
    if (auto bytes = detail::readWholeFile(host("Info.json"))) {
      auto json = nlohmann::json::parse(bytes->begin(), bytes->end(), nullptr, false);
      if (json.is_object())
        for (const auto& [name, value] : json.items())
          if (auto property = detail::propertyFromJson(value)) info_->emplace(name, *property);
    }
  }
  auto found = info_->find(key);
  if (found == info_->end()) return std::nullopt;
  return found->second;
}

std::vector<std::string> NSBundle::localizations() const {
  std::vector<std::string> found;
  std::error_code error;
  for (std::filesystem::directory_iterator it(host(""), error), end; !error && it != end;
       it.increment(error)) {
    std::string name = it->path().filename().string();
    if (name.size() > kLprojSuffix.size() && name.ends_with(kLprojSuffix) && it->is_directory(error))
      found.push_back(name.substr(0, name.size() - kLprojSuffix.size()));
  }
  std::sort(found.begin(), found.end());
  return found;
}

std::vector<std::string> NSBundle::preferredLocalizations() const {
  std::string language = device_.profile().preferredLanguage;
  std::string dashed = language, underscored = language;
  std::replace(dashed.begin(), dashed.end(), '_', '-');
  std::replace(underscored.begin(), underscored.end(), '-', '_');
  std::string base = lowercase(language.substr(0, language.find_first_of("-_")));
  auto available = localizations();
  std::vector<std::string> order;
  for (const auto& candidate : {language, dashed, underscored, base, std::string("en")}) {
    bool known = std::find(available.begin(), available.end(), candidate) != available.end();
    if (known && std::find(order.begin(), order.end(), candidate) == order.end())
      order.push_back(candidate);
  }
  return order;
}

const StringsTable& NSBundle::table(const std::string& localization, const std::string& name) const {
  auto& slot = tables_[{localization, name}];
  if (!slot) {
    slot = std::make_unique<StringsTable>();
    if (auto bytes = detail::readWholeFile(host(localization + ".lproj/" + name + ".strings")))
      *slot = parseStringsFile(*bytes);
  }
  return *slot;
}

std::string NSBundle::localizedStringForKey(const std::string& key, const std::string& value,
                                            const std::string& table) const {
  const std::string name = table.empty() ? "Localizable" : table;
  auto order = preferredLocalizations();
  std::lock_guard lock(mutex_);
  for (const auto& localization : order) {
    const auto& entries = this->table(localization, name).entries;
    if (auto found = entries.find(key); found != entries.end()) return found->second;
  }
  return value.empty() ? key : value;
}

std::optional<std::string> NSBundle::pathForResource(std::string_view name, std::string_view type,
                                                     std::string_view directory) const {
  if (auto path = pathForResource(name, type, directory, "")) return path;
  for (const auto& localization : preferredLocalizations())
    if (auto path = pathForResource(name, type, directory, localization)) return path;
  return std::nullopt;
}

std::optional<std::string> NSBundle::pathForResource(std::string_view name, std::string_view type,
                                                     std::string_view directory,
                                                     std::string_view localization) const {
  if (name.empty()) return std::nullopt;
  std::string file(name);
  if (!type.empty()) file += "." + std::string(type);
  std::string folder = localization.empty() ? std::string() : std::string(localization) + ".lproj";
  std::string relative =
      stringByAppendingPathComponent(stringByAppendingPathComponent(folder, directory), file);
  std::error_code error;
  if (!std::filesystem::exists(host(relative), error)) return std::nullopt;
  return stringByAppendingPathComponent(Device::kAppBundlePath, relative);
}

std::optional<std::string> NSBundle::pathForImageNamed(std::string_view name) const {
  if (pathExtension(name).empty()) return pathForResource(name, "png");
  return pathForResource(name, "");
}

}  // namespace platform
