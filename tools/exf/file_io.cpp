#include "tools/exf/file_io.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ostream>
#include <vector>

namespace exf {

bool readWholeFile(const std::string& path, exif::Bytes& out, std::string& error) {
  out.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = std::strerror(errno);
    return false;
  }
  auto fail = [&](const std::string& reason) {
    error = reason;
    out.clear();
    ::close(fd);
    return false;
  };
  struct stat st;
  if (::fstat(fd, &st) != 0) return fail(std::strerror(errno));
  if (S_ISDIR(st.st_mode)) return fail("is a directory");
  // Regular files come in one read of their known size; anything else (a
  // pipe, a file that grows meanwhile) is read on in blocks until its end.
  std::size_t expected = S_ISREG(st.st_mode) ? static_cast<std::size_t>(st.st_size) : 0;
  out.resize(expected + 1);
  std::size_t done = 0;
  for (;;) {
    if (done == out.size()) out.resize(out.size() + std::max<std::size_t>(out.size(), 65536));
    const ssize_t n = ::read(fd, out.data() + done, out.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(std::strerror(errno));
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  out.resize(done);
  ::close(fd);
  return true;
}

std::optional<FileBytes> FileBytes::open(const std::string& path, std::string& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = std::strerror(errno);
    return std::nullopt;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    error = S_ISDIR(st.st_mode) ? "is a directory" : std::strerror(errno);
    ::close(fd);
    return std::nullopt;
  }
  FileBytes file;
  if (S_ISREG(st.st_mode) && st.st_size > 0) {
    void* p = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (p != MAP_FAILED) {
      file.data_ = static_cast<const std::uint8_t*>(p);
      file.size_ = static_cast<std::size_t>(st.st_size);
      file.mapped_ = true;
      ::close(fd);
      return file;
    }
  }
  ::close(fd);
  // Not a regular file, empty, or not mappable: read it.
  if (!readWholeFile(path, file.read_, error)) return std::nullopt;
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
    data_ = mapped_ ? other.data_ : read_.data();
    other.data_ = nullptr;
    other.size_ = 0;
    other.mapped_ = false;
  }
  return *this;
}

FileBytes::~FileBytes() { release(); }

void FileBytes::release() {
  if (mapped_) ::munmap(const_cast<std::uint8_t*>(data_), size_);
  data_ = nullptr;
  size_ = 0;
  mapped_ = false;
  read_.clear();
}

ScannedJpeg::ScannedJpeg(FileBytes file) : file_(std::move(file)) { scanImageDataBorrowed(file_.bytes()); }

std::optional<ScannedJpeg> scanJpegFile(const std::string& path, std::ostream& err) {
  std::string error;
  auto file = FileBytes::open(path, error);
  if (!file) {
    err << "exf: " << path << ": " << error << "\n";
    return std::nullopt;
  }
  const auto bytes = file->bytes();
  if (bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != 0xD8) {
    err << "exf: " << path << ": not a JPEG file (no start-of-image marker)\n";
    return std::nullopt;
  }
  return std::optional<ScannedJpeg>(std::in_place, std::move(*file));
}

bool writeFileAtomically(const std::string& path, std::span<const std::span<const std::uint8_t>> pieces,
                         std::string& error) {
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
  mode_t mode;
  if (::stat(path.c_str(), &existing) == 0) {
    mode = existing.st_mode & 0777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  if (::fchmod(fd, mode) != 0) return fail(errno);
  for (std::span<const std::uint8_t> piece : pieces) {
    while (!piece.empty()) {
      const ssize_t n = ::write(fd, piece.data(), piece.size());
      if (n < 0) {
        if (errno == EINTR) continue;
        return fail(errno);
      }
      piece = piece.subspan(static_cast<std::size_t>(n));
    }
  }
  if (::fsync(fd) != 0) return fail(errno);
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

}  // namespace exf
