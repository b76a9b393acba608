#pragma once
// NSUserDefaults: the application's settings on the current device, kept in
// one JSON object at kDevicePath with their types (true, 1, 0.21, "1.0").
//
// Reading: a missing file means no settings. A file that is not a JSON
// object is corrupt: it is renamed aside (".corrupt", ".corrupt-2", ...)
// and the application starts from no settings. A file that exists but
// cannot be read, or that cannot be set aside, is left alone and never
// written: settings then live in memory only and synchronize() fails.
// Keys whose values are not a boolean, number or text (arrays, objects,
// null) read as absent and are kept when the file is written again.
//
// Writing: every change is written through at once, all-or-nothing (see
// writeToFile); synchronize() retries a write that failed and reports
// whether the store is on disk. Any thread.
#include "platform/foundation/property_value.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

class Device;

class NSUserDefaults {
 public:
  static constexpr std::string_view kDevicePath = "/private/var/mobile/Library/Preferences/Holdstill.json";

  enum class LoadOutcome { Loaded, Missing, CorruptSetAside, Unreadable };

  // The current device's defaults; they live as long as that device (do
  // not keep the reference across Device::setCurrent).
  static NSUserDefaults& standardUserDefaults();
  explicit NSUserDefaults(Device& device);
  ~NSUserDefaults();

  std::optional<PropertyValue> objectForKey(const std::string& key) const;
  void setObject(const PropertyValue& value, const std::string& key);
  void setBool(bool value, const std::string& key) { setObject(PropertyValue(value), key); }
  void setInteger(std::int64_t value, const std::string& key) { setObject(PropertyValue(value), key); }
  void setDouble(double value, const std::string& key) { setObject(PropertyValue(value), key); }
  void removeObjectForKey(const std::string& key);
  std::int64_t integerForKey(const std::string& key) const;

  bool synchronize();

  // What reading the file found, and where a corrupt file was put.
  LoadOutcome loadOutcome() const { return outcome_; }
  const std::filesystem::path& setAsidePath() const { return setAside_; }

 private:
  struct Store;
  bool writeLocked();

  const std::filesystem::path file_;
  mutable std::mutex mutex_;
  std::unique_ptr<Store> store_;
  LoadOutcome outcome_ = LoadOutcome::Missing;
  std::filesystem::path setAside_;
  bool writable_ = true;
  bool dirty_ = false;
};

}  // namespace platform
