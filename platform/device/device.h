#pragma once
// The simulated phone: a folder on the host that holds the phone's file
// system, the application bundle installed on it, and its profile.
//
// Device paths are the absolute paths the application uses
// ("/private/var/mobile/Media/DCIM/100APPLE/"). They map below the root
// folder, except that the application bundle appears at kAppBundlePath and
// maps to the bundle's folder on the host (the project's resources/). ".."
// never leads out of the device: like "/.." on a real file system it stops
// at the top.
//
// One device is current for the process: the simulator and tests choose it
// with setCurrent(); code that asks for it before that gets a default device
// rooted in a fresh temporary folder (removed at process exit).
//
// Thread safety: every member may be called from any thread.
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <typeindex>

namespace platform {

enum class UIDeviceOrientation {
  Unknown = 0,
  Portrait = 1,
  PortraitUpsideDown = 2,
  LandscapeLeft = 3,
  LandscapeRight = 4,
  FaceUp = 5,
  FaceDown = 6,
};

struct DeviceProfile {
  std::string model = "Phone";  // contains "Phone" on a phone, e.g. "Tablet" otherwise
  std::string name = "Holdstill Phone";  // user-given, UTF-8, may hold any character
  UIDeviceOrientation orientation = UIDeviceOrientation::Portrait;
  std::string preferredLanguage = "en";  // "de", "fr", "de-CH", ...
  // The calendar moment that loop time 0 corresponds to, in seconds since
  // 1970-01-01 00:00:00 UTC, and the device's time zone as a fixed offset
  // from UTC (no daylight-saving changes).
  double clockOrigin = 1276603200;  // 2010-06-15 12:00:00 UTC
  int utcOffsetSeconds = 0;
};

class Device {
 public:
  static constexpr std::string_view kAppBundlePath = "/Applications/Holdstill.app";

  // A device rooted in `root` (created if missing) with the application
  // bundle at `appBundle` on the host; an empty `appBundle` is looked up as
  // locateAppBundle() does.
  Device(std::filesystem::path root, DeviceProfile profile, std::filesystem::path appBundle = {});
  ~Device();
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;

  static std::shared_ptr<Device> current();
  static void setCurrent(std::shared_ptr<Device> device);

  // The bundle's folder: $HOLDSTILL_RESOURCES if set, else the first
  // "resources" or "share/holdstill/resources" folder holding Info.json
  // next to the running program or in one of its parent folders (a build
  // tree links one beside its binaries; an installed copy has the second);
  // empty when there is none.
  static std::filesystem::path locateAppBundle();

  const std::filesystem::path& root() const { return root_; }
  const std::filesystem::path& appBundle() const { return appBundle_; }
  // The host path of a device path, worked out without touching the file
  // system: "." and empty parts are dropped, ".." removes the previous part
  // and stops at the top. A relative path is taken from "/".
  std::filesystem::path hostPath(std::string_view devicePath) const;

  // Whether a device path lies in the application bundle, which the
  // application may read but never change.
  bool isInAppBundle(std::string_view devicePath) const;

  DeviceProfile profile() const;
  void setOrientation(UIDeviceOrientation orientation);

  // ---- storage faults, for tests and scenarios. Writes through the
  // platform (data files, new folders, user defaults) ask claimWrite first.
  // With a free space set, each write takes its size from it and one that
  // does not fit fails as on a full disk; a read-only device refuses every
  // write, as a folder without write permission does.
  void setFreeBytes(std::optional<std::uint64_t> bytes);
  void setReadOnly(bool readOnly);
  // 0 when a write of `bytes` may go ahead (its size is then taken from
  // the free space), else the errno it fails with: EROFS or ENOSPC.
  int claimWrite(std::uint64_t bytes);

  // Per-device state of higher platform layers (user defaults, the main
  // bundle), made by `T(Device&)` on first use and destroyed with the device.
  template <class T>
  T& state() {
    const std::type_index type(typeid(T));
    {
      std::lock_guard lock(mutex_);
      if (auto found = states_.find(type); found != states_.end())
        return *static_cast<T*>(found->second.get());
    }
    // Made outside the lock: T's constructor may ask the device for its profile.
    std::shared_ptr<void> made = std::make_shared<T>(*this);
    std::lock_guard lock(mutex_);
    auto& slot = states_[type];
    if (!slot) slot = std::move(made);
    return *static_cast<T*>(slot.get());
  }

 private:
  static std::shared_ptr<Device> makeTemporary();

  const std::filesystem::path root_;
  const std::filesystem::path appBundle_;
  mutable std::mutex mutex_;
  DeviceProfile profile_;
  std::map<std::type_index, std::shared_ptr<void>> states_;
  std::optional<std::uint64_t> freeBytes_;
  bool readOnly_ = false;
  bool removeRootOnDestruction_ = false;
};

}  // namespace platform
