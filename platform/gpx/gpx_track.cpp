#include "platform/gpx/gpx_track.h"

#include "exif/exf_gps_values.h"

#include <pugixml.hpp>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <fstream>

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

// Line numbers of byte offsets, from an index of the text's line starts
// made in one pass before the text is parsed (parsing in place changes the
// bytes, and counting from the start for every point is quadratic).
class LineIndex {
 public:
  explicit LineIndex(std::string_view text) {
    for (std::size_t at = text.find('\n'); at != std::string_view::npos; at = text.find('\n', at + 1))
      newlines_.push_back(static_cast<std::uint32_t>(at));
  }
  // 1 for the first line; 0 for an unknown offset.
  int lineAt(std::ptrdiff_t offset) const {
    if (offset < 0) return 0;
    const auto before = std::lower_bound(newlines_.begin(), newlines_.end(), static_cast<std::uint64_t>(offset),
                                         [](std::uint32_t n, std::uint64_t o) { return n < o; });
    return 1 + static_cast<int>(before - newlines_.begin());
  }

 private:
  std::vector<std::uint32_t> newlines_;  // offsets of the '\n' bytes (texts are at most 256 MiB)
};

class Reader {
 public:
  // Parses `text` in place (it is changed); `source` names it in messages.
  Reader(std::string& text, const std::string& source) : text_(text), lines_(text), source_(source) {}

  std::vector<GPXPoint> read() {
    pugi::xml_document document;
    // Element text kept in the element itself: a node fewer for each value.
    const auto result =
        document.load_buffer_inplace(text_.data(), text_.size(), pugi::parse_default | pugi::parse_embed_pcdata);
    if (!result) fail(result.offset, result.description());
    const auto root = document.document_element();
    if (std::string_view(root.name()) != "gpx" && !endsWith(root.name(), ":gpx"))
      fail(root.offset_debug(), "not a GPX document (root element <" + std::string(root.name()) + ">)");

    // Every element below the root, in document order.
    std::vector<GPXPoint> points;
    for (pugi::xml_node node = root.first_child(); node;) {
      if (node.type() == pugi::node_element)
        if (const auto kind = kindOf(localName(node.name()))) points.push_back(point(node, *kind));
      if (node.first_child()) {
        node = node.first_child();
        continue;
      }
      while (node != root && !node.next_sibling()) node = node.parent();
      node = node == root ? pugi::xml_node() : node.next_sibling();
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
    p.line = lines_.lineAt(node.offset_debug());
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

  [[noreturn]] void fail(std::ptrdiff_t offset, const std::string& message) const {
    const int line = lines_.lineAt(offset);
    throw GPXError(source_ + (line > 0 ? ": line " + std::to_string(line) : std::string()) + ": " + message);
  }

  std::string& text_;
  LineIndex lines_;
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
  if (text.size() > kMaxFileBytes) throw GPXError(source + ": too large for a GPX track (over 256 MiB)");
  std::string copy(text);
  return GPXTrack(Reader(copy, source).read());
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
  return GPXTrack(Reader(text, path.string()).read());
}

std::vector<GPXPoint> GPXTrack::mainPath() const {
  for (const auto kind : {GPXPoint::Kind::Track, GPXPoint::Kind::Route, GPXPoint::Kind::Way}) {
    std::vector<GPXPoint> path;
    path.reserve(points_.size());
    std::copy_if(points_.begin(), points_.end(), std::back_inserter(path),
                 [kind](const GPXPoint& p) { return p.kind == kind; });
    if (!path.empty()) return path;
  }
  return {};
}

}  // namespace platform
