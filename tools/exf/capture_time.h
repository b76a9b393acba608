#pragma once
// Times as exf geotag --gpx meets them: a picture's DateTimeOriginal (the
// camera's local time), the --offset that relates it to UTC, and the UTC
// instants that are placed on a track and written as GPS date and time.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace exf {

using UtcSeconds = std::chrono::sys_seconds;

// "+HH:MM" or "-HH:MM", at most 18 hours: how far the camera's clock is
// ahead of UTC. Nothing for any other text.
std::optional<std::chrono::minutes> parseUtcOffset(std::string_view text);

// An EXIF date and time, "YYYY:MM:DD HH:MM:SS" (a trailing NUL allowed), as
// the instant it names on a clock that is `offset` ahead of UTC. Nothing
// when the text is not a valid date and time (a blank "0000:00:00 ...",
// spaces for unknown fields, 31 February, 24:00:00).
std::optional<UtcSeconds> localTimeToUtc(std::string_view text, std::chrono::minutes offset);

// "YYYY-MM-DD HH:MM:SS UTC".
std::string formatUtc(UtcSeconds t);

}  // namespace exf
