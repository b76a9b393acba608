#include "sim/scenario.h"

#include "exif/exf_gps_values.h"
#include "platform/graphics/image_codec.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <set>
#include <sstream>

namespace holdstill::sim {

using platform::UIDeviceOrientation;
using Json = nlohmann::json;

namespace {

// Longest run a scenario may ask for: a day of phone time.
constexpr double kLongestRun = 86400;
constexpr std::uintmax_t kLargestScenario = 16u * 1024 * 1024;

// Reads fields of one JSON object, naming each in its errors by its path
// from the top ("motion[2].shake").
class Fields {
 public:
  Fields(const Json& object, std::string path, const std::filesystem::path& file)
      : object_(object), path_(std::move(path)), file_(file) {
    if (!object.is_object()) fail(path_.empty() ? "(whole file)" : path_, "expected an object");
  }

  // Every field must be one of `known`.
  void only(std::initializer_list<const char*> known) const {
    const std::set<std::string> names(known.begin(), known.end());
    for (const auto& [key, value] : object_.items())
      if (!names.contains(key)) fail(name(key), "unknown field");
  }

  bool has(const char* key) const { return object_.contains(key); }
  const Json& raw(const char* key) const { return object_.at(key); }
  std::string name(const std::string& key) const { return path_.empty() ? key : path_ + "." + key; }

  double number(const char* key, double fallback, double low = -1e300, double high = 1e300) const {
    if (!has(key)) return fallback;
    const Json& v = object_.at(key);
    if (!v.is_number()) fail(name(key), "expected a number");
    const double d = v.get<double>();
    if (!std::isfinite(d) || d < low || d > high)
      fail(name(key), "expected a number from " + text(low) + " to " + text(high));
    return d;
  }
  double time(const char* key, double fallback) const { return number(key, fallback, 0, kLongestRun); }
  int integer(const char* key, int fallback, int low, int high) const {
    if (!has(key)) return fallback;
    return wholeNumber(object_.at(key), name(key), low, high);
  }
  // A whole number within [low, high], however large the one written:
  // read in its own signedness, 18446744073709551615 is not taken for -1.
  int wholeNumber(const Json& v, const std::string& field, int low, int high) const {
    if (!v.is_number_integer()) fail(field, "expected a whole number");
    const bool huge = v.is_number_unsigned() && v.get<std::uint64_t>() > std::uint64_t(INT64_MAX);
    const std::int64_t n = huge ? 0 : v.get<std::int64_t>();
    if (huge || n < low || n > high)
      fail(field, "expected a whole number from " + std::to_string(low) + " to " + std::to_string(high));
    return static_cast<int>(n);
  }
  bool boolean(const char* key, bool fallback) const {
    if (!has(key)) return fallback;
    if (!object_.at(key).is_boolean()) fail(name(key), "expected true or false");
    return object_.at(key).get<bool>();
  }
  std::string string(const char* key, std::string fallback) const {
    if (!has(key)) return fallback;
    if (!object_.at(key).is_string()) fail(name(key), "expected a text");
    return object_.at(key).get<std::string>();
  }
  // A path relative to the scenario file, which must name an existing file.
  std::filesystem::path file(const char* key) const {
    const std::string given = string(key, "");
    if (given.empty()) fail(name(key), "expected a file name");
    std::filesystem::path path = given;
    if (path.is_relative()) path = file_.parent_path() / path;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
      fail(name(key), "no such file: " + path.string());
    return path;
  }
  const Json& array(const char* key) const {
    const Json& v = object_.at(key);
    if (!v.is_array()) fail(name(key), "expected a list");
    return v;
  }

  [[noreturn]] void fail(const std::string& field, const std::string& what) const {
    throw ScenarioError(file_.string() + ": " + field + ": " + what);
  }

 private:
  static std::string text(double d) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", d);
    return buffer;
  }

  const Json& object_;
  std::string path_;
  const std::filesystem::path& file_;
};

// Follows the parse through objects and lists and, at the first error,
// keeps the path of the field where it happened ("gps.fixes[0].alt").
class FieldLocator final : public nlohmann::json_sax<Json> {
 public:
  std::string field;

  bool null() override { return value(); }
  bool boolean(bool) override { return value(); }
  bool number_integer(number_integer_t) override { return value(); }
  bool number_unsigned(number_unsigned_t) override { return value(); }
  bool number_float(number_float_t, const string_t&) override { return value(); }
  bool string(string_t&) override { return value(); }
  bool binary(binary_t&) override { return value(); }
  bool start_object(std::size_t) override { return open(false); }
  bool key(string_t& name) override {
    frames_.back().key = name;
    return true;
  }
  bool end_object() override { return close(); }
  bool start_array(std::size_t) override { return open(true); }
  bool end_array() override { return close(); }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    value();  // the value that failed counts in its list
    for (const Frame& f : frames_) field += f.array ? "[" + std::to_string(f.count - 1) + "]" : (field.empty() ? "" : ".") + f.key;
    return false;
  }

 private:
  struct Frame {
    bool array = false;
    std::string key;
    std::size_t count = 0;  // values begun in a list
  };
  bool value() {
    if (!frames_.empty() && frames_.back().array) ++frames_.back().count;
    return true;
  }
  bool open(bool array) {
    value();
    frames_.push_back({array, {}, 0});
    return true;
  }
  bool close() {
    frames_.pop_back();
    return true;
  }
  std::vector<Frame> frames_;
};

std::string item(const std::string& list, std::size_t index) {
  return list + "[" + std::to_string(index) + "]";
}

UIDeviceOrientation orientationField(const Fields& f) {
  const std::string text = f.string("orientation", "portrait");
  if (text == "portrait") return UIDeviceOrientation::Portrait;
  if (text == "landscapeLeft") return UIDeviceOrientation::LandscapeLeft;
  if (text == "landscapeRight") return UIDeviceOrientation::LandscapeRight;
  if (text == "upsideDown") return UIDeviceOrientation::PortraitUpsideDown;
  if (text == "faceUp") return UIDeviceOrientation::FaceUp;
  f.fail(f.name("orientation"), "expected portrait, landscapeLeft, landscapeRight, upsideDown or faceUp");
}

void readDevice(const Json& json, const std::filesystem::path& file, Scenario::Device& device) {
  const Fields f(json, "device", file);
  f.only({"model", "name", "language", "utcOffsetMinutes", "start", "freeBytes", "readOnly"});
  device.model = f.string("model", device.model);
  device.name = f.string("name", device.name);
  device.language = f.string("language", device.language);
  if (device.language != "en" && device.language != "de" && device.language != "fr")
    f.fail("device.language", "expected en, de or fr");
  device.utcOffsetMinutes = f.integer("utcOffsetMinutes", 0, -14 * 60, 14 * 60);
  device.start = f.string("start", device.start);
  if (f.has("freeBytes")) {
    const double bytes = f.number("freeBytes", 0, 0, 1e15);
    if (bytes != std::floor(bytes)) f.fail("device.freeBytes", "expected a whole number of bytes");
    device.freeBytes = static_cast<std::uint64_t>(bytes);
  }
  device.readOnly = f.boolean("readOnly", false);
  if (!parseLocalTime(device.start, device.utcOffsetMinutes))
    f.fail("device.start", "expected a local time YYYY-MM-DDTHH:MM:SS, not '" + device.start + "'");
}

// The settings the application reads, each with its type; any other key
// is refused, as a misspelt one would pass unnoticed.
void readSettings(const Json& json, const std::filesystem::path& file, Scenario& s) {
  const Fields f(json, "settings", file);
  f.only({"RECORDGPS", "SHOWSPLASH", "SENSITIVITY", "LASTVERSION"});
  for (const char* key : {"RECORDGPS", "SHOWSPLASH"})
    if (f.has(key)) s.settings.emplace_back(key, platform::PropertyValue(f.boolean(key, true)));
  if (f.has("SENSITIVITY"))
    s.settings.emplace_back("SENSITIVITY", platform::PropertyValue(std::int64_t(f.integer(
                                               "SENSITIVITY", 1, std::numeric_limits<std::int32_t>::min(),
                                               std::numeric_limits<std::int32_t>::max()))));
  if (f.has("LASTVERSION")) s.settings.emplace_back("LASTVERSION", platform::PropertyValue(f.string("LASTVERSION", "")));
}

void readMotion(const Json& json, const std::filesystem::path& file, Scenario& s) {
  if (!json.is_array()) throw ScenarioError(file.string() + ": motion: expected a list");
  for (std::size_t i = 0; i < json.size(); ++i) {
    const Fields f(json[i], item("motion", i), file);
    f.only({"from", "to", "still", "shake", "trace", "orientation"});
    Scenario::MotionSegment m;
    m.from = f.time("from", 0);
    m.orientation = orientationField(f);
    const int kinds = f.has("still") + f.has("shake") + f.has("trace");
    if (kinds != 1) f.fail(item("motion", i), "expected one of still, shake or trace");
    if (f.has("trace")) {
      m.kind = Scenario::MotionSegment::Kind::Trace;
      m.trace = f.file("trace");
      if (f.has("to")) m.to = f.time("to", 0);
    } else {
      if (!f.has("to")) f.fail(f.name("to"), "expected the time the segment ends");
      m.to = f.time("to", 0);
      if (f.has("shake")) {
        m.kind = Scenario::MotionSegment::Kind::Shake;
        m.amplitude = f.number("shake", 0, 0.001, 10);
      } else if (!f.boolean("still", true)) {
        f.fail(f.name("still"), "expected true (a segment that is not still shakes)");
      }
    }
    if (m.to && *m.to <= m.from) f.fail(f.name("to"), "must come after from");
    s.motion.push_back(std::move(m));
  }
}

void readGps(const Json& json, const std::filesystem::path& file, Scenario& s) {
  const Fields f(json, "gps", file);
  f.only({"gpx", "start", "accuracy", "keepTimes", "fixes", "errors"});
  if (f.has("gpx") && f.has("fixes")) f.fail("gps", "expected either gpx or fixes, not both");
  if (f.has("gpx")) s.gps.gpx = f.file("gpx");
  s.gps.start = f.time("start", 0);
  s.gps.accuracy = f.number("accuracy", 5, -1, 100000);
  s.gps.keepTimes = f.boolean("keepTimes", false);
  if (f.has("fixes")) {
    const Json& fixes = f.array("fixes");
    for (std::size_t i = 0; i < fixes.size(); ++i) {
      const Fields x(fixes[i], item("gps.fixes", i), file);
      x.only({"at", "lat", "lon", "alt", "accuracy", "ageSeconds"});
      if (!x.has("lat") || !x.has("lon")) x.fail(item("gps.fixes", i), "expected lat and lon");
      Scenario::Fix fix;
      fix.at = x.time("at", 0);
      fix.lat = x.number("lat", 0, -90, 90);
      fix.lon = x.number("lon", 0, -180, 180);
      fix.alt = x.number("alt", 0, exif::kLowestAltitude, exif::kHighestAltitude);
      fix.accuracy = x.number("accuracy", 5, -1, 100000);
      fix.ageSeconds = x.number("ageSeconds", 0, 0, 1e9);
      s.gps.fixes.push_back(fix);
    }
  }
  if (f.has("errors")) {
    const Json& errors = f.array("errors");
    for (std::size_t i = 0; i < errors.size(); ++i) {
      const Fields x(errors[i], item("gps.errors", i), file);
      x.only({"at", "code", "description"});
      s.gps.errors.push_back({x.time("at", 0), x.integer("code", 0, -1000000, 1000000),
                              x.string("description", "")});
    }
  }
}

void readCamera(const Json& json, const std::filesystem::path& file, Scenario& s) {
  const Fields f(json, "camera", file);
  f.only({"pictures"});
  if (!f.has("pictures")) return;
  const Json& pictures = f.array("pictures");
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    const Fields p(pictures[i], item("camera.pictures", i), file);
    p.only({"file", "orientation"});
    Scenario::Picture picture{p.file("file"), p.string("orientation", "up")};
    std::ifstream in(picture.file, std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string why;
    if (!platform::decodeImage(bytes, &why))
      p.fail(p.name("file"), picture.file.string() + ": not a PNG or JPEG picture we can read" +
                                 (why.empty() ? std::string() : " (" + why + ")"));
    static const std::set<std::string> kOrientations{"up", "down", "left", "right"};
    if (!kOrientations.contains(picture.orientation))
      p.fail(p.name("orientation"), "expected up, down, left or right");
    s.pictures.push_back(std::move(picture));
  }
}

std::vector<int> saveNumbers(const Fields& f, const char* key) {
  std::vector<int> numbers;
  if (!f.has(key)) return numbers;
  const Json& list = f.array(key);
  for (std::size_t i = 0; i < list.size(); ++i) numbers.push_back(f.wholeNumber(list[i], item(f.name(key), i), 1, 1000000));
  return numbers;
}

void readEvents(const Json& json, const std::filesystem::path& file, Scenario& s) {
  if (!json.is_array()) throw ScenarioError(file.string() + ": events: expected a list");
  for (std::size_t i = 0; i < json.size(); ++i) {
    const std::string at = item("events", i);
    const Fields f(json[i], at, file);
    f.only({"at", "tap", "tapAlertButton", "touchAlert", "tapLink", "cancelCamera"});
    Scenario::Event e;
    e.at = f.time("at", 0);
    const int kinds = f.has("tap") + f.has("tapAlertButton") + f.has("touchAlert") + f.has("tapLink") +
                      f.has("cancelCamera");
    if (kinds != 1) f.fail(at, "expected one of tap, tapAlertButton, touchAlert, tapLink or cancelCamera");
    if (f.has("tap")) {
      const Json& p = f.array("tap");
      if (p.size() != 2 || !p[0].is_number() || !p[1].is_number())
        f.fail(f.name("tap"), "expected a screen point [x, y]");
      e.kind = Scenario::Event::Kind::Tap;
      e.point = {p[0].get<platform::CGFloat>(), p[1].get<platform::CGFloat>()};
      if (!(e.point.x >= 0 && e.point.x < 320 && e.point.y >= 0 && e.point.y < 480))
        f.fail(f.name("tap"), "expected a point on the 320 x 480 screen");
    } else if (f.has("tapAlertButton")) {
      e.kind = Scenario::Event::Kind::TapAlertButton;
      e.button = f.integer("tapAlertButton", 0, 0, 100);
    } else if (f.has("touchAlert")) {
      e.kind = Scenario::Event::Kind::TouchAlert;
      if (!f.boolean("touchAlert", true)) f.fail(f.name("touchAlert"), "expected true");
    } else if (f.has("tapLink")) {
      e.kind = Scenario::Event::Kind::TapLink;
      e.link = f.string("tapLink", "");
      if (e.link.empty()) f.fail(f.name("tapLink"), "expected the link's text");
    } else {
      e.kind = Scenario::Event::Kind::CancelCamera;
      if (!f.boolean("cancelCamera", true)) f.fail(f.name("cancelCamera"), "expected true");
    }
    s.events.push_back(std::move(e));
  }
  std::stable_sort(s.events.begin(), s.events.end(),
                   [](const auto& a, const auto& b) { return a.at < b.at; });
}

}  // namespace

std::optional<double> parseLocalTime(std::string_view text, int utcOffsetMinutes) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, used = 0;
  const std::string copy(text);
  if (std::sscanf(copy.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%n", &y, &mo, &d, &h, &mi, &s, &used) != 6 ||
      used != static_cast<int>(copy.size()) || copy.size() != 19)
    return std::nullopt;
  // Four digits hold no year past 9999; the clock starts in 1970.
  if (y < 1970 || mo < 1 || mo > 12 || h > 23 || mi > 59 || s > 59 || d < 1) return std::nullopt;
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  if (d > kDays[mo - 1] + (mo == 2 && leap)) return std::nullopt;
  // Days since 1970-01-01 (civil-from-days inverse).
  const int yy = y - (mo <= 2);
  const int era = yy / 400;
  const int yoe = yy - era * 400;
  const int doy = (153 * (mo + (mo > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const long long days = static_cast<long long>(era) * 146097 + doe - 719468;
  return static_cast<double>(days * 86400 + h * 3600 + mi * 60 + s) - utcOffsetMinutes * 60.0;
}

Scenario parseScenario(std::string_view text, const std::filesystem::path& file) {
  Json json;
  try {
    json = Json::parse(text);
  } catch (const Json::parse_error& e) {
    throw ScenarioError(file.string() + ": (whole file): not valid JSON at byte " + std::to_string(e.byte));
  } catch (const Json::out_of_range&) {
    // A number beyond what a double holds (1e400): name the field it stands in.
    FieldLocator where;
    Json::sax_parse(text, &where);
    throw ScenarioError(file.string() + ": " + (where.field.empty() ? "(whole file)" : where.field) +
                        ": a number too large");
  }
  Scenario s;
  s.file = file;
  const Fields top(json, "", file);
  top.only({"device", "settings", "motion", "gps", "camera", "album", "events", "screenshots", "until"});
  if (top.has("device")) readDevice(json["device"], file, s.device);
  if (top.has("settings")) readSettings(json["settings"], file, s);
  if (top.has("motion")) readMotion(json["motion"], file, s);
  if (top.has("gps")) readGps(json["gps"], file, s);
  if (top.has("camera")) readCamera(json["camera"], file, s);
  if (top.has("album")) {
    const Fields album(json["album"], "album", file);
    album.only({"failAt", "elsewhereAt", "seconds"});
    if (album.has("seconds")) s.albumSeconds = album.number("seconds", 0, 0, 3600);
    s.albumFailAt = saveNumbers(album, "failAt");
    s.albumElsewhereAt = saveNumbers(album, "elsewhereAt");
  }
  if (top.has("events")) readEvents(json["events"], file, s);
  if (top.has("screenshots")) {
    const Json& times = top.array("screenshots");
    for (std::size_t i = 0; i < times.size(); ++i) {
      if (!times[i].is_number() || !(times[i].get<double>() >= 0 && times[i].get<double>() <= kLongestRun))
        top.fail(item("screenshots", i), "expected a time in seconds");
      s.screenshots.push_back(times[i].get<double>());
    }
  }
  s.until = top.number("until", s.until, 0.001, kLongestRun);
  return s;
}

Scenario readScenario(const std::filesystem::path& file) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error))
    throw ScenarioError(file.string() + ": (whole file): no such file");
  if (std::filesystem::file_size(file, error) > kLargestScenario)
    throw ScenarioError(file.string() + ": (whole file): larger than 16 MB");
  std::ifstream in(file, std::ios::binary);
  if (!in.is_open()) throw ScenarioError(file.string() + ": (whole file): cannot be read");
  std::ostringstream text;
  text << in.rdbuf();
  return parseScenario(text.str(), file);
}

}  // namespace holdstill::sim
