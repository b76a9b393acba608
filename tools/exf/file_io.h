#pragma once
// File access for exf: whole-file reads into a caller's buffer and atomic
// writes.
#include "exif/exf_jpeg.h"

#include <iosfwd>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace exf {

// Reads the whole file at `path` into `out` (replacing its content; its
// capacity is reused, so a batch that passes the same buffer does not
// allocate per file). The size is taken first and the bytes come in one
// read where the system allows. On failure returns false, sets `error` to
// the reason ("is a directory", the system's text), and `out` is empty.
bool readWholeFile(const std::string& path, exif::Bytes& out, std::string& error);

// A whole file's bytes, read-only: mapped when the file is a regular one
// (so the pages a caller does not touch are never read), else read into
// memory. Move-only; the bytes live as long as the object.
class FileBytes {
 public:
  // Nothing, with the reason in `error`, when the file cannot be opened,
  // is a directory, or cannot be mapped or read.
  static std::optional<FileBytes> open(const std::string& path, std::string& error);

  FileBytes(FileBytes&& other) noexcept;
  FileBytes& operator=(FileBytes&& other) noexcept;
  FileBytes(const FileBytes&) = delete;
  FileBytes& operator=(const FileBytes&) = delete;
  ~FileBytes();

  std::span<const std::uint8_t> bytes() const { return {data_, size_}; }

 private:
  FileBytes() = default;
  void release();

  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  bool mapped_ = false;
  exif::Bytes read_;  // the content when it is not mapped
};

// A scanned JPEG file together with its bytes, which the container may
// refer to: it is an EXFJpeg, valid as long as this object lives.
class ScannedJpeg : public exif::EXFJpeg {
 public:
  explicit ScannedJpeg(FileBytes file);

 private:
  FileBytes file_;
};

// Maps a whole JPEG file and scans it; the image data is neither copied nor
// read. When the file cannot be read or does not begin with a start-of-image
// marker, writes the one-line reason to `err` ("exf: PATH: ...") and returns
// nothing.
std::optional<ScannedJpeg> scanJpegFile(const std::string& path, std::ostream& err);

// Writes the concatenation of `pieces` to a new file beside `path`, flushes
// it to the disk, and renames it over `path`, so
// `path` holds either its old content or the whole new one (with the old
// one's permissions). `path` must not be a symbolic link (resolve it first,
// see output_path.h): the rename would replace the link. On failure the
// temporary file is removed, `path` is untouched, and `error` says why.
bool writeFileAtomically(const std::string& path, std::span<const std::span<const std::uint8_t>> pieces,
                         std::string& error);
inline bool writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                                std::string& error) {
  return writeFileAtomically(path, std::span(&bytes, 1), error);
}

}  // namespace exf
