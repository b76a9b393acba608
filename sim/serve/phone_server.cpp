#include "sim/serve/phone_server.h"

#include "platform/gpx/gpx_track.h"
#include "sim/camera_roll_facts.h"
#include "sim/commands.h"
#include "sim/serve/main_thread_call.h"
#include "sim/serve/phone_controls.h"
#include "sim/serve/phone_feed.h"
#include "sim/serve/request_checks.h"
#include "sim/serve/screen_monitor.h"

#include <httplib.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <thread>

namespace holdstill::sim::serve {

using nlohmann::json;
namespace fs = std::filesystem;

namespace {

constexpr auto kMainThreadWait = std::chrono::seconds(10);
constexpr auto kStreamHeartbeat = std::chrono::seconds(15);

std::string contentTypeOf(const fs::path& file) {
  const std::string ext = file.extension().string();
  if (ext == ".html" || ext == ".htm") return "text/html; charset=utf-8";
  if (ext == ".css") return "text/css; charset=utf-8";
  if (ext == ".js") return "text/javascript; charset=utf-8";
  if (ext == ".png") return "image/png";
  if (ext == ".svg") return "image/svg+xml";
  if (ext == ".JPG" || ext == ".jpg" || ext == ".jpeg") return "image/jpeg";
  return "application/octet-stream";
}

std::string readFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw RequestError(404, "no such file");
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void sendJson(httplib::Response& res, const json& body, int status = 200) {
  res.status = status;
  res.set_header("Cache-Control", "no-store");
  res.set_content(body.dump(), "application/json");
}

const char* reasonOf(int status) {
  switch (status) {
    case 400: return "bad request";
    case 403: return "forbidden";
    case 404: return "no such resource";
    case 405: return "method not allowed";
    case 413: return "request body too large";
    case 503: return "the phone is not answering";
    default: return status >= 500 ? "server error" : "request refused";
  }
}

std::optional<std::string> headerOf(const httplib::Request& req, const char* name) {
  if (!req.has_header(name)) return std::nullopt;
  return req.get_header_value(name);
}

}  // namespace

struct PhoneServer::Impl {
  ServerSetup setup;
  PhoneFeed& feed;
  ScreenMonitor& monitor;
  PhoneControls& controls;
  std::function<void()> quit;
  AddressGuard guard{"127.0.0.1", 0};
  httplib::Server http;
  std::thread thread;
  std::atomic<int> streams{0};

  Impl(ServerSetup s, PhoneFeed& f, ScreenMonitor& m, PhoneControls& c, std::function<void()> q)
      : setup(std::move(s)), feed(f), monitor(m), controls(c), quit(std::move(q)) {}

  // Runs a control on the main thread and answers with its result.
  template <class Action>
  void act(httplib::Response& res, Action action) {
    auto result = callOnMainThread(std::move(action), kMainThreadWait);
    if (!result) throw RequestError(503, "the phone is not running");
    sendJson(res, *result);
  }

  // A route whose handler may refuse the request with a RequestError.
  using Route = std::function<void(const httplib::Request&, httplib::Response&)>;
  static httplib::Server::Handler guarded(Route route) {
    return [route = std::move(route)](const httplib::Request& req, httplib::Response& res) {
      try {
        route(req, res);
      } catch (const RequestError& e) {
        sendJson(res, {{"error", e.what()}}, e.status());
      }
    };
  }

  void routes();
  void servePageFile(const std::string& name, httplib::Response& res) {
    const fs::path file = fileInFolder(setup.pageFolder, name);
    res.set_header("Cache-Control", "no-cache");
    res.set_header("Content-Security-Policy",
                   "default-src 'self'; img-src 'self' data:; style-src 'self'; script-src 'self'");
    res.set_content(readFile(file), contentTypeOf(file).c_str());
  }
};

void PhoneServer::Impl::routes() {
  http.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
    res.set_header("X-Content-Type-Options", "nosniff");
    try {
      guard.check(headerOf(req, "Host"), headerOf(req, "Origin"));
      const std::size_t limit = req.path == "/api/gps/gpx" ? kMaxTrackBody : kMaxBody;
      if (req.get_header_value<std::uint64_t>("Content-Length") > limit)
        throw RequestError(413, "the request body is larger than " + std::to_string(limit) + " bytes");
    } catch (const RequestError& e) {
      res.set_header("Connection", "close");
      sendJson(res, {{"error", e.what()}}, e.status());
      return httplib::Server::HandlerResponse::Handled;
    }
    return httplib::Server::HandlerResponse::Unhandled;
  });
  http.set_error_handler([](const httplib::Request&, httplib::Response& res) {
    if (res.body.empty()) sendJson(res, {{"error", reasonOf(res.status)}}, res.status);
  });
  http.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr failure) {
    std::string what = "server error";
    try {
      std::rethrow_exception(failure);
    } catch (const std::exception& e) {
      what = e.what();
    } catch (...) {
    }
    sendJson(res, {{"error", what}}, 500);
  });

  // The page.
  http.Get("/", guarded([this](const auto&, auto& res) { servePageFile("index.html", res); }));
  http.Get(R"(/([^/]+))", guarded([this](const auto& req, auto& res) { servePageFile(req.matches[1], res); }));

  // The camera roll's files and EXIF thumbnails.
  http.Get(R"(/roll/([^/]+))", guarded([this](const httplib::Request& req, httplib::Response& res) {
             const std::string name = req.matches[1];
             if (!isCameraRollName(name)) throw RequestError(404, "no such picture");
             const fs::path file = fileInFolder(setup.cameraRoll, name);
             if (req.has_param("download")) res.set_header("Content-Disposition", "attachment; filename=\"" + name + "\"");
             res.set_content(readFile(file), "image/jpeg");
           }));
  http.Get(R"(/thumbnail/([^/]+))", guarded([this](const httplib::Request& req, httplib::Response& res) {
             const std::string name = req.matches[1];
             if (!isCameraRollName(name)) throw RequestError(404, "no such picture");
             const PictureFacts facts = readPictureFacts(fileInFolder(setup.cameraRoll, name));
             if (facts.thumbnail.empty()) throw RequestError(404, name + " has no EXIF thumbnail");
             res.set_content(std::string(facts.thumbnail.begin(), facts.thumbnail.end()), "image/jpeg");
           }));

  // Reading the phone.
  http.Get("/api/state", guarded([this](const auto&, auto& res) {
             auto state = callOnMainThread([this] { return controls.state(); }, kMainThreadWait);
             if (!state) throw RequestError(503, "the phone is not running");
             (*state)["roll"] = monitor.cameraRoll();
             sendJson(res, *state);
           }));
  http.Get("/api/screen.png", guarded([this](const auto&, httplib::Response& res) {
             monitor.refresh();
             auto png = feed.latestFrame();
             if (!png) throw RequestError(503, "the phone is not running");
             res.set_header("Cache-Control", "no-store");
             res.set_content(*png, "image/png");
           }));
  http.Get("/api/events", guarded([this](const auto&, httplib::Response& res) {
             if (++streams > kMaxStreams) {
               --streams;
               throw RequestError(503, "too many event streams open");
             }
             monitor.watch(+1);
             res.set_header("Cache-Control", "no-store");
             auto cursor = std::make_shared<PhoneFeed::Cursor>();
             res.set_chunked_content_provider(
                 "text/event-stream",
                 [this, cursor](std::size_t, httplib::DataSink& sink) {
                   std::string out;
                   const bool more = feed.next(*cursor, out, kStreamHeartbeat);
                   if (out.empty()) out = ": waiting\n\n";
                   if (!sink.write(out.data(), out.size())) return false;
                   if (!more) sink.done();
                   return true;
                 },
                 [this](bool) {
                   monitor.watch(-1);
                   --streams;
                 });
           }));

  // The controls.
  http.Post("/api/tap", guarded([this](const auto& req, auto& res) {
              const RequestFields body(req.body, {"x", "y"});
              const double x = body.number("x"), y = body.number("y");
              act(res, [this, x, y] { return controls.tap(x, y); });
            }));
  http.Post("/api/alert", guarded([this](const auto& req, auto& res) {
              const RequestFields body(req.body, {"button"});
              const int button = body.whole("button");
              act(res, [this, button] { return controls.tapAlertButton(button); });
            }));
  http.Post("/api/motion", guarded([this](const auto& req, auto& res) {
              const RequestFields body(req.body, {"motion", "amplitude", "hold"});
              auto motion = body.optionalText("motion");
              auto hold = body.optionalText("hold");
              std::optional<double> amplitude;
              if (body.has("amplitude")) amplitude = body.number("amplitude");
              act(res, [=, this] { return controls.setMotion(motion, amplitude, hold); });
            }));
  http.Post("/api/gps/fix", guarded([this](const auto& req, auto& res) {
              const RequestFields body(req.body, {"lat", "lon", "alt", "accuracy"});
              const double lat = body.number("lat"), lon = body.number("lon"), alt = body.number("alt", 0),
                           accuracy = body.number("accuracy", 5);
              act(res, [=, this] { return controls.playFix(lat, lon, alt, accuracy); });
            }));
  http.Post("/api/gps/error", guarded([this](const auto& req, auto& res) {
              const RequestFields body(req.body, {"code", "description"});
              const int code = body.whole("code");
              const std::string description = body.optionalText("description").value_or("The operation couldn't be completed.");
              act(res, [=, this] { return controls.sendError(code, description); });
            }));
  http.Post("/api/gps/off", guarded([this](const auto& req, auto& res) {
              const RequestFields body(req.body, {});
              act(res, [this] { return controls.switchGPSOff(); });
            }));
  http.Post("/api/gps/walk", guarded([this](const auto& req, auto& res) {
              const RequestFields body(req.body, {});
              auto track = std::make_shared<platform::GPXTrack>(platform::GPXTrack::load(setup.walk));
              act(res, [this, track] { return controls.playTrack(*track, "walk"); });
            }));
  http.Post("/api/gps/gpx", guarded([this](const auto& req, auto& res) {
              std::shared_ptr<platform::GPXTrack> track;
              try {
                track = std::make_shared<platform::GPXTrack>(platform::GPXTrack::parse(req.body, "the uploaded track"));
              } catch (const std::exception& e) {
                throw RequestError(400, e.what());
              }
              act(res, [this, track] { return controls.playTrack(*track, "gpx"); });
            }));
  http.Post("/api/clock", guarded([this](const auto& req, auto& res) {
              const RequestFields body(req.body, {"paused", "speed"});
              const auto paused = body.flag("paused");
              std::optional<double> speed;
              if (body.has("speed")) speed = body.number("speed");
              act(res, [=, this] { return controls.setClock(paused, speed); });
            }));
  http.Post("/api/quit", guarded([this](const auto& req, auto& res) {
              const RequestFields body(req.body, {});
              quit();
              sendJson(res, {{"quitting", true}}, 202);
            }));
  // Reading a control's address is a wrong method, not a missing page.
  http.Get(R"(/api/(tap|alert|motion|clock|quit|gps/.*))", guarded([](const auto&, auto&) {
             throw RequestError(405, "use POST");
           }));
}

PhoneServer::PhoneServer(ServerSetup setup, PhoneFeed& feed, ScreenMonitor& monitor, PhoneControls& controls,
                         std::function<void()> quit)
    : impl_(std::make_unique<Impl>(std::move(setup), feed, monitor, controls, std::move(quit))) {
  impl_->http.new_task_queue = [] { return new httplib::ThreadPool(kMaxStreams + 8); };
  impl_->http.set_payload_max_length(kMaxTrackBody);
  impl_->http.set_keep_alive_timeout(2);
  impl_->routes();
}

PhoneServer::~PhoneServer() { stop(); }

int PhoneServer::bind() {
  const std::string& host = impl_->setup.host;
  int port = impl_->setup.port;
  if (port == 0) {
    port = impl_->http.bind_to_any_port(host);
    if (port < 0) throw CommandError("cannot listen on " + host);
  } else if (!impl_->http.bind_to_port(host, port)) {
    throw CommandError("cannot listen on " + host + " port " + std::to_string(port) +
                       " (in use, or not an address of this machine)");
  }
  impl_->guard = AddressGuard(host, port);
  return port;
}

void PhoneServer::start() {
  impl_->thread = std::thread([this] { impl_->http.listen_after_bind(); });
}

void PhoneServer::stop() {
  // Open event streams first write what is left (the end above all): once
  // the server stops, it calls on none of them again.
  impl_->feed.close();
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (impl_->streams > 0 && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  impl_->http.stop();
  if (impl_->thread.joinable()) impl_->thread.join();
}

}  // namespace holdstill::sim::serve
