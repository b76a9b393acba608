#pragma once
// The camera-roll folder on the current device: its listing, and putting a
// composed picture in place of the file the album service just wrote.
// Any thread (file operations only).
#include "platform/foundation/error.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace holdstill {

// The camera-roll listing (see camera_roll_numbering.h); nothing when the
// folder does not exist.
std::optional<std::vector<std::string>> cameraRollListing();

struct StoredPicture {
  std::string path;       // device path written; empty when nothing was written
  bool replaced = false;  // it replaced the album's new file
  platform::NSError error;
};

// Stores the composed picture of a save whose listing before the album
// save was `before`: over the album's new file when the listings name it
// (replaceableNewEntry), otherwise as the next free IMG_%04d.JPG of the
// folder, never over an existing file, so that nothing is overwritten that
// this save did not write. An empty `bytes` is not stored.
StoredPicture storeComposedPicture(std::span<const std::uint8_t> bytes, const std::vector<std::string>& before);

}  // namespace holdstill
