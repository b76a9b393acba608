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
  // The open file the bytes are mapped from; -1 when they were read.
  int fd() const { return fd_; }

 private:
  FileBytes() = default;
  void release();

  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  bool mapped_ = false;
  int fd_ = -1;
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

// When a written file's bytes go to the disk. A file that replaces one the
// user keeps (--in-place) is flushed before its name is given over, so a
// crash leaves the old or the new content. A new output only has its
// writing started, so many can be on their way at once; the caller flushes
// it (syncFile(), or its whole file system) before it says it is done.
enum class Flush { BeforeRename, Later };

// Writes the concatenation of `pieces` to a new file beside `path` and
// renames it over `path`, so `path` holds either its old content or the
// whole new one (with the old one's permissions). `path` must not be a
// symbolic link (resolve it first, see output_path.h): the rename would
// replace the link. On failure the temporary file is removed, `path` is
// untouched, and `error` says why. The new name is on the disk once the
// folder is synced (syncFolder).
bool writeFileAtomically(const std::string& path, std::span<const std::span<const std::uint8_t>> pieces,
                         std::string& error, Flush flush = Flush::BeforeRename);
inline bool writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                                std::string& error, Flush flush = Flush::BeforeRename) {
  return writeFileAtomically(path, std::span(&bytes, 1), error, flush);
}

// Bytes that stand in an open file from `offset` on, also at hand in
// memory: copied file to file by the system where it can (no pass through
// this process), else written from memory.
struct FileRange {
  int fd = -1;
  std::uint64_t offset = 0;
  std::span<const std::uint8_t> bytes;
};
// The same as above for `head` followed by `tail`.
bool writeFileAtomically(const std::string& path, std::span<const std::uint8_t> head, const FileRange& tail,
                         std::string& error, Flush flush);

// Flushes a file's bytes to the disk.
bool syncFile(const std::string& path, std::string& error);

// Flushes a folder's entries (names created or renamed in it) to the disk.
bool syncFolder(const std::string& folder, std::string& error);

// The folder a file's name stands in ("." for a bare name).
std::string folderOf(const std::string& path);

}  // namespace exf
