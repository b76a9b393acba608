// exf as a photographer meets it, on a synthetic corpus of camera-like JPEGs
// (about 40 EXIF entries, a 2 KB maker note, a 10 KB thumbnail) of three
// sizes: 20 KB, 2.5 MB and 12 MB.
//
// In one process: the lossless geotag of a file in memory and the batch
// loop (read, place, edit) against a plain copy of the same bytes. As whole
// processes: `exf dump` and `exf geotag` against the exiv2 command line
// doing the same (when exiv2 is installed).
//
// With HOLDSTILL_CORPUS=DIR (`make bench CORPUS=DIR`), it times instead, on
// each JPEG in DIR: reading its metadata, the lossless geotag and a plain
// copy, all on the file's bytes in memory, and prints mean, p90 and max.
#include "exif/exf_jpeg.h"
#include "exif/lossless_gps_edit.h"
#include "tests/exif/support/exif_builder.h"
#include "tools/exf/file_io.h"
#include "tools/exf/picture_geotagger.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <random>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace exif_testing;

Bytes noise(std::size_t n, std::uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes out(n);
  for (auto& b : out) b = static_cast<std::uint8_t>(rng());
  return out;
}

Bytes cameraPicture(std::size_t scanBytes) {
  Bytes thumbnail = noise(10 * 1024, 1);
  thumbnail[0] = 0xFF, thumbnail[1] = 0xD8, thumbnail.end()[-2] = 0xFF, thumbnail.end()[-1] = 0xD9;
  ExifBuilder b(false);
  b.add(Ifd::Ifd0, Ascii(0x010F, "Canon"))
      .add(Ifd::Ifd0, Ascii(0x0110, "Canon EOS R6"))
      .add(Ifd::Ifd0, Short(0x0112, {1}))
      .add(Ifd::Ifd0, Rational(0x011A, {{72, 1}}))
      .add(Ifd::Ifd0, Rational(0x011B, {{72, 1}}))
      .add(Ifd::Ifd0, Short(0x0128, {2}))
      .add(Ifd::Ifd0, Ascii(0x0132, "2024:05:01 11:05:00"))
      .add(Ifd::Ifd0, Ascii(0x013B, "A. Photographer"))
      .add(Ifd::Ifd0, Ascii(0x8298, "(c) 2024"));
  b.add(Ifd::Exif, Rational(0x829A, {{1, 250}}))
      .add(Ifd::Exif, Rational(0x829D, {{56, 10}}))
      .add(Ifd::Exif, Short(0x8822, {3}))
      .add(Ifd::Exif, Short(0x8827, {400}))
      .add(Ifd::Exif, Undefined(0x9000, {'0', '2', '3', '1'}))
      .add(Ifd::Exif, Ascii(0x9003, "2024:05:01 11:05:00"))
      .add(Ifd::Exif, Ascii(0x9004, "2024:05:01 11:05:00"))
      .add(Ifd::Exif, Undefined(0x9101, {1, 2, 3, 0}))
      .add(Ifd::Exif, SRational(0x9201, {{8, 1}}))
      .add(Ifd::Exif, Rational(0x9202, {{5, 1}}))
      .add(Ifd::Exif, SRational(0x9204, {{0, 1}}))
      .add(Ifd::Exif, Short(0x9207, {5}))
      .add(Ifd::Exif, Short(0x9209, {16}))
      .add(Ifd::Exif, Rational(0x920A, {{50, 1}}))
      .add(Ifd::Exif, Undefined(0x927C, noise(2048, 2)))
      .add(Ifd::Exif, Ascii(0x9290, "42"))
      .add(Ifd::Exif, Undefined(0xA000, {'0', '1', '0', '0'}))
      .add(Ifd::Exif, Short(0xA001, {1}))
      .add(Ifd::Exif, Long(0xA002, {6000}))
      .add(Ifd::Exif, Long(0xA003, {4000}))
      .add(Ifd::Exif, Short(0xA402, {0}))
      .add(Ifd::Exif, Short(0xA403, {0}))
      .add(Ifd::Exif, Short(0xA406, {0}))
      .add(Ifd::Exif, Ascii(0xA431, "012345678901"))
      .add(Ifd::Exif, Ascii(0xA434, "RF24-105mm F4 L IS USM"));
  b.add(Ifd::Ifd1, Short(0x0103, {6}))
      .add(Ifd::Ifd1, Rational(0x011A, {{72, 1}}))
      .add(Ifd::Ifd1, Rational(0x011B, {{72, 1}}))
      .add(Ifd::Ifd1, Short(0x0128, {2}))
      .thumbnail(thumbnail);
  return jpeg({segment(0xE0, jfifPayload()), segment(0xE1, b.build())}, jpegTail(scanBytes));
}

constexpr std::size_t kSizes[] = {20 * 1024, 2500 * 1024, 12 * 1024 * 1024};

const Bytes& picture(std::size_t size) {
  static std::map<std::size_t, Bytes> made;
  auto it = made.find(size);
  if (it == made.end()) it = made.emplace(size, cameraPicture(size)).first;
  return it->second;
}

// The picture of that size as a file in a scratch folder of this run.
std::string pictureFile(std::size_t size) {
  static const fs::path dir = [] {
    fs::path d = fs::temp_directory_path() / ("bench_exf." + std::to_string(::getpid()));
    fs::create_directories(d);
    return d;
  }();
  const fs::path file = dir / ("picture-" + std::to_string(size) + ".jpg");
  if (!fs::exists(file)) writeFile(file.string(), picture(size));
  return file.string();
}

exif::GPSEdit munich() {
  exif::GPSEdit edit;
  edit.setLatitude(48.137154).setLongitude(11.575382).setAltitude(519.5);
  return edit;
}

void BM_PlainCopy(benchmark::State& state) {
  const Bytes& in = picture(static_cast<std::size_t>(state.range(0)));
  Bytes out;
  for (auto _ : state) {
    out.assign(in.begin(), in.end());
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

void BM_GeotagInMemory(benchmark::State& state) {
  const Bytes& in = picture(static_cast<std::size_t>(state.range(0)));
  const exif::GPSEdit edit = munich();
  Bytes out;
  for (auto _ : state) {
    out.clear();
    exif::editJpegGPS(in, edit, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

// The batch loop of exf geotag --gpx without the write: read the file into
// the reused buffer, find when it was taken, edit.
void BM_BatchGeotagReadAndEdit(benchmark::State& state) {
  const std::string file = pictureFile(static_cast<std::size_t>(state.range(0)));
  exf::PictureGeotagger tagger(false);
  exf::GeoFix fix{48.137154, 11.575382, 519.5, true, {}};
  std::string error, note;
  for (auto _ : state) {
    if (!tagger.load(file, error)) state.SkipWithError(error.c_str());
    exif::EXFJpeg jpeg;
    jpeg.scanImageDataBorrowed(tagger.input());
    benchmark::DoNotOptimize(jpeg.exifMetaData().tagValue(0x9003));
    if (!tagger.apply(fix, error, note)) state.SkipWithError(error.c_str());
  }
}

// Runs a program to its end with its output discarded; false if it failed.
bool run(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid;
  const int started = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  return started == 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool haveExiv2() {
  static const bool have = run({"exiv2", "--version"});
  return have;
}

// Arguments: picture size, then 0 for dump, 1 for geotag.
void BM_ExfProcess(benchmark::State& state) {
  const std::string in = pictureFile(static_cast<std::size_t>(state.range(0))), out = in + ".exf-out.jpg";
  const std::vector<std::string> argv =
      state.range(1) == 0 ? std::vector<std::string>{EXF_BINARY, "dump", in}
                          : std::vector<std::string>{EXF_BINARY, "geotag", "--lat", "48.137154", "--lon",
                                                     "11.575382", "--alt", "519.5", "-o", out, in};
  for (auto _ : state)
    if (!run(argv)) state.SkipWithError("exf failed");
}

void BM_Exiv2Process(benchmark::State& state) {
  if (!haveExiv2()) {
    state.SkipWithError("exiv2 is not installed");
    return;
  }
  const std::string in = pictureFile(static_cast<std::size_t>(state.range(0))), copy = in + ".exiv2.jpg";
  fs::copy_file(in, copy, fs::copy_options::overwrite_existing);
  // exiv2 edits in place; setting the same values again rewrites the file
  // each time as the first edit did.
  const std::vector<std::string> argv =
      state.range(1) == 0
          ? std::vector<std::string>{"exiv2", "-pa", copy}
          : std::vector<std::string>{"exiv2", "-M", "set Exif.GPSInfo.GPSLatitudeRef N", "-M",
                                     "set Exif.GPSInfo.GPSLatitude 48/1 8/1 137454/10000", "-M",
                                     "set Exif.GPSInfo.GPSLongitudeRef E", "-M",
                                     "set Exif.GPSInfo.GPSLongitude 11/1 34/1 313752/10000", "-M",
                                     "set Exif.GPSInfo.GPSAltitudeRef 0", "-M",
                                     "set Exif.GPSInfo.GPSAltitude 5195/10", "mo", copy};
  for (auto _ : state)
    if (!run(argv)) state.SkipWithError("exiv2 failed");
}

void sizes(benchmark::internal::Benchmark* b) {
  for (std::size_t s : kSizes) b->Arg(static_cast<std::int64_t>(s));
}
void sizesAndCommands(benchmark::internal::Benchmark* b) {
  b->ArgNames({"size", "geotag"});
  for (std::size_t s : kSizes)
    for (int command : {0, 1}) b->Args({static_cast<std::int64_t>(s), command});
}

BENCHMARK(BM_PlainCopy)->Apply(sizes);
BENCHMARK(BM_GeotagInMemory)->Apply(sizes);
BENCHMARK(BM_BatchGeotagReadAndEdit)->Apply(sizes);
BENCHMARK(BM_ExfProcess)->Apply(sizesAndCommands)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Exiv2Process)->Apply(sizesAndCommands)->Unit(benchmark::kMillisecond)->UseRealTime();

// --- A folder of the user's own pictures -------------------------------------

struct Timing {
  double mean = 0, p90 = 0, max = 0;  // microseconds
};

// Runs `op` repeatedly (at least 20 times, about 0.2 s in all, at most 2000
// times) after three warm-up runs.
template <class Op>
Timing timeIt(Op op) {
  using clock = std::chrono::steady_clock;
  for (int i = 0; i < 3; ++i) op();
  std::vector<double> runs;
  const auto start = clock::now();
  while (runs.size() < 20 || (clock::now() - start < std::chrono::milliseconds(200) && runs.size() < 2000)) {
    const auto t0 = clock::now();
    op();
    runs.push_back(std::chrono::duration<double, std::micro>(clock::now() - t0).count());
  }
  std::sort(runs.begin(), runs.end());
  Timing t;
  for (double r : runs) t.mean += r;
  t.mean /= static_cast<double>(runs.size());
  t.p90 = runs[std::min(runs.size() - 1, runs.size() * 9 / 10)];
  t.max = runs.back();
  return t;
}

int runCorpus(const std::string& dir) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (const auto& entry : fs::recursive_directory_iterator(dir, ec)) {
    std::string ext = entry.path().extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (entry.is_regular_file() && (ext == ".jpg" || ext == ".jpeg")) files.push_back(entry.path());
  }
  if (ec || files.empty()) {
    std::cerr << "bench_exf: " << dir << ": " << (ec ? ec.message() : "no .jpg or .jpeg files") << "\n";
    return 1;
  }
  std::sort(files.begin(), files.end());
  std::printf("%-32s %10s  %-14s %10s %10s %10s\n", "file", "bytes", "operation", "mean us", "p90 us", "max us");
  const exif::GPSEdit edit = munich();
  Bytes in, out;
  for (const fs::path& file : files) {
    std::string error;
    if (!exf::readWholeFile(file.string(), in, error)) {
      std::printf("%-32s unreadable: %s\n", file.filename().c_str(), error.c_str());
      continue;
    }
    const auto line = [&](const char* op, const Timing& t) {
      std::printf("%-32.32s %10zu  %-14s %10.1f %10.1f %10.1f\n", file.filename().c_str(), in.size(), op, t.mean,
                  t.p90, t.max);
    };
    line("read metadata", timeIt([&] {
           exif::EXFJpeg jpeg;
           jpeg.scanImageDataBorrowed(in);
           benchmark::DoNotOptimize(jpeg.exifMetaData().tagValue(0x9003));
         }));
    bool editable = true;
    try {
      out.clear();
      exif::editJpegGPS(in, edit, out);
    } catch (const std::exception& e) {
      std::printf("%-32.32s %10zu  %-14s %s\n", file.filename().c_str(), in.size(), "geotag", e.what());
      editable = false;
    }
    if (editable) line("geotag", timeIt([&] {
                          out.clear();
                          exif::editJpegGPS(in, edit, out);
                          benchmark::DoNotOptimize(out.data());
                        }));
    line("plain copy", timeIt([&] {
           out.assign(in.begin(), in.end());
           benchmark::DoNotOptimize(out.data());
         }));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (const char* corpus = std::getenv("HOLDSTILL_CORPUS"); corpus && *corpus) return runCorpus(corpus);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ec;
  fs::remove_all(fs::temp_directory_path() / ("bench_exf." + std::to_string(::getpid())), ec);
  return 0;
}
