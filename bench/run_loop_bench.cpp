// One minute of phone time in Virtual mode: a 30 Hz sample timer, the 0.3 s
// steadiness tick, and a worker polling every 0.5 s, as the application runs.
#include "platform/runloop/run_loop.h"
#include "platform/runloop/thread.h"
#include "platform/runloop/timer.h"

#include <benchmark/benchmark.h>

#include <atomic>

namespace {

void MinuteOfPhoneTime(benchmark::State& state) {
  using namespace platform;
  for (auto _ : state) {
    RunLoop::resetMain(RunLoop::Mode::Virtual);
    int events = 0;
    auto samples = NSTimer::scheduledTimerWithTimeInterval(1.0 / 30, [&](NSTimer&) { ++events; }, true);
    auto tick = NSTimer::scheduledTimerWithTimeInterval(0.3, [&](NSTimer&) { ++events; }, true);
    std::atomic<bool> busy{true};
    NSThread::detachNewThread([&] {
      while (busy) NSThread::sleepForTimeInterval(0.5);
    });
    RunLoop::main().postAt(59.9, [&] { busy = false; });
    RunLoop::main().runFor(60);
    samples->invalidate();
    tick->invalidate();
    benchmark::DoNotOptimize(events);
  }
}
BENCHMARK(MinuteOfPhoneTime)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
