#pragma once
// PhoneFeed: what the page is sent as it happens, as server-sent events:
// the screen when it changed ("frame", a PNG in base64), the state when it
// changed ("state", JSON), each event-log line ("log") and, once, how the
// run ended ("end", JSON). Producers publish; each page connection reads
// with its own cursor and gets the latest frame and state and every log
// line it has not had (the oldest lines are dropped past kLogLines).
// Thread-safe.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace holdstill::sim::serve {

class PhoneFeed {
 public:
  static constexpr std::size_t kLogLines = 5000;

  struct Cursor {
    std::uint64_t frame = 0, state = 0, log = 0;
    bool ended = false;
  };

  void publishFrame(std::string png);
  void publishState(std::string json);
  void publishLog(std::string line);
  void finish(std::string json);
  // The server is going down: waiting readers return at once.
  void close();

  // The latest screen as PNG (null before the first).
  std::shared_ptr<const std::string> latestFrame() const;
  std::uint64_t frameCount() const;

  // Waits up to `timeout` for anything past `cursor`, appends it to `out`
  // as event-stream text and moves the cursor. Returns false once nothing
  // more will come (after the end was written, or closed).
  bool next(Cursor& cursor, std::string& out, std::chrono::milliseconds timeout);

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::uint64_t frameSeq_ = 0, stateSeq_ = 0, logSeq_ = 0;
  std::shared_ptr<const std::string> png_;
  std::shared_ptr<const std::string> pngBase64_;
  std::string state_;
  std::deque<std::string> log_;  // lines logSeq_ - size + 1 .. logSeq_
  std::optional<std::string> end_;
  bool closed_ = false;
};

// Standard base64 of the bytes.
std::string base64(const std::string& bytes);

}  // namespace holdstill::sim::serve
