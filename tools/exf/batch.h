#pragma once
// Work on many files at once with output as if one at a time: each file's
// lines are kept until the files before it are done, so what is printed, and
// in which order, is the same whatever the number of workers.
#include <chrono>
#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>

namespace exf {

// What one file's work printed, and how it ended.
struct FileReport {
  enum class Outcome { Done, Skipped, Failed };
  Outcome outcome = Outcome::Done;
  std::string out;  // for standard output
  std::string err;  // for standard error
};

// Runs `work(index, worker)` for every index below `count` on `jobs` threads
// (`worker` below `jobs` tells which thread, for state kept per thread) and
// writes each report to `out` and `err` in index order. A report that throws
// counts as failed with the exception's text. With `progress`, a line on
// `err` shows how far the run is once it has taken half a second, and is
// cleared at the end. Returns how many files ended each way.
struct BatchCounts {
  std::size_t done = 0, skipped = 0, failed = 0;
};
BatchCounts runBatch(std::size_t count, unsigned jobs,
                     const std::function<FileReport(std::size_t index, unsigned worker)>& work, std::ostream& out,
                     std::ostream& err, bool progress);

// The progress line: "120/300 files, 45.1 files/s, 4 s left".
std::string progressText(std::size_t done, std::size_t total, std::chrono::duration<double> elapsed);

// Whether `err` is the process's standard error and that is a terminal.
bool isTerminal(const std::ostream& err);

}  // namespace exf
