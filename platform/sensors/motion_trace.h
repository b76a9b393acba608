#pragma once
// MotionTrace: a recorded accelerometer log, rows of "t,x,y,z" (seconds
// and g), as a person tuning the steadiness detector takes from a real
// phone.
//
// The text form: one row per line, four decimal numbers separated by
// commas (spaces around them are allowed). A UTF-8 byte-order mark at the
// start, blank lines, lines starting with '#', and a first row that reads
// "t,x,y,z" are skipped. Times must not be negative and must increase from
// row to row; values must be finite.
//
// Times are taken relative to the first row: a log stamped with the phone's
// uptime (first row at t=100) replays from its first row, as recorded. A
// log longer than kLongestDuration or a file larger than kLargestFile is
// not a phone recording and is refused, the file before it is read whole.
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A trace that cannot be read; what() names the source and, for a bad
// row, its line: "still.csv: line 4: expected 4 values (t,x,y,z), found 3".
class MotionTraceError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class MotionTrace {
 public:
  static constexpr double kLongestDuration = 86400;                // a day, in seconds
  static constexpr std::uintmax_t kLargestFile = 100u * 1024 * 1024;  // 100 MB

  struct Row {
    double t = 0, x = 0, y = 0, z = 0;
  };

  // Parses the text form; `source` names it in error messages. Throws
  // MotionTraceError for a bad row or a trace without rows.
  static MotionTrace parse(std::string_view text, const std::string& source);
  // Reads and parses a file; the error names the file.
  static MotionTrace load(const std::filesystem::path& path);

  // The rows, their times relative to the first row (which is at 0).
  const std::vector<Row>& rows() const { return rows_; }
  double duration() const { return rows_.back().t; }  // time of the last row

  // The values at time t: linear between rows, the first row's before it,
  // the last row's after it.
  Row at(double t) const;

  // The text form of rows, six decimals per value, after the header row.
  static std::string toCSV(const std::vector<Row>& rows);

 private:
  explicit MotionTrace(std::vector<Row> rows) : rows_(std::move(rows)) {}
  std::vector<Row> rows_;  // never empty
};

}  // namespace platform
