#include "sim/serve/phone_feed.h"

namespace holdstill::sim::serve {

std::string base64(const std::string& bytes) {
  static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const unsigned n = (unsigned char)bytes[i] << 16 | (unsigned char)bytes[i + 1] << 8 | (unsigned char)bytes[i + 2];
    out += {kDigits[n >> 18], kDigits[(n >> 12) & 63], kDigits[(n >> 6) & 63], kDigits[n & 63]};
  }
  if (i + 1 == bytes.size()) {
    const unsigned n = (unsigned char)bytes[i] << 16;
    out += {kDigits[n >> 18], kDigits[(n >> 12) & 63], '=', '='};
  } else if (i + 2 == bytes.size()) {
    const unsigned n = (unsigned char)bytes[i] << 16 | (unsigned char)bytes[i + 1] << 8;
    out += {kDigits[n >> 18], kDigits[(n >> 12) & 63], kDigits[(n >> 6) & 63], '='};
  }
  return out;
}

void PhoneFeed::publishFrame(std::string png) {
  auto encoded = std::make_shared<const std::string>(base64(png));
  auto bytes = std::make_shared<const std::string>(std::move(png));
  std::lock_guard lock(mutex_);
  png_ = std::move(bytes);
  pngBase64_ = std::move(encoded);
  ++frameSeq_;
  changed_.notify_all();
}

void PhoneFeed::publishState(std::string json) {
  std::lock_guard lock(mutex_);
  state_ = std::move(json);
  ++stateSeq_;
  changed_.notify_all();
}

void PhoneFeed::publishLog(std::string line) {
  std::lock_guard lock(mutex_);
  log_.push_back(std::move(line));
  if (log_.size() > kLogLines) log_.pop_front();
  ++logSeq_;
  changed_.notify_all();
}

void PhoneFeed::finish(std::string json) {
  std::lock_guard lock(mutex_);
  end_ = std::move(json);
  changed_.notify_all();
}

void PhoneFeed::close() {
  std::lock_guard lock(mutex_);
  closed_ = true;
  changed_.notify_all();
}

std::shared_ptr<const std::string> PhoneFeed::latestFrame() const {
  std::lock_guard lock(mutex_);
  return png_;
}

std::uint64_t PhoneFeed::frameCount() const {
  std::lock_guard lock(mutex_);
  return frameSeq_;
}

bool PhoneFeed::next(Cursor& cursor, std::string& out, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  auto news = [&] {
    return closed_ || frameSeq_ != cursor.frame || stateSeq_ != cursor.state || logSeq_ != cursor.log ||
           (end_ && !cursor.ended);
  };
  changed_.wait_for(lock, timeout, news);
  if (logSeq_ != cursor.log) {
    const std::uint64_t first = logSeq_ - log_.size() + 1;
    for (std::uint64_t n = std::max(cursor.log + 1, first); n <= logSeq_; ++n)
      out += "event: log\ndata: " + log_[n - first] + "\n\n";
    cursor.log = logSeq_;
  }
  if (stateSeq_ != cursor.state) {
    out += "event: state\ndata: " + state_ + "\n\n";
    cursor.state = stateSeq_;
  }
  if (frameSeq_ != cursor.frame) {
    out += "event: frame\ndata: " + *pngBase64_ + "\n\n";
    cursor.frame = frameSeq_;
  }
  if (end_ && !cursor.ended) {
    out += "event: end\ndata: " + *end_ + "\n\n";
    cursor.ended = true;
  }
  return !closed_ && !cursor.ended;
}

}  // namespace holdstill::sim::serve
