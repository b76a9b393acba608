#include "platform/foundation/user_defaults.h"

#include "platform/device/device.h"
#include "platform/foundation/atomic_file.h"
#include "platform/foundation/json_property.h"

#include <cerrno>
#include <cstdio>

namespace platform {
namespace fs = std::filesystem;

struct NSUserDefaults::Store {
  nlohmann::json values = nlohmann::json::object();
};

namespace {

// The first free name beside `file`: "X.corrupt", then "X.corrupt-2", ...
fs::path setAsideName(const fs::path& file) {
  fs::path candidate = file;
  candidate += ".corrupt";
  std::error_code error;
  for (int n = 2; fs::exists(fs::symlink_status(candidate, error)); ++n) {
    candidate = file;
    candidate += ".corrupt-" + std::to_string(n);
  }
  return candidate;
}

}  // namespace

NSUserDefaults& NSUserDefaults::standardUserDefaults() {
  return Device::current()->state<NSUserDefaults>();
}

NSUserDefaults::NSUserDefaults(Device& device)
    : file_(device.hostPath(kDevicePath)), store_(std::make_unique<Store>()) {
  std::error_code error;
  if (!fs::exists(fs::symlink_status(file_, error))) {
    outcome_ = LoadOutcome::Missing;
    return;
  }
  NSError readError;
  auto bytes = detail::readWholeFile(file_, &readError);
  if (!bytes) {
    outcome_ = LoadOutcome::Unreadable;
    writable_ = false;
    std::fprintf(stderr, "platform: user defaults unreadable, not written this run: %s\n",
                 readError.localizedDescription.c_str());
    return;
  }
  auto json = nlohmann::json::parse(bytes->begin(), bytes->end(), nullptr, false);
  if (json.is_object()) {
    store_->values = std::move(json);
    outcome_ = LoadOutcome::Loaded;
    return;
  }
  fs::path aside = setAsideName(file_);
  if (std::rename(file_.c_str(), aside.c_str()) == 0) {
    outcome_ = LoadOutcome::CorruptSetAside;
    setAside_ = aside;
    std::fprintf(stderr, "platform: corrupt user defaults kept as %s\n", aside.c_str());
  } else {
    outcome_ = LoadOutcome::Unreadable;
    writable_ = false;
    std::fprintf(stderr, "platform: corrupt user defaults could not be set aside; not written this run\n");
  }
}

NSUserDefaults::~NSUserDefaults() = default;

std::optional<PropertyValue> NSUserDefaults::objectForKey(const std::string& key) const {
  std::lock_guard lock(mutex_);
  auto found = store_->values.find(key);
  if (found == store_->values.end()) return std::nullopt;
  return detail::propertyFromJson(*found);
}

void NSUserDefaults::setObject(const PropertyValue& value, const std::string& key) {
  std::lock_guard lock(mutex_);
  store_->values[key] = detail::jsonFromProperty(value);
  dirty_ = true;
  writeLocked();
}

void NSUserDefaults::removeObjectForKey(const std::string& key) {
  std::lock_guard lock(mutex_);
  if (store_->values.erase(key) == 0) return;
  dirty_ = true;
  writeLocked();
}

std::int64_t NSUserDefaults::integerForKey(const std::string& key) const {
  auto value = objectForKey(key);
  return value ? value->integerValue() : 0;
}

bool NSUserDefaults::synchronize() {
  std::lock_guard lock(mutex_);
  return writeLocked();
}

bool NSUserDefaults::writeLocked() {
  if (!writable_) return false;
  if (!dirty_) return true;
  std::string text = store_->values.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
  if (Device::current()->claimWrite(text.size()) != 0) return false;
  std::error_code error;
  fs::create_directories(file_.parent_path(), error);
  if (!detail::writeFileAtomically(file_, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())))
    return false;
  dirty_ = false;
  return true;
}

}  // namespace platform
