#pragma once
// Where each file of a batch that writes (geotag --gpx, strip-gps) goes, and
// the flush that puts what it wrote on the disk before the batch says done.
#include "tools/exf/input_files.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace exf {

// What is decided for a file before any file is worked on, in the order
// given, so that the outcome does not depend on which is done first.
struct OutputPlan {
  std::string target;         // the name to write (before links are resolved)
  std::string skip, failure;  // why the file is skipped or fails, if so
};

// A file given twice (by any of its names) is skipped the second time. With
// `outDir`, each file goes to outDir/<its relative name>; a name that a
// file before it already takes, or that is one of the inputs, fails.
// Without, each file is its own target (in place).
std::vector<OutputPlan> planOutputs(const std::vector<InputFile>& files, const std::optional<std::string>& outDir);

// Puts on the disk what a batch wrote: the files written (with `outDir`,
// files whose bytes were left on their way) and the folders that hold their
// names, those made below `outDir` included. Made before the batch writes:
// the file system of `outDir` is then flushed as a whole at the end, in one
// go as `sync` does (rather than one flush per file, each a commit of the
// file system's journal), and a write-back error of any file written to it
// meanwhile counts. What lies elsewhere (a folder in place, below `outDir`
// a mount point) is flushed file by file.
class WrittenFlush {
 public:
  explicit WrittenFlush(const std::optional<std::string>& outDir);
  ~WrittenFlush();
  WrittenFlush(const WrittenFlush&) = delete;
  WrittenFlush& operator=(const WrittenFlush&) = delete;

  // `written` holds the file written for each picture, empty for one not
  // written. False, with a line on `err` for each, when something cannot be
  // flushed.
  bool flush(const std::vector<std::string>& written, std::ostream& err);

 private:
  bool onOutputSystem(const std::string& path) const;

  std::optional<std::string> outDir_;
  int fd_ = -1;  // the output folder, open while the batch runs
  unsigned long long device_ = 0;
};

}  // namespace exf
