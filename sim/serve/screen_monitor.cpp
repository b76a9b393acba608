#include "sim/serve/screen_monitor.h"

#include "platform/graphics/image_codec.h"
#include "platform/ui/screen.h"
#include "sim/serve/main_thread_call.h"
#include "sim/serve/phone_feed.h"
#include "sim/serve/screen_signature.h"

#include <algorithm>
#include <functional>

namespace holdstill::sim::serve {

using nlohmann::json;
namespace fs = std::filesystem;

namespace {
constexpr auto kFrameInterval = std::chrono::milliseconds(1000 / ScreenMonitor::kMaxFramesPerSecond);
constexpr auto kMainThreadWait = std::chrono::seconds(5);
}  // namespace

json pictureJson(const PictureFacts& facts) {
  json picture = {{"name", facts.name},
                  {"size", facts.size},
                  {"taken", facts.taken ? json(*facts.taken) : json(nullptr)},
                  {"latitude", facts.latitude ? json(*facts.latitude) : json(nullptr)},
                  {"longitude", facts.longitude ? json(*facts.longitude) : json(nullptr)},
                  {"altitude", facts.altitude ? json(*facts.altitude) : json(nullptr)},
                  {"map", facts.latitude ? json(openStreetMapLink(*facts.latitude, *facts.longitude)) : json(nullptr)},
                  {"file", "/roll/" + facts.name},
                  {"thumbnail", facts.thumbnail.empty() ? json(nullptr) : json("/thumbnail/" + facts.name)}};
  return picture;
}

ScreenMonitor::ScreenMonitor(PhoneFeed& feed, StateReader state, fs::path cameraRoll)
    : feed_(feed), state_(std::move(state)), cameraRoll_(std::move(cameraRoll)) {}

ScreenMonitor::~ScreenMonitor() { stop(); }

void ScreenMonitor::start() { thread_ = std::thread([this] { run(); }); }

void ScreenMonitor::stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

std::optional<std::uint64_t> ScreenMonitor::key(const json& state) {
  const auto screen = screenSignature();
  if (!screen) return std::nullopt;
  json timeless = state;
  timeless.erase("time");
  std::error_code error;
  const auto rollStamp = fs::last_write_time(cameraRoll_, error).time_since_epoch().count();
  return *screen ^ (std::hash<std::string>()(timeless.dump()) * 31 + static_cast<std::uint64_t>(rollStamp));
}

void ScreenMonitor::taskRan() {
  if (quietTask_) {
    quietTask_ = false;
    return;
  }
  {
    std::lock_guard lock(mutex_);
    if (watchers_ == 0) {  // no key needed: refresh() captures when asked
      dirty_ = true;
      return;
    }
  }
  const auto now = key(state_());
  if (now && now == capturedKey_) return;
  std::lock_guard lock(mutex_);
  dirty_ = true;
  if (watchers_ > 0) wake_.notify_all();
}

void ScreenMonitor::watch(int delta) {
  std::lock_guard lock(mutex_);
  watchers_ += delta;
  dirty_ = true;  // a new page gets the latest at once
  wake_.notify_all();
}

bool ScreenMonitor::refresh() {
  {
    std::lock_guard lock(mutex_);
    if (!dirty_) return true;
    dirty_ = false;
  }
  return capture();
}

void ScreenMonitor::run() {
  auto last = std::chrono::steady_clock::now() - kFrameInterval;
  std::chrono::steady_clock::duration cost{};
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [&] { return stopping_ || (dirty_ && watchers_ > 0); });
    if (stopping_) return;
    // No more than kMaxFramesPerSecond, and no more than two thirds of
    // the time spent capturing (a screen that is costly to draw must not
    // starve the phone); what changes meanwhile goes with the next.
    if (wake_.wait_until(lock, last + std::max<std::chrono::steady_clock::duration>(kFrameInterval, cost * 3 / 2),
                         [&] { return stopping_; }))
      return;
    dirty_ = false;
    lock.unlock();
    last = std::chrono::steady_clock::now();
    const bool answered = capture();
    cost = std::chrono::steady_clock::now() - last;
    lock.lock();
    if (!answered) dirty_ = true;
  }
}

json ScreenMonitor::cameraRoll() {
  std::lock_guard lock(captureMutex_);
  json roll = json::array();
  std::error_code error;
  std::map<std::string, Known> now;
  for (const auto& entry : fs::directory_iterator(cameraRoll_, error)) {
    const std::string name = entry.path().filename().string();
    if (!isCameraRollName(name) || entry.symlink_status(error).type() != fs::file_type::regular) continue;
    const auto stamp = entry.last_write_time(error);
    const auto size = entry.file_size(error);
    if (error) continue;
    auto known = roll_.find(name);
    if (known != roll_.end() && known->second.stamp == stamp && known->second.size == size)
      now.emplace(name, std::move(known->second));
    else
      now.emplace(name, Known{stamp, size, pictureJson(readPictureFacts(entry.path()))});
  }
  roll_ = std::move(now);
  for (const auto& [name, known] : roll_) roll.push_back(known.facts);
  return roll;
}

bool ScreenMonitor::capture() {
  struct Seen {
    platform::CGImageRef screen;
    json state;
  };
  std::optional<Seen> seen = callOnMainThread(
      [this] {
        quietTask_ = true;
        Seen seen{platform::UIScreen::mainScreen().snapshot()->CGImage(), state_()};
        capturedKey_ = key(seen.state);  // after rendering: drawings are up to date
        return seen;
      },
      kMainThreadWait);
  if (!seen) return false;
  json state = std::move(seen->state);
  state["roll"] = cameraRoll();
  std::lock_guard lock(captureMutex_);
  const bool newScreen = !lastScreen_ || lastScreen_->width() != seen->screen->width() ||
                         lastScreen_->pixels() != seen->screen->pixels();
  if (newScreen) {
    lastScreen_ = seen->screen;
    const auto png = platform::encodePNG(*seen->screen);
    feed_.publishFrame(std::string(png.begin(), png.end()));
  }
  // The time alone moving is no news; it goes out with the next change.
  json compared = state;
  compared.erase("time");
  std::string text = compared.dump();
  if (text != lastState_) {
    lastState_ = std::move(text);
    feed_.publishState(state.dump());
  }
  return true;
}

}  // namespace holdstill::sim::serve
