#include "platform/gpx/gpx_track.h"

#include "exif/exf_gps_values.h"

#include <pugixml.hpp>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <fstream>
#include <sstream>

namespace platform {
namespace {

constexpr std::uintmax_t kMaxFileBytes = 256u << 20;

std::string_view trim(std::string_view s) {
  const auto first = s.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

// A plain decimal number ("47.3769", "-3", "1e2"), nothing before or after.
std::optional<double> parseNumber(std::string_view text) {
  text = trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

// Reads exactly `width` digits at `pos`.
std::optional<int> digits(std::string_view text, std::size_t pos, std::size_t width) {
  if (pos + width > text.size()) return std::nullopt;
  int value = 0;
  for (std::size_t i = pos; i < pos + width; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

class Reader {
 public:
  Reader(std::string_view text, const std::string& source) : text_(text), source_(source) {}

  std::vector<GPXPoint> read() {
    pugi::xml_document document;
    const auto result = document.load_buffer(text_.data(), text_.size());
    if (!result) fail(result.offset, result.description());
    const auto root = document.document_element();
    if (std::string_view(root.name()) != "gpx" && !endsWith(root.name(), ":gpx"))
      fail(root.offset_debug(), "not a GPX document (root element <" + std::string(root.name()) + ">)");

    std::vector<GPXPoint> points;
    for (const auto& selected : root.select_nodes(".//*")) {
      const auto node = selected.node();
      const auto kind = kindOf(localName(node.name()));
      if (kind) points.push_back(point(node, *kind));
    }
    if (points.empty()) throw GPXError(source_ + ": no track, route or way points");
    return points;
  }

 private:
  static bool endsWith(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
  }
  static std::string_view localName(std::string_view name) {
    const auto colon = name.rfind(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
  }
  static std::optional<GPXPoint::Kind> kindOf(std::string_view name) {
    if (name == "trkpt") return GPXPoint::Kind::Track;
    if (name == "rtept") return GPXPoint::Kind::Route;
    if (name == "wpt") return GPXPoint::Kind::Way;
    return std::nullopt;
  }

  static pugi::xml_node child(const pugi::xml_node& node, std::string_view name) {
    for (const auto& c : node.children())
      if (localName(c.name()) == name) return c;
    return {};
  }

  GPXPoint point(const pugi::xml_node& node, GPXPoint::Kind kind) {
    GPXPoint p;
    p.kind = kind;
    p.line = lineAt(node.offset_debug());
    p.latitude = coordinate(node, "lat", 90);
    p.longitude = coordinate(node, "lon", 180);
    if (const auto ele = child(node, "ele")) {
      p.elevation = parseNumber(ele.child_value());
      if (!p.elevation) fail(ele.offset_debug(), "ele \"" + std::string(ele.child_value()) + "\" is not a number");
      if (*p.elevation < exif::kLowestAltitude || *p.elevation > exif::kHighestAltitude)
        fail(ele.offset_debug(), "ele \"" + std::string(ele.child_value()) + "\" is outside -12000..100000 m");
    }
    if (const auto time = child(node, "time")) {
      p.time = parseGPXTime(trim(time.child_value()));
      if (!p.time) fail(time.offset_debug(), "time \"" + std::string(time.child_value()) + "\" is not an ISO 8601 time");
    }
    return p;
  }

  double coordinate(const pugi::xml_node& node, const char* name, double limit) {
    const auto attribute = node.attribute(name);
    const std::string element = node.name();
    if (!attribute) fail(node.offset_debug(), element + " has no " + name + " attribute");
    const auto value = parseNumber(attribute.value());
    if (!value || std::fabs(*value) > limit)
      fail(node.offset_debug(), element + " " + name + " \"" + attribute.value() + "\" is not a number within ±" +
                                    std::to_string(static_cast<int>(limit)));
    return *value;
  }

  int lineAt(std::ptrdiff_t offset) const {
    if (offset < 0) return 0;
    const auto end = text_.begin() + std::min<std::size_t>(static_cast<std::size_t>(offset), text_.size());
    return 1 + static_cast<int>(std::count(text_.begin(), end, '\n'));
  }

  [[noreturn]] void fail(std::ptrdiff_t offset, const std::string& message) const {
    const int line = lineAt(offset);
    throw GPXError(source_ + (line > 0 ? ": line " + std::to_string(line) : std::string()) + ": " + message);
  }

  std::string_view text_;
  const std::string& source_;
};

}  // namespace

std::optional<double> parseGPXTime(std::string_view text) {
  // YYYY-MM-DDTHH:MM:SS[.fff][Z|±HH:MM]
  const auto year = digits(text, 0, 4), month = digits(text, 5, 2), day = digits(text, 8, 2);
  const auto hour = digits(text, 11, 2), minute = digits(text, 14, 2), second = digits(text, 17, 2);
  if (!year || !month || !day || !hour || !minute || !second || text[4] != '-' || text[7] != '-' ||
      (text[10] != 'T' && text[10] != 't' && text[10] != ' ') || text[13] != ':' || text[16] != ':')
    return std::nullopt;
  using namespace std::chrono;
  const year_month_day date{std::chrono::year{*year}, std::chrono::month{static_cast<unsigned>(*month)},
                            std::chrono::day{static_cast<unsigned>(*day)}};
  if (!date.ok() || *hour > 23 || *minute > 59 || *second > 60) return std::nullopt;

  std::size_t pos = 19;
  double fraction = 0;
  if (pos < text.size() && text[pos] == '.') {
    double scale = 0.1;
    const std::size_t start = ++pos;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos, scale /= 10)
      fraction += (text[pos] - '0') * scale;
    if (pos == start) return std::nullopt;
  }
  int offsetMinutes = 0;
  if (pos < text.size() && (text[pos] == 'Z' || text[pos] == 'z')) {
    ++pos;
  } else if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    const auto oh = digits(text, pos + 1, 2), om = digits(text, pos + 4, 2);
    if (!oh || !om || text.size() < pos + 6 || text[pos + 3] != ':' || *oh > 23 || *om > 59) return std::nullopt;
    offsetMinutes = (text[pos] == '-' ? -1 : 1) * (*oh * 60 + *om);
    pos += 6;
  }
  if (pos != text.size()) return std::nullopt;
  const auto days = sys_days{date}.time_since_epoch().count();
  return static_cast<double>(days) * 86400.0 + *hour * 3600.0 + *minute * 60.0 + *second + fraction -
         offsetMinutes * 60.0;
}

GPXTrack GPXTrack::parse(std::string_view text, const std::string& source) {
  return GPXTrack(Reader(text, source).read());
}

GPXTrack GPXTrack::load(const std::filesystem::path& path) {
  const std::string name = path.filename().string();
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  if (error) throw GPXError(path.string() + ": cannot read: " + error.message());
  if (size > kMaxFileBytes) throw GPXError(path.string() + ": too large for a GPX track (over 256 MiB)");
  std::ifstream in(path, std::ios::binary);
  std::string text(size, '\0');
  if (!in.read(text.data(), static_cast<std::streamsize>(size)))
    throw GPXError(path.string() + ": cannot read");
  return parse(text, path.string());
}

std::vector<GPXPoint> GPXTrack::mainPath() const {
  for (const auto kind : {GPXPoint::Kind::Track, GPXPoint::Kind::Route, GPXPoint::Kind::Way}) {
    std::vector<GPXPoint> path;
    std::copy_if(points_.begin(), points_.end(), std::back_inserter(path),
                 [kind](const GPXPoint& p) { return p.kind == kind; });
    if (!path.empty()) return path;
  }
  return {};
}

}  // namespace platform
