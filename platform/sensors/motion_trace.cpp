#include "platform/sensors/motion_trace.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace platform {
namespace {

std::string_view trim(std::string_view s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

std::vector<std::string_view> splitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  for (std::size_t start = 0;;) {
    const auto comma = line.find(',', start);
    fields.push_back(trim(line.substr(start, comma - start)));
    if (comma == std::string_view::npos) return fields;
    start = comma + 1;
  }
}

std::string formatted(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

class Parser {
 public:
  explicit Parser(const std::string& source) : source_(source) {}

  std::vector<MotionTrace::Row> parse(std::string_view text) {
    static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    std::vector<MotionTrace::Row> rows;
    int lineNumber = 0;
    bool seenContent = false;
    for (std::size_t start = 0; start <= text.size();) {
      auto end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      const std::string_view line = trim(text.substr(start, end - start));
      start = end + 1;
      ++lineNumber;
      if (line.empty() || line.front() == '#') continue;
      const bool first = !seenContent;
      seenContent = true;
      if (first && isHeader(line)) continue;
      rows.push_back(row(line, lineNumber, rows.empty() ? nullptr : &rows.back()));
      // Checked row by row, so an endless log stops here, not at its end.
      if (rows.back().t - rows.front().t > MotionTrace::kLongestDuration)
        fail(lineNumber, "the log lasts more than " + formatted(MotionTrace::kLongestDuration) +
                             " s (a day) from its first row; a phone recording is shorter");
    }
    if (rows.empty()) throw MotionTraceError(source_ + ": no samples (expected rows of t,x,y,z)");
    const double start = rows.front().t;
    for (auto& r : rows) r.t -= start;
    return rows;
  }

 private:
  static bool isHeader(std::string_view line) {
    const auto fields = splitFields(line);
    return fields == std::vector<std::string_view>{"t", "x", "y", "z"};
  }

  MotionTrace::Row row(std::string_view line, int lineNumber, const MotionTrace::Row* previous) const {
    const auto fields = splitFields(line);
    if (fields.size() != 4)
      fail(lineNumber, "expected 4 values (t,x,y,z), found " + std::to_string(fields.size()));
    static constexpr const char* kNames[] = {"t", "x", "y", "z"};
    double values[4];
    for (int i = 0; i < 4; ++i) values[i] = number(fields[i], kNames[i], lineNumber);
    const MotionTrace::Row row{values[0], values[1], values[2], values[3]};
    if (row.t < 0) fail(lineNumber, "time " + formatted(row.t) + " is negative");
    if (previous && row.t <= previous->t)
      fail(lineNumber, "time " + formatted(row.t) + " does not come after the previous row's " +
                           formatted(previous->t));
    return row;
  }

  double number(std::string_view field, const char* name, int lineNumber) const {
    double value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (field.empty() || error != std::errc() || end != field.data() + field.size() ||
        !std::isfinite(value))
      fail(lineNumber, std::string(name) + " value '" + std::string(field) +
                           "' is not a finite decimal number");
    return value;
  }

  [[noreturn]] void fail(int lineNumber, const std::string& what) const {
    throw MotionTraceError(source_ + ": line " + std::to_string(lineNumber) + ": " + what);
  }

  const std::string& source_;
};

}  // namespace

MotionTrace MotionTrace::parse(std::string_view text, const std::string& source) {
  return MotionTrace(Parser(source).parse(text));
}

MotionTrace MotionTrace::load(const std::filesystem::path& path) {
  const auto tooLarge = [&path](const std::string& size) {
    return MotionTraceError(path.string() + ": the file holds " + size +
                            " bytes; a phone recording is at most " + std::to_string(kLargestFile) +
                            " (100 MB)");
  };
  std::error_code sizeError;
  const std::uintmax_t size = std::filesystem::file_size(path, sizeError);
  if (!sizeError && size > kLargestFile) throw tooLarge(std::to_string(size));
  std::ifstream in(path, std::ios::binary);
  if (!in) throw MotionTraceError(path.string() + ": cannot read the file: " + std::strerror(errno));
  // Read with a bound as well: a device or pipe has no size to check first.
  std::string text;
  char chunk[1 << 16];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    text.append(chunk, static_cast<std::size_t>(in.gcount()));
    if (text.size() > kLargestFile) throw tooLarge("more than " + std::to_string(kLargestFile));
  }
  if (in.bad()) throw MotionTraceError(path.string() + ": cannot read the file");
  return parse(text, path.string());
}

MotionTrace::Row MotionTrace::at(double t) const {
  const auto after = std::upper_bound(rows_.begin(), rows_.end(), t,
                                      [](double time, const Row& row) { return time < row.t; });
  if (after == rows_.begin()) return rows_.front();
  if (after == rows_.end()) return rows_.back();
  const Row& a = *(after - 1);
  const Row& b = *after;
  const double f = (t - a.t) / (b.t - a.t);
  return {t, a.x + f * (b.x - a.x), a.y + f * (b.y - a.y), a.z + f * (b.z - a.z)};
}

std::string MotionTrace::toCSV(const std::vector<Row>& rows) {
  std::string text = "t,x,y,z\n";
  char line[160];
  for (const Row& r : rows) {
    std::snprintf(line, sizeof line, "%.6f,%.6f,%.6f,%.6f\n", r.t, r.x, r.y, r.z);
    text += line;
  }
  return text;
}

}  // namespace platform
