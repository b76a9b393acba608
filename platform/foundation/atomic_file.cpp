#include "platform/foundation/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::detail {
namespace {

bool fail(NSError* error, int code, const std::string& what) {
  if (error) *error = posixError(code, what);
  return false;
}

}  // namespace

NSError posixError(int code, const std::string& what) {
  return NSError{kPOSIXErrorDomain, code, what + ": " + std::strerror(code)};
}

bool writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                         NSError* error, bool replace) {
  if (path.filename().empty()) return fail(error, EISDIR, path.string());
  std::string temp = (path.parent_path() / ("." + path.filename().string() + ".tmp-XXXXXX")).string();
  int fd = mkstemp(temp.data());
  if (fd < 0) return fail(error, errno, "cannot create a file beside " + path.string());
  fchmod(fd, 0644);
  std::size_t written = 0;
  int code = 0;
  while (written < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      code = n < 0 ? errno : EIO;
      break;
    }
    written += std::size_t(n);
  }
  if (code == 0 && ::fsync(fd) != 0) code = errno;
  if (::close(fd) != 0 && code == 0) code = errno;
  if (code == 0 && replace && std::rename(temp.c_str(), path.c_str()) != 0) code = errno;
  if (code == 0 && !replace) {
    if (::link(temp.c_str(), path.c_str()) != 0) code = errno;
    ::unlink(temp.c_str());
    if (code == EEXIST) return fail(error, code, path.string());
  }
  if (code != 0) {
    ::unlink(temp.c_str());
    return fail(error, code, "cannot write " + path.string());
  }
  return true;
}

std::optional<std::vector<std::uint8_t>> readWholeFile(const std::filesystem::path& path,
                                                       NSError* error) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    fail(error, errno, "cannot open " + path.string());
    return std::nullopt;
  }
  struct stat info {};
  int statCode = ::fstat(fd, &info) != 0 ? errno : 0;
  if (statCode != 0 || !S_ISREG(info.st_mode)) {
    int code = statCode != 0 ? statCode : S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    ::close(fd);
    fail(error, code, "cannot read " + path.string());
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes;
  std::uint8_t buffer[1 << 16];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      int code = errno;
      ::close(fd);
      fail(error, code, "cannot read " + path.string());
      return std::nullopt;
    }
    if (n == 0) break;
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
  ::close(fd);
  return bytes;
}

}  // namespace platform::detail
