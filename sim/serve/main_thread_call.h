#pragma once
// Runs a piece of work on the main run loop from another thread and waits
// for its result, so that threads other than the main one never touch
// user-interface objects. The wait is bounded: a loop that has stopped (the
// application quit) or does not get to the work in time gives nothing, and
// the work, should it run later, only fills a result nobody reads.
#include "platform/runloop/run_loop.h"
#include "sim/serve/request_checks.h"

#include <chrono>
#include <condition_variable>
#include <stdexcept>
#include <string>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

namespace holdstill::sim::serve {

// The result of `work` run on the main thread; nullopt when it could not
// be run within `timeout`. A RequestError the work throws is thrown here
// (as a copy: no exception object is shared between the threads), and any
// other exception as a std::runtime_error with its text.
template <class Work>
auto callOnMainThread(Work work, std::chrono::milliseconds timeout) -> std::optional<decltype(work())> {
  using Result = decltype(work());
  struct Shared {
    std::mutex mutex;
    std::condition_variable done;
    std::optional<Result> result;
    int status = 0;  // a RequestError's; 500 for any other exception
    std::string failure;
    bool finished = false;
  };
  platform::RunLoop& loop = platform::RunLoop::main();
  if (loop.stopped()) return std::nullopt;
  auto shared = std::make_shared<Shared>();
  loop.post([shared, work = std::move(work)]() mutable {
    std::optional<Result> result;
    int status = 0;
    std::string failure;
    try {
      result.emplace(work());
    } catch (const RequestError& e) {
      status = e.status();
      failure = e.what();
    } catch (const std::exception& e) {
      status = 500;
      failure = e.what();
    }
    std::lock_guard lock(shared->mutex);
    shared->result = std::move(result);
    shared->status = status;
    shared->failure = std::move(failure);
    shared->finished = true;
    shared->done.notify_all();
  });
  std::unique_lock lock(shared->mutex);
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!shared->finished) {
    // Look again now and then: the loop may stop with the work still queued.
    if (shared->done.wait_until(lock, std::min(deadline, std::chrono::steady_clock::now() + std::chrono::milliseconds(50)),
                                [&] { return shared->finished; }))
      break;
    if (std::chrono::steady_clock::now() >= deadline || loop.stopped()) return std::nullopt;
  }
  if (shared->status == 500) throw std::runtime_error(shared->failure);
  if (shared->status != 0) throw RequestError(shared->status, shared->failure);
  return std::move(shared->result);
}

}  // namespace holdstill::sim::serve
