// holdstill serve's HTTP API, driven from another thread against a server
// on a free port while the phone runs on this one (so the sanitizers see
// the server, the save workers and the main thread meet); and the camera
// roll's name filter, by which it lists and serves pictures.
#include "sim/camera_roll_facts.h"
#include "sim/serve/phone_feed.h"
#include "sim/serve/serve_command.h"
#include "tests/sim/sim_support.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <sstream>
#include <thread>

// Debian's HTTP library is a shared library built without ThreadSanitizer:
// the checks its own threads pass through (the guards of its function-local
// statics, say) are invisible, so what it reads and writes is not judged.
// Everything of ours that its threads call stays watched.
extern "C" const char* __tsan_default_suppressions() { return "called_from_lib:libcpp-httplib.so\n"; }

namespace {

using namespace holdstill::simtest;
using nlohmann::json;
namespace fs = std::filesystem;

// Runs the phone server here with the scenario while `client` talks to it
// from a thread of its own; the client quits it at the end. Returns the
// server's exit status.
int withServer(const std::string& dir, const std::string& scenario,
               const std::function<void(httplib::Client&, int port)>& client, std::string* log = nullptr) {
  std::ofstream(dir + "/scenario.json") << scenario;
  std::promise<int> listening;
  std::thread user([&] {
    const int port = listening.get_future().get();
    httplib::Client http("127.0.0.1", port);
    http.set_read_timeout(60);
    client(http, port);
    http.Post("/api/quit");
  });
  const holdstill::sim::serve::ServeOptions options{.scenario = dir + "/scenario.json", .device = dir + "/phone",
                                                    .port = 0, .handleSignals = false,
                                                    .listening = [&](int port) { listening.set_value(port); }};
  std::ostringstream out, err;
  int status = -1;
  try {
    status = holdstill::sim::serve::servePhone(options, out, err);
  } catch (const std::exception& e) {
    ADD_FAILURE() << e.what();
    listening.set_value(0);
  }
  user.join();
  if (log) *log = out.str() + err.str();
  return status;
}

json state(httplib::Client& http) {
  auto res = http.Get("/api/state");
  if (!res || res->status != 200) {
    ADD_FAILURE() << "GET /api/state: " << (res ? res->body : httplib::to_string(res.error()));
    return json::object();
  }
  return json::parse(res->body);
}

// Polls the state until the condition holds (a minute of wall time at most).
json waitFor(httplib::Client& http, const std::function<bool(const json&)>& condition, const char* what) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < until) {
    const json s = state(http);
    if (!s.is_null() && condition(s)) return s;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ADD_FAILURE() << "timed out waiting for " << what << "; state: " << state(http).dump();
  return json();
}

int post(httplib::Client& http, const std::string& path, const json& body) {
  auto res = http.Post(path, body.dump(), "application/json");
  EXPECT_TRUE(res && res->status < 300) << path << " " << body.dump() << ": " << (res ? res->body : "no answer");
  return res ? res->status : 0;
}

constexpr const char* kTrack = R"(<?xml version="1.0"?>
<gpx version="1.1" xmlns="http://www.topografix.com/GPX/1/1"><trk><trkseg>
<trkpt lat="-33.8568" lon="151.2153"><ele>12</ele><time>2010-06-15T11:00:00Z</time></trkpt>
<trkpt lat="-33.8569" lon="151.2154"><ele>12</ele><time>2010-06-15T11:00:01Z</time></trkpt>
</trkseg></trk></gpx>)";

TEST(ServeApi, TouchShotThenSteadyShotWithAnUploadedTrackAreSavedWithTheirPositions) {
  const TempFolder folder("serve-shots");
  std::string log;
  const int status = withServer(folder.path(), R"({"settings": {"RECORDGPS": true},
      "gps": {"fixes": [{"at": 0.2, "lat": 48.8584, "lon": -2.2945, "alt": -12}]}})",
                                [](httplib::Client& http, int port) {
    // A page's event stream, open from start to end.
    std::string events;
    std::thread page([&] {
      httplib::Client stream("127.0.0.1", port);
      stream.set_read_timeout(60);
      stream.Get("/api/events", [&](const char* data, std::size_t size) {
        events.append(data, size);
        return true;
      });
    });
    post(http, "/api/clock", {{"speed", 10}});
    json s = waitFor(http, [](const json& s) { return !s["alerts"].empty(); }, "the welcome alert");
    ASSERT_FALSE(s.is_null());
    EXPECT_EQ(s["alerts"][0]["buttons"][0]["title"], "OK");
    post(http, "/api/alert", {{"button", 0}});
    waitFor(http, [](const json& s) { return s["cameraOpen"] == true && s["alerts"].empty(); }, "the camera");

    post(http, "/api/tap", {{"x", 200}, {"y", 240}});
    // The album writes the picture first, the application then adds its EXIF block.
    auto geotagged = [](std::size_t n) {
      return [n](const json& s) { return s["roll"].size() == n && s["roll"][n - 1]["latitude"].is_number(); };
    };
    s = waitFor(http, geotagged(1), "the touch shot");
    ASSERT_FALSE(s.is_null());
    EXPECT_NEAR(s["roll"][0]["latitude"].get<double>(), 48.8584, 1e-4);
    EXPECT_NEAR(s["roll"][0]["longitude"].get<double>(), -2.2945, 1e-4) << "west";
    EXPECT_NEAR(s["roll"][0]["altitude"].get<double>(), -12, 0.1) << "below sea level";
    EXPECT_EQ(s["roll"][0]["map"],
              "https://www.openstreetmap.org/?mlat=48.858400&mlon=-2.294500#map=17/48.858400/-2.294500");
    auto thumbnail = http.Get(s["roll"][0]["thumbnail"].get<std::string>());
    ASSERT_TRUE(thumbnail && thumbnail->status == 200);
    EXPECT_EQ(thumbnail->body.substr(0, 2), "\xFF\xD8");

    // The uploaded track reaches the badge.
    auto uploaded = http.Post("/api/gps/gpx", kTrack, "application/gpx+xml");
    ASSERT_TRUE(uploaded && uploaded->status == 200) << (uploaded ? uploaded->body : "");
    EXPECT_EQ(json::parse(uploaded->body)["fixes"], 2);
    waitFor(http, [](const json& s) { return s["badge"].is_string() && s["badge"].get<std::string>().find("33.86 S") != std::string::npos; },
            "the track's position on the badge");

    // Steady mode: shaking holds the shutter back, keeping still fires it.
    waitFor(http, [](const json& s) { return s["cameraOpen"] == true; }, "the camera again");
    auto shaking = http.Post("/api/motion", R"({"motion": "shake", "amplitude": 0.5})", "application/json");
    ASSERT_TRUE(shaking && shaking->status == 200);
    EXPECT_EQ(json::parse(shaking->body), json({{"motion", "shake"}, {"amplitude", 0.5}, {"hold", "portrait"}}));
    post(http, "/api/tap", {{"x", 293}, {"y", 44}});
    waitFor(http, [](const json& s) { return s["steadyMode"] == true; }, "steady mode");
    post(http, "/api/tap", {{"x", 200}, {"y", 240}});
    const double shakenFrom = state(http)["time"];
    s = waitFor(http, [&](const json& s) { return s["time"].get<double>() > shakenFrom + 4; }, "4 s of shaking");
    EXPECT_EQ(s["roll"].size(), 1u) << "no steady shot while shaking";
    post(http, "/api/motion", {{"motion", "still"}});
    s = waitFor(http, geotagged(2), "the steady shot");
    ASSERT_FALSE(s.is_null());
    EXPECT_NEAR(s["roll"][1]["latitude"].get<double>(), -33.8569, 1e-3);

    // Paused, the phone's time stands still; resumed, it moves on.
    post(http, "/api/clock", {{"paused", true}});
    const double pausedAt = state(http)["time"];
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(state(http)["time"].get<double>(), pausedAt);
    for (double speed : {0.5, 1.0}) post(http, "/api/clock", {{"paused", true}, {"speed", speed}});  // offered too
    post(http, "/api/clock", {{"paused", false}, {"speed", 2}});
    s = waitFor(http, [&](const json& s) { return s["time"].get<double>() > pausedAt; }, "the clock to move");
    EXPECT_EQ(s["clock"], json({{"paused", false}, {"speed", 2}}));

    post(http, "/api/quit", json::object());
    page.join();
    EXPECT_EQ(count(events, "event: log\ndata: [   0.000] alert shown: \"Welcome"), 1) << "each log line once";
    EXPECT_NE(events.find("\"steadyMode\":true"), std::string::npos) << "a state";
    EXPECT_NE(events.find("event: end\ndata: {\"reason\":\"the phone was switched off\",\"status\":0}\n\n"),
              std::string::npos) << events.substr(events.size() - std::min<std::size_t>(events.size(), 300));
  }, &log);
  EXPECT_EQ(status, 0) << log;
  EXPECT_EQ(missing(log, {"shutter pressed (steady shot)", "the phone was switched off"}), "") << log;
}

// The application quitting on its own (the camera cancelled) ends the
// server with the application's status.
TEST(ServeApi, CancellingTheCameraEndsTheServerWithTheApplicationsStatus) {
  const TempFolder folder("serve-cancel");
  std::string log;
  const int status = withServer(
      folder.path(), R"({"settings": {"LASTVERSION": "1.0"}, "events": [{"at": 2, "cancelCamera": true}]})",
      [](httplib::Client& http, int) {
        post(http, "/api/clock", {{"speed", 10}});
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (http.Get("/api/state") && std::chrono::steady_clock::now() < until)
          std::this_thread::sleep_for(std::chrono::milliseconds(20));
      },
      &log);
  EXPECT_EQ(status, 0) << log;
  EXPECT_EQ(missing(log, {"the application quit with status 0", "serving the phone at http://127.0.0.1:"}), "") << log;
}

// Only names a camera roll file may have are listed or served: letters,
// digits, '_', '-' and '.', ending in ".JPG".
TEST(CameraRollNames, AreLettersDigitsAndAFewMarksEndingInJpg) {
  for (const char* name : {"IMG_0009.JPG", "AZaz09_-.JPG", "a.JPG"})
    EXPECT_TRUE(holdstill::sim::isCameraRollName(name)) << name;
  for (const char* name : {"IMG_0001.jpg", ".hidden.JPG", "IMG 1.JPG", "IMG_<b>.JPG", "IMG_@.JPG", "IMG_[.JPG",
                           "IMG_`.JPG", "IMG_{.JPG", "IMG_/.JPG", "IMG_:.JPG", ".JPG", "JPG"})
    EXPECT_FALSE(holdstill::sim::isCameraRollName(name)) << name;
  EXPECT_TRUE(holdstill::sim::isCameraRollName(std::string(251, 'A') + ".JPG"));
  EXPECT_FALSE(holdstill::sim::isCameraRollName(std::string(252, 'A') + ".JPG"));
}

TEST(ServeFeed, Base64IsTheStandardAlphabetWithPadding) {
  const std::pair<const char*, const char*> vectors[] = {{"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},
                                                         {"foo", "Zm9v"},   {"foob", "Zm9vYg=="},  {"fooba", "Zm9vYmE="},
                                                         {"foobar", "Zm9vYmFy"}, {"\xff\xfe\xfd", "//79"}};
  for (const auto& [bytes, encoded] : vectors) EXPECT_EQ(holdstill::sim::serve::base64(bytes), encoded) << bytes;
}

TEST(ServeApi, BadRequestsAreRefusedWithAReasonAndChangeNothing) {
  const TempFolder folder("serve-refusals");
  const std::string& dir = folder.path();
  const int status = withServer(dir, "{}", [&](httplib::Client& http, int port) {
    waitFor(http, [](const json& s) { return !s["alerts"].empty(); }, "the welcome alert");
    // A picture-like link out of the camera roll.
    const fs::path roll = dir + "/phone/private/var/mobile/Media/DCIM/100APPLE";
    fs::create_directories(roll);
    fs::create_symlink(dir + "/scenario.json", roll / "IMG_9999.JPG");
    // A name that is no camera roll name, markup in it, is never listed.
    std::ofstream(roll / "IMG_<b>1.JPG") << "\xFF\xD8\xFF\xD9";
    post(http, "/api/clock", {{"paused", true}});
    json before = state(http);
    before.erase("roll");

    // Method, path, headers, body, and the status of the refusal.
    const std::tuple<std::string, std::string, httplib::Headers, std::string, int> cases[] = {
        {"GET", "/api/state", {{"Host", "evil.example:" + std::to_string(port)}}, "", 403},
        {"POST", "/api/tap", {{"Origin", "http://evil.example"}}, R"({"x": 1, "y": 1})", 403},
        {"POST", "/api/tap", {{"Origin", "null"}}, R"({"x": 1, "y": 1})", 403},
        {"POST", "/api/tap", {}, R"({"x": 1, "y": 1, "pressure": 2})", 400},
        {"POST", "/api/tap", {}, R"({"x": "1", "y": 1})", 400},
        {"POST", "/api/tap", {}, R"({"x": 500, "y": 1})", 400},
        {"POST", "/api/tap", {}, R"({"x": 1, "y": 480})", 400},  // the screen's last row is 479
        {"POST", "/api/tap", {}, "x=1&y=1", 400},
        {"POST", "/api/tap", {}, std::string(20000, ' '), 413},
        {"POST", "/api/alert", {}, R"({"button": 5})", 400},
        {"POST", "/api/motion", {}, R"({"motion": "spin"})", 400},
        {"POST", "/api/motion", {}, R"({"motion": "shake", "amplitude": 40})", 400},
        {"POST", "/api/gps/fix", {}, R"({"lat": 91, "lon": 0})", 400},
        {"POST", "/api/gps/gpx", {}, "<gpx><trk>", 400},
        {"POST", "/api/clock", {}, R"({"speed": 3})", 400},
        {"GET", "/api/tap", {}, "", 405},
        {"GET", "/api/nothing", {}, "", 404},
        {"GET", "/roll/..%2F..%2F..%2F..%2F..%2Fscenario.json", {}, "", 404},
        {"GET", "/roll/%2e%2e", {}, "", 404},
        {"GET", "/roll/../../../../../scenario.json", {}, "", 404},
        {"GET", "/thumbnail/..%2fIMG_0001.JPG", {}, "", 404},
        {"GET", "/roll/IMG_9999.JPG", {}, "", 404},
        {"GET", "/..%2f..%2fsim%2fscenarios%2fdefault.json", {}, "", 404},
        {"GET", "/.%2e/Info.json", {}, "", 404},
    };
    for (const auto& [method, path, headers, body, refusal] : cases) {
      SCOPED_TRACE(method + " " + path + " " + body.substr(0, 40));
      httplib::Client raw("127.0.0.1", port);
      auto res = method == "GET" ? raw.Get(path, headers) : raw.Post(path, headers, body, "application/json");
      ASSERT_TRUE(res);
      EXPECT_EQ(res->status, refusal) << res->body;
      const json answer = json::parse(res->body, nullptr, false);
      EXPECT_TRUE(answer.is_object() && answer["error"].is_string()) << res->body;
    }
    // A page opened while nothing moves gets the screen at once all the same.
    std::string events;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    httplib::Client("127.0.0.1", port).Get("/api/events", [&](const char* data, std::size_t size) {
      events.append(data, size);
      return events.find("event: frame") == std::string::npos && std::chrono::steady_clock::now() < until;
    });
    EXPECT_NE(events.find("event: frame\ndata: iVBORw0KGgo"), std::string::npos) << events.substr(0, 300);
    json after = state(http);
    EXPECT_EQ(after["roll"], json::array()) << "neither the link out nor the odd name is a picture";
    after.erase("roll");
    EXPECT_EQ(after, before);
    // The page's own files are served, and the API answers a Host that names this machine as localhost.
    auto page = http.Get("/");
    ASSERT_TRUE(page && page->status == 200);
    EXPECT_NE(page->body.find("app.js"), std::string::npos);
    auto localhost = http.Get("/api/state", {{"Host", "localhost:" + std::to_string(port)}});
    EXPECT_TRUE(localhost && localhost->status == 200);
  });
  EXPECT_EQ(status, 0);
}

}  // namespace
