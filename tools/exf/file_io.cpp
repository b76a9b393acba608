#include "tools/exf/file_io.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <vector>

namespace exf {

namespace {

constexpr const char* kNotJpeg = "not a JPEG file (no start-of-image marker)";

std::string tooLarge(std::size_t limit) {
  const std::string size = limit % (std::size_t{1} << 30) == 0 ? std::to_string(limit >> 30) + " GiB"
                                                               : std::to_string(limit >> 20) + " MiB";
  return "larger than " + size + ", more than any camera picture; not read";
}

// Reads from `fd` into `out` after its first `done` bytes until the end,
// or fails once more than `limit` bytes in all have come.
bool readRest(int fd, exif::Bytes& out, std::size_t done, std::size_t expected, std::size_t limit,
              std::string& error) {
  // Regular files come in one read of their known size; anything else (a
  // pipe, a file that grows meanwhile) is read on in blocks until its end.
  out.resize(std::min(limit, expected) + 1);
  for (;;) {
    if (done == out.size()) {
      if (done > limit) {
        error = tooLarge(limit);
        return false;
      }
      out.resize(std::min(limit + 1, out.size() + std::max<std::size_t>(out.size(), 65536)));
    }
    const ssize_t n = ::read(fd, out.data() + done, out.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      error = std::strerror(errno);
      return false;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  if (done > limit) {
    error = tooLarge(limit);
    return false;
  }
  out.resize(done);
  return true;
}

// Opens `path` for reading; refuses a folder.
int openFile(const std::string& path, struct stat& st, std::string& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = std::strerror(errno);
    return -1;
  }
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    error = S_ISDIR(st.st_mode) ? "is a directory" : std::strerror(errno);
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

bool readWholeFile(const std::string& path, exif::Bytes& out, std::string& error, std::size_t limit) {
  out.clear();
  struct stat st;
  const int fd = openFile(path, st, error);
  if (fd < 0) return false;
  const std::size_t expected = S_ISREG(st.st_mode) ? static_cast<std::size_t>(st.st_size) : 0;
  const bool ok = expected <= limit ? readRest(fd, out, 0, expected, limit, error) : (error = tooLarge(limit), false);
  ::close(fd);
  if (!ok) out.clear();
  return ok;
}

std::optional<FileBytes> FileBytes::openJpeg(const std::string& path, std::string& error) {
  struct stat st;
  const int fd = openFile(path, st, error);
  if (fd < 0) return std::nullopt;
  auto fail = [&](const std::string& reason) {
    error = reason;
    ::close(fd);
    return std::nullopt;
  };
  // The start marker first: whatever else the file is, if it is no JPEG
  // nothing more of it is read.
  std::uint8_t start[2];
  std::size_t got = 0;
  while (got < 2) {
    const ssize_t n = ::read(fd, start + got, 2 - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return fail(std::strerror(errno));
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  if (got < 2 || start[0] != 0xFF || start[1] != 0xD8) return fail(kNotJpeg);
  const bool regular = S_ISREG(st.st_mode);
  if (regular && static_cast<std::uint64_t>(st.st_size) > kMaxPictureBytes) return fail(tooLarge(kMaxPictureBytes));

  FileBytes file;
  if (regular) {
    void* p = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (p != MAP_FAILED) {
      file.data_ = static_cast<const std::uint8_t*>(p);
      file.size_ = static_cast<std::size_t>(st.st_size);
      file.mapped_ = true;
      file.fd_ = fd;
      return file;
    }
  }
  // Not a regular file or not mappable: read on after the start marker.
  file.read_.assign(start, start + 2);
  if (!readRest(fd, file.read_, 2, regular ? static_cast<std::size_t>(st.st_size) : 2, kMaxPictureBytes, error))
    return fail(error);
  ::close(fd);
  file.data_ = file.read_.data();
  file.size_ = file.read_.size();
  return file;
}

FileBytes::FileBytes(FileBytes&& other) noexcept { *this = std::move(other); }

FileBytes& FileBytes::operator=(FileBytes&& other) noexcept {
  if (this != &other) {
    release();
    read_ = std::move(other.read_);
    mapped_ = other.mapped_;
    size_ = other.size_;
    fd_ = other.fd_;
    data_ = mapped_ ? other.data_ : read_.data();
    other.data_ = nullptr;
    other.size_ = 0;
    other.mapped_ = false;
    other.fd_ = -1;
  }
  return *this;
}

FileBytes::~FileBytes() { release(); }

void FileBytes::release() {
  if (mapped_) ::munmap(const_cast<std::uint8_t*>(data_), size_);
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  data_ = nullptr;
  size_ = 0;
  mapped_ = false;
  read_.clear();
}

ScannedJpeg::ScannedJpeg(FileBytes file) : file_(std::move(file)) { scanImageDataBorrowed(file_.bytes()); }

std::optional<ScannedJpeg> scanJpegFile(const std::string& path, std::ostream& err) {
  std::string error;
  auto file = FileBytes::openJpeg(path, error);
  if (!file) {
    err << "exf: " << path << ": " << error << "\n";
    return std::nullopt;
  }
  return std::optional<ScannedJpeg>(std::in_place, std::move(*file));
}

namespace {

// The permissions of a new file: 0666 less the process's umask, read without
// changing it (umask() would, for every thread at once).
mode_t newFileMode() {
  static const mode_t mode = [] {
    mode_t mask = 022;
    std::FILE* status = std::fopen("/proc/self/status", "r");
    char line[128];
    while (status && std::fgets(line, sizeof line, status))
      if (std::strncmp(line, "Umask:", 6) == 0) mask = static_cast<mode_t>(std::strtoul(line + 6, nullptr, 8));
    if (status) std::fclose(status);
    return 0666 & ~mask;
  }();
  return mode;
}

// 0, or the errno of a failed write.
int writeAll(int fd, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes = bytes.subspan(static_cast<std::size_t>(n));
  }
  return 0;
}

// 0, or the errno of a failed copy; a system that cannot copy between the
// two files has the bytes written from memory instead.
int copyRange(int fd, const FileRange& range) {
  loff_t from = static_cast<loff_t>(range.offset);
  std::size_t done = 0;
  while (range.fd >= 0 && done < range.bytes.size()) {
    const ssize_t n = ::copy_file_range(range.fd, &from, fd, nullptr, range.bytes.size() - done, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return errno;
    if (n <= 0) break;  // not possible here (or the file shrank): write the rest from memory
    done += static_cast<std::size_t>(n);
  }
  return writeAll(fd, range.bytes.subspan(done));
}

// Writes a new file beside `path` with `body` (which returns 0 or an errno)
// and renames it over `path`.
template <class Body>
bool replaceAtomically(const std::string& path, std::string& error, Flush flush, Body body) {
  std::vector<char> temp(path.begin(), path.end());
  const char suffix[] = ".exf-XXXXXX";
  temp.insert(temp.end(), suffix, suffix + sizeof suffix);
  int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    error = std::strerror(errno);
    return false;
  }
  auto fail = [&](int err) {
    error = std::strerror(err);
    ::close(fd);
    ::unlink(temp.data());
    return false;
  };
  // A file that is replaced keeps its permissions; a new one gets the usual.
  struct stat existing;
  const mode_t mode = ::stat(path.c_str(), &existing) == 0 ? existing.st_mode & 0777 : newFileMode();
  if (::fchmod(fd, mode) != 0) return fail(errno);
  if (const int err = body(fd)) return fail(err);
  if (flush == Flush::BeforeRename ? ::fsync(fd) != 0
                                    : ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE) != 0)
    return fail(errno);
  if (::close(fd) != 0) {
    error = std::strerror(errno);
    ::unlink(temp.data());
    return false;
  }
  if (::rename(temp.data(), path.c_str()) != 0) {
    error = std::strerror(errno);
    ::unlink(temp.data());
    return false;
  }
  return true;
}

}  // namespace

bool writeFileAtomically(const std::string& path, std::span<const std::span<const std::uint8_t>> pieces,
                         std::string& error, Flush flush) {
  return replaceAtomically(path, error, flush, [&](int fd) {
    for (std::span<const std::uint8_t> piece : pieces)
      if (const int err = writeAll(fd, piece)) return err;
    return 0;
  });
}

bool writeFileAtomically(const std::string& path, std::span<const std::uint8_t> head, const FileRange& tail,
                         std::string& error, Flush flush) {
  return replaceAtomically(path, error, flush, [&](int fd) {
    const int err = writeAll(fd, head);
    return err ? err : copyRange(fd, tail);
  });
}

namespace {

// Flushes what `path` holds (a file, or a folder's entries) to the disk.
bool syncPath(const std::string& path, int flags, const char* what, std::string& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | flags);
  if (fd < 0 || ::fsync(fd) != 0) {
    error = std::string("cannot sync the ") + what + " to the disk: " + std::strerror(errno);
    if (fd >= 0) ::close(fd);
    return false;
  }
  ::close(fd);
  return true;
}

}  // namespace

bool syncFile(const std::string& path, std::string& error) { return syncPath(path, 0, "file", error); }

bool syncFolder(const std::string& folder, std::string& error) {
  return syncPath(folder, O_DIRECTORY, "folder", error);
}

std::string folderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace exf
