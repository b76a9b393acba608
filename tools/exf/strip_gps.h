#pragma once
// exf strip-gps: the GPS position taken out of pictures, nothing else
// changed. The per-file step works on bytes, so that a batch (folders,
// several files at once) can drive it.
#include "exif/exif_constants.h"

#include <cstdint>
#include <span>
#include <string>

namespace exf {

struct StripResult {
  enum class Outcome {
    Stripped,    // the GPS pointer and directory were removed (zeroed)
    NoPosition,  // the picture held none; it is the input as it is
    Failed,      // not a JPEG, or an EXIF block that cannot be edited; `error` says why
  };
  Outcome outcome = Outcome::Failed;
  std::string error;
  // Set when the picture keeps a position where the EXIF edit does not
  // reach (an XMP packet's GPS values), for a note to the user.
  std::string remaining;
  // The picture without its position is `output` followed by the input's
  // bytes from here on.
  std::size_t tailFrom = 0;
};

// Writes into `output` (replacing its content) the head of the picture
// `input` without its GPS position (see exif::EditedHead).
StripResult stripGps(std::span<const std::uint8_t> input, exif::Bytes& output);

}  // namespace exf
