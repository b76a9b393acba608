#pragma once
// NSFileManager: the file operations the application uses, on device paths
// (see platform/device/device.h). Any thread.
#include "platform/foundation/error.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Walks a folder tree: every entry below the folder, as a path relative to
// it ("IMG_0001.JPG", "sub", "sub/IMG_0002.JPG"), each folder before its
// contents, names in byte order within a folder (so listings are the same
// on every host). The tree is read when the enumerator is made.
class NSDirectoryEnumerator {
 public:
  explicit NSDirectoryEnumerator(std::vector<std::string> entries) : entries_(std::move(entries)) {}
  // The next entry, or nothing once all have been returned.
  std::optional<std::string> nextObject();

 private:
  std::vector<std::string> entries_;
  std::size_t next_ = 0;
};

class NSFileManager {
 public:
  static NSFileManager& defaultManager();

  bool fileExistsAtPath(std::string_view path, bool* isDirectory = nullptr) const;
  // Null when the path is not a folder.
  std::unique_ptr<NSDirectoryEnumerator> enumeratorAtPath(std::string_view path) const;
  // The enumerator's entries in one list (empty when the path is not a folder).
  std::vector<std::string> subpathsAtPath(std::string_view path) const;
  // The folder's own entries, sorted; nothing when it is not a readable folder.
  std::optional<std::vector<std::string>> contentsOfDirectoryAtPath(std::string_view path,
                                                                    NSError* error = nullptr) const;
  // Creates the folder; with intermediates, also missing parents, and an
  // existing folder is success.
  bool createDirectoryAtPath(std::string_view path, bool withIntermediateDirectories,
                             NSError* error = nullptr) const;
  // Removes a file, or a folder with everything in it.
  bool removeItemAtPath(std::string_view path, NSError* error = nullptr) const;
};

}  // namespace platform
