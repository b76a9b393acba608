#pragma once
// The file the photo album stores for a picture: the stored pixels as a
// JPEG with a small EXIF block, as a phone's album service writes it, so
// that every viewer shows the picture the right way up and knows when and
// with what it was taken.
#include "platform/graphics/image.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// What the block says besides the picture's own orientation and size.
struct AlbumShotFacts {
  std::string make;      // the device's maker
  std::string model;     // UIDevice model; written in its lossy ASCII form
  std::string dateTime;  // local time taken, "YYYY:MM:DD HH:MM:SS"
};

// The facts of the current device, taken now.
AlbumShotFacts currentShotFacts();

// The picture's stored pixels (its orientation not applied) as a JPEG at
// `quality` (0..1) whose EXIF block holds Make, Model, Orientation (1, 3,
// 8 or 6 from the picture's orientation), the three dates and the pixel
// size as stored. Should the block not be writable, the JPEG goes without
// it: the pixels matter more than what is said about them. Empty when the
// picture is null or cannot be encoded. Any thread.
std::vector<std::uint8_t> albumJPEG(const std::shared_ptr<UIImage>& image, double quality,
                                    const AlbumShotFacts& facts);

}  // namespace platform
