#include "storage/camera_roll.h"

#include "platform/album/photo_album.h"
#include "platform/foundation/data_file.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/string_format.h"
#include "storage/camera_roll_numbering.h"

#include <algorithm>
#include <cerrno>

namespace holdstill {

using namespace platform;

std::optional<std::vector<std::string>> cameraRollListing() {
  const NSFileManager& files = NSFileManager::defaultManager();
  const std::string folder(kCameraRollFolder);
  bool isFolder = false;
  if (!files.fileExistsAtPath(folder, &isFolder) || !isFolder) return std::nullopt;
  std::vector<std::string> entries;
  if (auto walk = files.enumeratorAtPath(folder))
    while (auto entry = walk->nextObject()) entries.push_back(std::move(*entry));
  return cameraRollListingOf(std::move(entries));
}

StoredPicture storeComposedPicture(std::span<const std::uint8_t> bytes, const std::vector<std::string>& before) {
  StoredPicture stored;
  if (bytes.empty()) return stored;
  const std::vector<std::string> now = cameraRollListing().value_or(std::vector<std::string>{});
  if (auto entry = replaceableNewEntry(now, before)) {
    stored.albumFile = std::string(kCameraRollFolder) + *entry;
    stored.replaced = writeToFile(bytes, stored.albumFile, true, &stored.error);
    if (stored.replaced) stored.path = stored.albumFile;
    return stored;
  }
  return storePictureUnderNewName(bytes);
}

StoredPicture storePictureUnderNewName(std::span<const std::uint8_t> bytes) {
  StoredPicture stored;
  if (bytes.empty()) return stored;
  const std::string folder(kCameraRollFolder);
  if (!NSFileManager::defaultManager().createDirectoryAtPath(folder, true, &stored.error)) return stored;
  int highest = 0;
  for (const std::string& entry : cameraRollListing().value_or(std::vector<std::string>{}))
    highest = std::max(highest, cameraRollNumber(entry));
  for (int number = highest + 1;; ++number) {
    const std::string path = folder + stringWithFormat("IMG_%04d.JPG", number);
    if (writeToFileIfAbsent(bytes, path, &stored.error)) {
      stored.path = path;
      return stored;
    }
    if (stored.error.code != EEXIST) return stored;
  }
}

std::string newCameraRollFile(const std::vector<std::string>& before) {
  const auto now = cameraRollListing();
  const auto entry = now ? replaceableNewEntry(*now, before) : std::nullopt;
  return entry ? std::string(kCameraRollFolder) + *entry : std::string();
}

}  // namespace holdstill
