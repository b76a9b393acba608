#pragma once
// Byte buffers to and from files at device paths (the platform's data
// object's file operations). Bytes are std::vector<uint8_t>.
#include "platform/foundation/error.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace platform {

// Writes the bytes to the file at a device path. The write is always
// all-or-nothing (temporary file, then rename), whatever `atomically` says:
// a failed write never leaves a half-written file, and the previous file
// stays as it was. The folder must exist. Returns false (with `error`) on
// failure. Any thread.
bool writeToFile(std::span<const std::uint8_t> bytes, std::string_view devicePath, bool atomically,
                 NSError* error = nullptr);

// The same, except that an existing file is never replaced: the write then
// fails with error code EEXIST and the file stays as it was.
bool writeToFileIfAbsent(std::span<const std::uint8_t> bytes, std::string_view devicePath,
                         NSError* error = nullptr);
// The content of the file at a device path, or nothing when it cannot be read.
std::optional<std::vector<std::uint8_t>> dataWithContentsOfFile(std::string_view devicePath,
                                                                NSError* error = nullptr);

}  // namespace platform
