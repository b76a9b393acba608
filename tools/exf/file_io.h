#pragma once
// File access for exf: whole-file reads into a caller's buffer and atomic
// writes.
#include "exif/exf_jpeg.h"

#include <iosfwd>
#include <optional>
#include <string>

namespace exf {

// Reads the whole file at `path` into `out` (replacing its content; its
// capacity is reused, so a batch that passes the same buffer does not
// allocate per file). The size is taken first and the bytes come in one
// read where the system allows. On failure returns false, sets `error` to
// the reason ("is a directory", the system's text), and `out` is empty.
bool readWholeFile(const std::string& path, exif::Bytes& out, std::string& error);

// Reads a whole JPEG file and scans it. When the file cannot be read or does
// not begin with a start-of-image marker, writes the one-line reason to `err`
// ("exf: PATH: ...") and returns nothing.
std::optional<exif::EXFJpeg> scanJpegFile(const std::string& path, std::ostream& err);

// Writes `bytes` to a new file beside `path` and renames it over `path`, so
// `path` holds either its old content or the whole new one (with the old
// one's permissions). `path` must not be a symbolic link (resolve it first,
// see output_path.h): the rename would replace the link. On failure the
// temporary file is removed, `path` is untouched, and `error` says why.
bool writeFileAtomically(const std::string& path, const exif::Bytes& bytes, std::string& error);

}  // namespace exf
