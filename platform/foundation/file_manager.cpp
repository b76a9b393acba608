#include "platform/foundation/file_manager.h"

#include "platform/device/device.h"
#include "platform/foundation/atomic_file.h"

#include <cerrno>
#include <algorithm>
#include <filesystem>
#include <system_error>

namespace platform {
namespace fs = std::filesystem;
namespace {

fs::path host(std::string_view devicePath) { return Device::current()->hostPath(devicePath); }

// The application bundle is read-only, and the device's top folder stays.
bool mayChange(std::string_view devicePath, NSError* error) {
  auto device = Device::current();
  bool topFolder = device->hostPath(devicePath) == device->root();
  if (!device->isInAppBundle(devicePath) && !topFolder) return true;
  if (error)
    *error = detail::posixError(topFolder ? EBUSY : EROFS, "cannot change " + std::string(devicePath));
  return false;
}

bool fail(NSError* error, const std::error_code& code, const std::string& what) {
  if (error) *error = detail::posixError(code.value(), what);
  return false;
}

std::vector<std::string> sortedNames(const fs::path& folder, std::error_code& error) {
  std::vector<std::string> names;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
    names.push_back(it->path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

void walk(const fs::path& folder, const std::string& prefix, std::vector<std::string>& out) {
  std::error_code error;
  for (const auto& name : sortedNames(folder, error)) {
    std::string relative = prefix.empty() ? name : prefix + "/" + name;
    out.push_back(relative);
    auto child = folder / name;
    std::error_code ignored;
    if (fs::is_directory(fs::symlink_status(child, ignored))) walk(child, relative, out);
  }
}

}  // namespace

std::optional<std::string> NSDirectoryEnumerator::nextObject() {
  if (next_ >= entries_.size()) return std::nullopt;
  return entries_[next_++];
}

NSFileManager& NSFileManager::defaultManager() {
  static NSFileManager manager;
  return manager;
}

bool NSFileManager::fileExistsAtPath(std::string_view path, bool* isDirectory) const {
  if (isDirectory) *isDirectory = false;
  if (path.empty()) return false;
  std::error_code error;
  auto status = fs::status(host(path), error);
  bool exists = !error && fs::exists(status);
  if (isDirectory) *isDirectory = exists && fs::is_directory(status);
  return exists;
}

std::unique_ptr<NSDirectoryEnumerator> NSFileManager::enumeratorAtPath(std::string_view path) const {
  std::error_code error;
  auto folder = host(path);
  if (!fs::is_directory(folder, error)) return nullptr;
  std::vector<std::string> entries;
  walk(folder, "", entries);
  return std::make_unique<NSDirectoryEnumerator>(std::move(entries));
}

std::vector<std::string> NSFileManager::subpathsAtPath(std::string_view path) const {
  std::vector<std::string> entries;
  if (auto walker = enumeratorAtPath(path))
    while (auto entry = walker->nextObject()) entries.push_back(std::move(*entry));
  return entries;
}

std::optional<std::vector<std::string>> NSFileManager::contentsOfDirectoryAtPath(
    std::string_view path, NSError* error) const {
  std::error_code code;
  auto names = sortedNames(host(path), code);
  if (code) {
    fail(error, code, "cannot list " + std::string(path));
    return std::nullopt;
  }
  return names;
}

bool NSFileManager::createDirectoryAtPath(std::string_view path, bool withIntermediateDirectories,
                                          NSError* error) const {
  if (!mayChange(path, error)) return false;
  std::error_code code;
  auto folder = host(path);
  if (fs::is_directory(folder, code)) {
    if (withIntermediateDirectories) return true;
  } else if (const int refused = Device::current()->claimWrite(0)) {
    return fail(error, std::make_error_code(std::errc(refused)), "cannot create folder " + std::string(path));
  }
  if (withIntermediateDirectories) {
    fs::create_directories(folder, code);
    if (!code && fs::is_directory(folder, code)) return true;
    if (!code) code = std::make_error_code(std::errc::file_exists);
  } else if (fs::create_directory(folder, code)) {
    return true;
  } else if (!code) {
    code = std::make_error_code(std::errc::file_exists);
  }
  return fail(error, code, "cannot create folder " + std::string(path));
}

bool NSFileManager::removeItemAtPath(std::string_view path, NSError* error) const {
  if (!mayChange(path, error)) return false;
  std::error_code code;
  auto target = host(path);
  if (!fs::exists(fs::symlink_status(target, code)))
    return fail(error, std::make_error_code(std::errc::no_such_file_or_directory),
                "cannot remove " + std::string(path));
  fs::remove_all(target, code);
  return code ? fail(error, code, "cannot remove " + std::string(path)) : true;
}

}  // namespace platform
