#include "platform/device/device.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <system_error>
#include <vector>

#include <stdlib.h>  // mkdtemp

namespace platform {
namespace {

std::mutex currentMutex;
std::shared_ptr<Device> currentDevice;  // guarded by currentMutex

std::vector<std::string> devicePathParts(std::string_view devicePath) {
  std::vector<std::string> parts;
  std::size_t at = 0;
  while (at <= devicePath.size()) {
    std::size_t end = devicePath.find('/', at);
    if (end == std::string_view::npos) end = devicePath.size();
    std::string_view part = devicePath.substr(at, end - at);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.emplace_back(part);
    }
    at = end + 1;
  }
  return parts;
}

// The parts of the bundle's device path, worked out once.
const std::vector<std::string>& bundleParts() {
  static const std::vector<std::string> parts = devicePathParts(Device::kAppBundlePath);
  return parts;
}

bool startsWithBundle(const std::vector<std::string>& parts) {
  const auto& bundle = bundleParts();
  return parts.size() >= bundle.size() && std::equal(bundle.begin(), bundle.end(), parts.begin());
}

}  // namespace

Device::Device(std::filesystem::path root, DeviceProfile profile, std::filesystem::path appBundle)
    : root_(std::move(root)),
      appBundle_(appBundle.empty() ? locateAppBundle() : std::move(appBundle)),
      profile_(std::move(profile)) {
  std::error_code error;
  std::filesystem::create_directories(root_, error);
  if (!std::filesystem::is_directory(root_))
    throw std::runtime_error("device root is not a usable folder: " + root_.string());
}

Device::~Device() {
  if (!removeRootOnDestruction_) return;
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

std::shared_ptr<Device> Device::makeTemporary() {
  auto pattern = (std::filesystem::temp_directory_path() / "holdstill-device-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr)
    throw std::runtime_error("cannot create a temporary device folder in " +
                             std::filesystem::temp_directory_path().string());
  auto device = std::make_shared<Device>(pattern, DeviceProfile{});
  device->removeRootOnDestruction_ = true;
  return device;
}

std::shared_ptr<Device> Device::current() {
  std::lock_guard lock(currentMutex);
  if (!currentDevice) currentDevice = makeTemporary();
  return currentDevice;
}

void Device::setCurrent(std::shared_ptr<Device> device) {
  std::shared_ptr<Device> previous;
  std::lock_guard lock(currentMutex);
  previous = std::move(currentDevice);
  currentDevice = std::move(device);
}

std::filesystem::path Device::locateAppBundle() {
  if (const char* env = std::getenv("HOLDSTILL_RESOURCES"); env && *env) return env;
  std::error_code error;
  auto dir = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
  for (int level = 0; !error && level < 6 && !dir.empty(); ++level) {
    // A build or source tree, or an installed copy (prefix/bin/holdstill).
    for (const auto& candidate : {dir / "resources", dir / "share/holdstill/resources"}) {
      std::error_code missing;
      if (std::filesystem::exists(candidate / "Info.json", missing)) return candidate;
    }
    if (dir == dir.parent_path()) break;
    dir = dir.parent_path();
  }
  return {};
}

bool Device::isInAppBundle(std::string_view devicePath) const {
  return startsWithBundle(devicePathParts(devicePath));
}

std::filesystem::path Device::hostPath(std::string_view devicePath) const {
  auto parts = devicePathParts(devicePath);
  bool inBundle = !appBundle_.empty() && startsWithBundle(parts);
  std::filesystem::path host = inBundle ? appBundle_ : root_;
  for (std::size_t i = inBundle ? bundleParts().size() : 0; i < parts.size(); ++i) host /= parts[i];
  return host;
}

DeviceProfile Device::profile() const {
  std::lock_guard lock(mutex_);
  return profile_;
}

void Device::setOrientation(UIDeviceOrientation orientation) {
  std::lock_guard lock(mutex_);
  profile_.orientation = orientation;
}

void Device::setFreeBytes(std::optional<std::uint64_t> bytes) {
  std::lock_guard lock(mutex_);
  freeBytes_ = bytes;
}

void Device::setReadOnly(bool readOnly) {
  std::lock_guard lock(mutex_);
  readOnly_ = readOnly;
}

int Device::claimWrite(std::uint64_t bytes) {
  std::lock_guard lock(mutex_);
  if (readOnly_) return EROFS;
  if (!freeBytes_) return 0;
  if (bytes > *freeBytes_) return ENOSPC;
  *freeBytes_ -= bytes;
  return 0;
}

}  // namespace platform
