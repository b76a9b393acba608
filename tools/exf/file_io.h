#pragma once
// File access for exf: whole-file reads into a caller's buffer, pictures
// mapped or read within a bound, atomic writes, and folders synced to disk.
#include "exif/exf_jpeg.h"

#include <iosfwd>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace exf {

// The largest picture exf reads: more than any camera makes, so that endless
// input (a device, a pipe) ends with an error instead of all memory.
inline constexpr std::size_t kMaxPictureBytes = std::size_t{1} << 30;

// Reads the whole file at `path` into `out` (replacing its content; its
// capacity is reused, so a batch that passes the same buffer does not
// allocate per file). The size is taken first and the bytes come in one
// read where the system allows. On failure returns false, sets `error` to
// the reason ("is a directory", the system's text, a file larger than
// `limit`), and `out` is empty.
bool readWholeFile(const std::string& path, exif::Bytes& out, std::string& error,
                   std::size_t limit = kMaxPictureBytes);

// A whole file's bytes, read-only: mapped when the file is a regular one
// (so the pages a caller does not touch are never read), else read into
// memory. Move-only; the bytes live as long as the object.
class FileBytes {
 public:
  // A JPEG file's bytes. Nothing, with the reason in `error`, when the
  // file cannot be opened, is a directory, does not begin with the JPEG
  // start-of-image marker (checked before the rest is read), is larger
  // than kMaxPictureBytes, or cannot be mapped or read.
  static std::optional<FileBytes> openJpeg(const std::string& path, std::string& error);

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
// read. When FileBytes::openJpeg refuses the file, writes the one-line
// reason to `err` ("exf: PATH: ...") and returns nothing.
std::optional<ScannedJpeg> scanJpegFile(const std::string& path, std::ostream& err);

// Writes the concatenation of `pieces` to a new file beside `path`, flushes
// it to the disk, and renames it over `path`, so
// `path` holds either its old content or the whole new one (with the old
// one's permissions). `path` must not be a symbolic link (resolve it first,
// see output_path.h): the rename would replace the link. On failure the
// temporary file is removed, `path` is untouched, and `error` says why.
// The new name is on the disk once the folder is synced (syncFolder).
bool writeFileAtomically(const std::string& path, std::span<const std::span<const std::uint8_t>> pieces,
                         std::string& error);
inline bool writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                                std::string& error) {
  return writeFileAtomically(path, std::span(&bytes, 1), error);
}

// Flushes a folder's entries (names created or renamed in it) to the disk.
bool syncFolder(const std::string& folder, std::string& error);

// The folder a file's name stands in ("." for a bare name).
std::string folderOf(const std::string& path);

}  // namespace exf
