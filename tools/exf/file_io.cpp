#include "tools/exf/file_io.h"

#include <fcntl.h>
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

std::optional<exif::EXFJpeg> scanJpegFile(const std::string& path, std::ostream& err) {
  exif::Bytes bytes;
  std::string error;
  if (!readWholeFile(path, bytes, error)) {
    err << "exf: " << path << ": " << error << "\n";
    return std::nullopt;
  }
  if (bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != 0xD8) {
    err << "exf: " << path << ": not a JPEG file (no start-of-image marker)\n";
    return std::nullopt;
  }
  exif::EXFJpeg jpeg;
  jpeg.scanImageData(bytes);
  return jpeg;
}

bool writeFileAtomically(const std::string& path, const exif::Bytes& bytes, std::string& error) {
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
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(errno);
    }
    done += static_cast<std::size_t>(n);
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
