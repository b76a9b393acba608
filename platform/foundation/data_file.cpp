#include "platform/foundation/data_file.h"

#include "platform/device/device.h"
#include "platform/foundation/atomic_file.h"

#include <cerrno>
#include <string>

namespace platform {

namespace {

bool write(std::span<const std::uint8_t> bytes, std::string_view devicePath, bool replace,
           NSError* error) {
  auto device = Device::current();
  if (device->isInAppBundle(devicePath)) {
    if (error) *error = detail::posixError(EROFS, "cannot write " + std::string(devicePath));
    return false;
  }
  if (const int refused = device->claimWrite(bytes.size())) {
    if (error) *error = detail::posixError(refused, "cannot write " + std::string(devicePath));
    return false;
  }
  return detail::writeFileAtomically(device->hostPath(devicePath), bytes, error, replace);
}

}  // namespace

bool writeToFile(std::span<const std::uint8_t> bytes, std::string_view devicePath, bool atomically,
                 NSError* error) {
  (void)atomically;  // every write is atomic; see the header
  return write(bytes, devicePath, true, error);
}

bool writeToFileIfAbsent(std::span<const std::uint8_t> bytes, std::string_view devicePath,
                         NSError* error) {
  return write(bytes, devicePath, false, error);
}

std::optional<std::vector<std::uint8_t>> dataWithContentsOfFile(std::string_view devicePath,
                                                                NSError* error) {
  return detail::readWholeFile(Device::current()->hostPath(devicePath), error);
}

}  // namespace platform
