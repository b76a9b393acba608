#pragma once
// Whole-file reads and all-or-nothing writes on host paths. Internal to
// platform/foundation; the application reaches files through device paths
// (NSData, NSFileManager).
#include "platform/foundation/error.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace platform::detail {

// Writes `bytes` to a temporary file beside `path`, flushes it to disk and
// renames it over `path`. On failure `path` is left as it was, the
// temporary file is removed, and `error` (if given) says why.
// Without `replace`, an existing `path` is never touched: the write fails
// with EEXIST instead (the new file appears in one step, as a hard link).
bool writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                         NSError* error = nullptr, bool replace = true);

// The whole content of a regular file, or nothing (with `error` set).
std::optional<std::vector<std::uint8_t>> readWholeFile(const std::filesystem::path& path,
                                                       NSError* error = nullptr);

NSError posixError(int code, const std::string& what);

}  // namespace platform::detail
