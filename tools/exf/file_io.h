#pragma once
// File access for exf: whole-file reads and atomic writes.
#include "exif/exif_constants.h"

#include <string>

namespace exf {

// Reads a whole file; on failure returns false and sets `error` to the reason.
bool readWholeFile(const std::string& path, exif::Bytes& out, std::string& error);

// Writes `bytes` to a new file beside `path` and renames it over `path`, so
// `path` holds either its old content or the whole new one (with the old
// one's permissions). On failure the temporary file is removed, `path` is
// untouched, and `error` says why.
bool writeFileAtomically(const std::string& path, const exif::Bytes& bytes, std::string& error);

}  // namespace exf
