#pragma once
// File access for exf: JPEG file reads and atomic writes.
#include "exif/exf_jpeg.h"

#include <iosfwd>
#include <optional>
#include <string>

namespace exf {

// Reads a whole JPEG file and scans it. When the file cannot be read or does
// not begin with a start-of-image marker, writes the one-line reason to `err`
// ("exf: PATH: ...") and returns nothing.
std::optional<exif::EXFJpeg> scanJpegFile(const std::string& path, std::ostream& err);

// Writes `bytes` to a new file beside `path` and renames it over `path`, so
// `path` holds either its old content or the whole new one (with the old
// one's permissions). On failure the temporary file is removed, `path` is
// untouched, and `error` says why.
bool writeFileAtomically(const std::string& path, const exif::Bytes& bytes, std::string& error);

}  // namespace exf
