#include "tools/exf/output_path.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace exf {

std::optional<FileIdentity> identityOf(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return FileIdentity{static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino)};
}

std::optional<std::string> resolveOutput(const std::string& out, std::string& error) {
  struct stat st;
  if (::lstat(out.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return out;
  std::error_code ec;
  const std::filesystem::path target = std::filesystem::canonical(out, ec);
  if (ec) {
    error = "is a symbolic link that leads nowhere (" + ec.message() + "); not writing through it";
    return std::nullopt;
  }
  return target.string();
}

std::optional<std::string> resolveInPlace(const std::string& in, std::string& error) {
  struct stat st;
  if (::lstat(in.c_str(), &st) != 0) {
    error = std::strerror(errno);
    return std::nullopt;
  }
  if (!S_ISLNK(st.st_mode)) return in;
  std::error_code ec;
  const std::filesystem::path target = std::filesystem::canonical(in, ec);
  if (ec) {
    error = ec.message();
    return std::nullopt;
  }
  return target.string();
}

bool isOneOf(const std::string& out, const std::vector<FileIdentity>& inputs) {
  const auto id = identityOf(out);
  return id && std::find(inputs.begin(), inputs.end(), *id) != inputs.end();
}

}  // namespace exf
