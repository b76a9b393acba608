#include "sim/scenario.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
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
    const Json& v = object_.at(key);
    if (!v.is_number_integer()) fail(name(key), "expected a whole number");
    const long long n = v.get<long long>();
    if (n < low || n > high) fail(name(key), "expected a whole number from " + std::to_string(low) + " to " + std::to_string(high));
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
  f.only({"model", "name", "language", "utcOffsetMinutes", "start"});
  device.model = f.string("model", device.model);
  device.name = f.string("name", device.name);
  device.language = f.string("language", device.language);
  if (device.language != "en" && device.language != "de" && device.language != "fr")
    f.fail("device.language", "expected en, de or fr");
  device.utcOffsetMinutes = f.integer("utcOffsetMinutes", 0, -14 * 60, 14 * 60);
  device.start = f.string("start", device.start);
  if (!parseLocalTime(device.start, device.utcOffsetMinutes))
    f.fail("device.start", "expected a local time YYYY-MM-DDTHH:MM:SS, not '" + device.start + "'");
}

void readSettings(const Json& json, const std::filesystem::path& file, Scenario& s) {
  const Fields f(json, "settings", file);
  for (const auto& [key, value] : json.items()) {
    if (value.is_boolean())
      s.settings.emplace_back(key, platform::PropertyValue(value.get<bool>()));
    else if (value.is_number_integer())
      s.settings.emplace_back(key, platform::PropertyValue(value.get<std::int64_t>()));
    else if (value.is_number())
      s.settings.emplace_back(key, platform::PropertyValue(value.get<double>()));
    else if (value.is_string())
      s.settings.emplace_back(key, platform::PropertyValue(value.get<std::string>()));
    else
      f.fail(f.name(key), "expected true, false, a number or a text");
  }
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
      fix.alt = x.number("alt", 0, -12000, 100000);
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
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (!list[i].is_number_integer() || list[i].get<long long>() < 1 || list[i].get<long long>() > 1000000)
      f.fail(item(f.name(key), i), "expected a save number from 1");
    numbers.push_back(list[i].get<int>());
  }
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
  if (y < 1970 || y > 9999 || mo < 1 || mo > 12 || h > 23 || mi > 59 || s > 59 || d < 1) return std::nullopt;
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
    album.only({"failAt", "elsewhereAt"});
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
