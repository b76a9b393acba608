// Reading a GPS track: time (and the process's peak memory) for tracks of
// 10 thousand to a million points, as a logger writes them at 1 Hz. The
// time per point should stay flat as the track grows.
#include "platform/gpx/gpx_track.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <string>

namespace {

std::string track(std::int64_t points) {
  std::string text = "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"bench\" "
                     "xmlns=\"http://www.topografix.com/GPX/1/1\"><trk><trkseg>\n";
  char line[160];
  for (long long i = 0; i < points; ++i) {
    const long long t = 1714554000 + i;  // 2024-05-01T09:00:00Z onwards, one point a second
    std::snprintf(line, sizeof line,
                  "  <trkpt lat=\"%.6f\" lon=\"%.6f\"><ele>%.1f</ele><time>2024-05-%02lldT%02lld:%02lld:%02lldZ"
                  "</time></trkpt>\n",
                  48.0 + static_cast<double>(i % 10000) * 1e-5, 11.0 + static_cast<double>(i % 7000) * 1e-5,
                  500.0 + static_cast<double>(i % 300) * 0.1, 1 + (t - 1714521600) / 86400,
                  (t / 3600) % 24, (t / 60) % 60, t % 60);
    text += line;
  }
  text += "</trkseg></trk></gpx>\n";
  return text;
}

void BM_ReadTrack(benchmark::State& state) {
  const std::string text = track(state.range(0));
  for (auto _ : state) {
    const auto parsed = platform::GPXTrack::parse(text, "bench.gpx");
    benchmark::DoNotOptimize(parsed.points().data());
  }
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  state.counters["points/s"] =
      benchmark::Counter(static_cast<double>(state.range(0)) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
  state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
  state.counters["peak_RSS_MB"] = static_cast<double>(usage.ru_maxrss) / 1024;
  state.SetComplexityN(state.range(0));
}

BENCHMARK(BM_ReadTrack)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Complexity();

}  // namespace

BENCHMARK_MAIN();
