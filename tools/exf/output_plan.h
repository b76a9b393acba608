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

// Flushes to the disk the files written (`written`, empty for a file not
// written; with `outDir`, files whose bytes were left on their way) and the
// folders that hold their names, those made below `outDir` included. False,
// with a line on `err` for each, when one cannot be flushed.
bool syncWritten(const std::vector<std::string>& written, const std::optional<std::string>& outDir, std::ostream& err);

}  // namespace exf
