#pragma once
// ScreenMonitor: watches the phone for the page. After each task of the
// main run loop it compares a cheap key of the screen and the state (see
// screen_signature.h) with the one of its last capture; when they differ,
// it captures, at most kMaxFramesPerSecond times a second (fewer when a
// capture takes long: it waits half as long again as the last one took)
// and only while someone watches, the screen and the phone's state on the
// main thread. On
// its own thread it then compares them with what it sent last and
// publishes a frame (PNG) or state only when it changed. The camera roll's
// facts are read from the files here too, each picture once.
#include "sim/camera_roll_facts.h"

#include <nlohmann/json.hpp>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace platform {
class CGImage;
}

namespace holdstill::sim::serve {

class PhoneFeed;

class ScreenMonitor {
 public:
  static constexpr int kMaxFramesPerSecond = 30;
  // Reads the phone's state; called on the main thread.
  using StateReader = std::function<nlohmann::json()>;

  ScreenMonitor(PhoneFeed& feed, StateReader state, std::filesystem::path cameraRoll);
  ~ScreenMonitor();  // stops
  ScreenMonitor(const ScreenMonitor&) = delete;
  ScreenMonitor& operator=(const ScreenMonitor&) = delete;

  void start();
  void stop();

  // Main thread, after every task the loop runs: the screen may have changed.
  void taskRan();
  // A page starts (+1) or stops (-1) watching.
  void watch(int delta);
  // Captures at once if anything may have changed since the last capture
  // (for readers that do not watch: the state and screen requests). Any
  // thread but the main one; false when the main loop did not answer.
  bool refresh();

  // The camera roll as the state shows it (any thread).
  nlohmann::json cameraRoll();

 private:
  void run();
  bool capture();
  // The screen signature and the state but its time (main thread); nullopt
  // while the screen changes by itself.
  std::optional<std::uint64_t> key(const nlohmann::json& state);

  PhoneFeed& feed_;
  StateReader state_;
  std::filesystem::path cameraRoll_;

  std::mutex mutex_;
  std::condition_variable wake_;
  bool dirty_ = true;   // guarded by mutex_
  int watchers_ = 0;    // guarded by mutex_
  bool stopping_ = false;
  // Main thread: the task just run was a capture; the key at the last capture.
  bool quietTask_ = false;
  std::optional<std::uint64_t> capturedKey_;
  std::thread thread_;

  std::mutex captureMutex_;  // one capture at a time; guards what follows
  std::shared_ptr<const platform::CGImage> lastScreen_;
  std::string lastState_;
  struct Known {
    std::filesystem::file_time_type stamp;
    std::uintmax_t size;
    nlohmann::json facts;
  };
  std::map<std::string, Known> roll_;
};

// A picture's facts as the page and the API show them.
nlohmann::json pictureJson(const PictureFacts& facts);

}  // namespace holdstill::sim::serve
