#include "tools/exf/batch.h"

#include <unistd.h>

#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <iostream>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace exf {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kProgressDelay = std::chrono::milliseconds(500);
constexpr auto kProgressEvery = std::chrono::milliseconds(200);
constexpr const char* kClearLine = "\r\033[K";

}  // namespace

std::string progressText(std::size_t done, std::size_t total, std::chrono::duration<double> elapsed) {
  const double seconds = elapsed.count();
  const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0;
  char text[128];
  int n = std::snprintf(text, sizeof text, "%zu/%zu files, %.1f files/s", done, total, rate);
  if (rate > 0 && done < total)
    std::snprintf(text + n, sizeof text - static_cast<std::size_t>(n), ", %.0f s left",
                  std::ceil(static_cast<double>(total - done) / rate));
  return text;
}

bool isTerminal(const std::ostream& err) { return &err == &std::cerr && ::isatty(STDERR_FILENO) == 1; }

BatchCounts runBatch(std::size_t count, unsigned jobs,
                     const std::function<FileReport(std::size_t index, unsigned worker)>& work, std::ostream& out,
                     std::ostream& err, bool progress) {
  std::mutex mutex;
  std::condition_variable ready;
  std::vector<std::optional<FileReport>> reports(count);
  std::size_t next = 0;       // the next index a worker takes
  std::size_t completed = 0;  // reports made so far, in any order

  auto worker = [&](unsigned id) {
    for (;;) {
      std::size_t index;
      {
        std::lock_guard lock(mutex);
        if (next == count) return;
        index = next++;
      }
      FileReport report;
      try {
        report = work(index, id);
      } catch (const std::exception& e) {
        report = {FileReport::Outcome::Failed, "", std::string("exf: ") + e.what() + "\n"};
      }
      std::lock_guard lock(mutex);
      reports[index] = std::move(report);
      ++completed;
      ready.notify_one();
    }
  };
  std::vector<std::jthread> threads;
  const unsigned started = static_cast<unsigned>(std::min<std::size_t>(std::max(1u, jobs), count));
  for (unsigned id = 0; id < started; ++id) threads.emplace_back(worker, id);

  BatchCounts counts;
  const auto start = Clock::now();
  auto lastDrawn = start;
  bool shown = false;
  for (std::size_t printed = 0; printed < count;) {
    std::vector<FileReport> batch;  // reports that may be printed now, in order
    std::size_t finished;
    {
      std::unique_lock lock(mutex);
      ready.wait_for(lock, kProgressEvery, [&] { return reports[printed].has_value(); });
      for (; printed < count && reports[printed]; ++printed) {
        batch.push_back(std::move(*reports[printed]));
        reports[printed].reset();
      }
      finished = completed;
    }
    if (shown && !batch.empty()) err << kClearLine << std::flush;
    for (const FileReport& report : batch) {
      out << report.out << std::flush;
      err << report.err;
      switch (report.outcome) {
        case FileReport::Outcome::Done: ++counts.done; break;
        case FileReport::Outcome::Skipped: ++counts.skipped; break;
        case FileReport::Outcome::Failed: ++counts.failed; break;
      }
    }
    const auto now = Clock::now();
    if (progress && printed < count && now - start >= kProgressDelay &&
        (!shown || !batch.empty() || now - lastDrawn >= kProgressEvery)) {
      err << kClearLine << "exf: " << progressText(finished, count, now - start) << std::flush;
      shown = true;
      lastDrawn = now;
    }
  }
  if (shown) err << kClearLine << std::flush;
  return counts;
}

}  // namespace exf
