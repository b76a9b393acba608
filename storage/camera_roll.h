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
  std::string albumFile;  // the album's new file as the listings name it; empty when they do not
  platform::NSError error;
};

// Stores the composed picture of a save whose listing before the album
// save was `before`: over the album's new file when the listings name it
// (replaceableNewEntry), otherwise under a new name as below, so that
// nothing is overwritten that this save did not write. An empty `bytes`
// is not stored.
StoredPicture storeComposedPicture(std::span<const std::uint8_t> bytes, const std::vector<std::string>& before);

// Stores the picture as the next free IMG_%04d.JPG of the camera roll
// (above every number there), making the folder when it is missing and
// never writing over an existing file.
StoredPicture storePictureUnderNewName(std::span<const std::uint8_t> bytes);

// The device path of the file the album wrote since the listing `before`,
// as replaceableNewEntry names it; empty when it names none.
std::string newCameraRollFile(const std::vector<std::string>& before);

}  // namespace holdstill
