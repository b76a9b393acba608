// The EXIF library on a phone-sized JPEG: about 60 entries across IFD0,
// Exif, GPS and IFD1, a 10 KB thumbnail and a 3.5 MB image tail. A plain copy
// of the same file's bytes is measured in the same run as the floor for the
// rebuild and the lossless geotag. With libexif installed (optional, never a
// build dependency of the product) its loader is timed on the same bytes.
#include "exif/exf_exception.h"
#include "exif/exf_jpeg.h"
#include "exif/lossless_gps_edit.h"
#include "tests/exif/support/exif_builder.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

#ifdef HOLDSTILL_BENCH_LIBEXIF
#include <libexif/exif-data.h>
#endif

namespace {

using namespace exif_testing;

Bytes noise(std::size_t n, std::uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes out(n);
  for (auto& b : out) b = static_cast<std::uint8_t>(rng());
  return out;
}

Bytes phoneExif() {
  Bytes thumbnail = noise(10 * 1024, 1);
  thumbnail[0] = 0xFF, thumbnail[1] = 0xD8, thumbnail.end()[-2] = 0xFF, thumbnail.end()[-1] = 0xD9;
  ExifBuilder b(true);
  b.add(Ifd::Ifd0, Ascii(0x010F, "Apple"))
      .add(Ifd::Ifd0, Ascii(0x0110, "iPhone 15 Pro"))
      .add(Ifd::Ifd0, Short(0x0112, {6}))
      .add(Ifd::Ifd0, Rational(0x011A, {{72, 1}}))
      .add(Ifd::Ifd0, Rational(0x011B, {{72, 1}}))
      .add(Ifd::Ifd0, Short(0x0128, {2}))
      .add(Ifd::Ifd0, Ascii(0x0131, "17.4.1"))
      .add(Ifd::Ifd0, Ascii(0x0132, "2024:05:01 12:34:56"))
      .add(Ifd::Ifd0, Ascii(0x013C, "iPhone 15 Pro"))
      .add(Ifd::Ifd0, Short(0x0213, {1}))
      .add(Ifd::Ifd0, Ascii(0x013B, "A. Photographer"))
      .add(Ifd::Ifd0, Ascii(0x8298, "(c) 2024"));
  b.add(Ifd::Exif, Rational(0x829A, {{1, 120}}))
      .add(Ifd::Exif, Rational(0x829D, {{178, 100}}))
      .add(Ifd::Exif, Short(0x8822, {2}))
      .add(Ifd::Exif, Short(0x8827, {64}))
      .add(Ifd::Exif, Undefined(0x9000, {'0', '2', '3', '2'}))
      .add(Ifd::Exif, Ascii(0x9003, "2024:05:01 12:34:56"))
      .add(Ifd::Exif, Ascii(0x9004, "2024:05:01 12:34:56"))
      .add(Ifd::Exif, Undefined(0x9101, {1, 2, 3, 0}))
      .add(Ifd::Exif, SRational(0x9201, {{6906891, 1000000}}))
      .add(Ifd::Exif, Rational(0x9202, {{1673, 1000}}))
      .add(Ifd::Exif, SRational(0x9203, {{8765, 1000}}))
      .add(Ifd::Exif, SRational(0x9204, {{0, 1}}))
      .add(Ifd::Exif, Rational(0x9205, {{1673, 1000}}))
      .add(Ifd::Exif, Short(0x9207, {5}))
      .add(Ifd::Exif, Short(0x9209, {16}))
      .add(Ifd::Exif, Rational(0x920A, {{6765, 1000}}))
      .add(Ifd::Exif, Short(0x9214, {2009, 1502, 2208, 1327}))
      .add(Ifd::Exif, Undefined(0x927C, noise(2048, 2)))
      .add(Ifd::Exif, Undefined(0x9286, {'A', 'S', 'C', 'I', 'I', 0, 0, 0, 'h', 'e', 'l', 'l', 'o'}))
      .add(Ifd::Exif, Ascii(0x9290, "123"))
      .add(Ifd::Exif, Ascii(0x9291, "123"))
      .add(Ifd::Exif, Ascii(0x9292, "123"))
      .add(Ifd::Exif, Undefined(0xA000, {'0', '1', '0', '0'}))
      .add(Ifd::Exif, Short(0xA001, {65535}))
      .add(Ifd::Exif, Long(0xA002, {4032}))
      .add(Ifd::Exif, Long(0xA003, {3024}))
      .add(Ifd::Exif, Short(0xA217, {2}))
      .add(Ifd::Exif, Undefined(0xA301, {1}))
      .add(Ifd::Exif, Short(0xA402, {0}))
      .add(Ifd::Exif, Short(0xA403, {0}))
      .add(Ifd::Exif, Short(0xA405, {24}))
      .add(Ifd::Exif, Short(0xA406, {0}))
      .add(Ifd::Exif, Undefined(0xA300, {3}))
      .add(Ifd::Interop, Ascii(0x0001, "R98"))
      .add(Ifd::Interop, Undefined(0x0002, {'0', '1', '0', '0'}));
  b.add(Ifd::Gps, Ascii(0x0001, "N"))
      .add(Ifd::Gps, Rational(0x0002, {{37, 1}, {46, 1}, {2964, 100}}))
      .add(Ifd::Gps, Ascii(0x0003, "W"))
      .add(Ifd::Gps, Rational(0x0004, {{122, 1}, {25, 1}, {984, 100}}))
      .add(Ifd::Gps, Byte(0x0005, {0}))
      .add(Ifd::Gps, Rational(0x0006, {{16500, 1000}}))
      .add(Ifd::Gps, Rational(0x0007, {{19, 1}, {34, 1}, {56, 1}}))
      .add(Ifd::Gps, Rational(0x000D, {{0, 1}}))
      .add(Ifd::Gps, Ascii(0x000C, "K"));
  b.add(Ifd::Ifd1, Rational(0x011A, {{72, 1}}))
      .add(Ifd::Ifd1, Rational(0x011B, {{72, 1}}))
      .add(Ifd::Ifd1, Short(0x0128, {2}))
      .thumbnail(thumbnail);
  return b.build();
}

struct PhoneJpeg {
  Bytes exifPayload = phoneExif();
  Bytes file;
  PhoneJpeg() {
    Bytes tail = jpegTail(0);
    tail.resize(tail.size() - 2);  // drop EOI, add 3.5 MB of entropy-coded data
    Bytes scan = noise(3'500'000, 3);
    for (auto& b : scan)
      if (b == 0xFF) b = 0xFE;  // no markers inside the scan
    tail.insert(tail.end(), scan.begin(), scan.end());
    tail.insert(tail.end(), {0xFF, 0xD9});
    file = jpeg({segment(0xE0, jfifPayload()), segment(0xE1, exifPayload), segment(0xE2, noise(560, 4))},
                tail);
  }
};

const PhoneJpeg& phone() {
  static const PhoneJpeg p;
  return p;
}

void BM_CopyFileBytes(benchmark::State& state) {
  const Bytes& file = phone().file;
  for (auto _ : state) {
    Bytes copy(file);
    benchmark::DoNotOptimize(copy.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_CopyFileBytes);

void BM_ParseExifBlock(benchmark::State& state) {
  const Bytes& payload = phone().exifPayload;
  std::size_t entries = 0;
  for (auto _ : state) {
    exif::EXFMetaData md;
    md.parseExif(payload);
    entries = md.keyedTagValues().size();
    benchmark::DoNotOptimize(entries);
  }
  exif::EXFMetaData md;
  md.parseExif(payload);
  state.counters["skipped"] = static_cast<double>(md.skippedEntryCount());
}
BENCHMARK(BM_ParseExifBlock);

void BM_ScanImageData(benchmark::State& state) {
  const Bytes& file = phone().file;
  for (auto _ : state) {
    exif::EXFJpeg jpeg;
    jpeg.scanImageData(std::span<const std::uint8_t>(file));
    benchmark::DoNotOptimize(jpeg.remainingData()->data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_ScanImageData);

void BM_GetData(benchmark::State& state) {
  exif::EXFMetaData md;
  md.parseExif(phone().exifPayload);
  Bytes out;
  for (auto _ : state) {
    out.clear();
    md.getData(out);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["payload_bytes"] = static_cast<double>(out.size());
}
BENCHMARK(BM_GetData);

void BM_PopulateImageData(benchmark::State& state) {
  exif::EXFJpeg jpeg;
  jpeg.scanImageDataBorrowed(phone().file);
  std::size_t size = 0;
  for (auto _ : state) {
    Bytes out;
    jpeg.populateImageData(out);
    size = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_PopulateImageData);

// Reading a file's metadata as a viewer does: the segments, the EXIF model
// and the JFIF header, without copying the image data.
void BM_ReadMetadata(benchmark::State& state) {
  const Bytes& file = phone().file;
  for (auto _ : state) {
    exif::EXFJpeg jpeg;
    jpeg.scanImageDataBorrowed(file);
    benchmark::DoNotOptimize(jpeg.exifMetaData().keyedTagValues().size());
  }
}
BENCHMARK(BM_ReadMetadata);

#ifdef HOLDSTILL_BENCH_LIBEXIF
// libexif's loader on the same bytes: it finds the APP1 and parses it.
void BM_ReadMetadataLibexif(benchmark::State& state) {
  const Bytes& file = phone().file;
  for (auto _ : state) {
    ExifData* data = exif_data_new_from_data(file.data(), static_cast<unsigned int>(file.size()));
    benchmark::DoNotOptimize(data);
    exif_data_unref(data);
  }
}
BENCHMARK(BM_ReadMetadataLibexif);
#endif

void BM_CopyIntoReusedBuffer(benchmark::State& state) {
  const Bytes& file = phone().file;
  Bytes copy;
  for (auto _ : state) {
    copy.assign(file.begin(), file.end());
    benchmark::DoNotOptimize(copy.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_CopyIntoReusedBuffer);

// The lossless geotag of the file in memory into a buffer reused from one
// picture to the next (compare BM_CopyIntoReusedBuffer), and into a fresh
// buffer each time (compare BM_CopyFileBytes).
void BM_LosslessGeotag(benchmark::State& state) {
  const Bytes& file = phone().file;
  const exif::GPSEdit edit = exif::GPSEdit().setLatitude(48.8584).setLongitude(2.2945).setAltitude(35);
  Bytes out;
  for (auto _ : state) {
    out.clear();
    exif::editJpegGPS(file, edit, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_LosslessGeotag);

// The same told as a head (what exf builds; the rest of the file it copies
// file to file).
void BM_LosslessGeotagHead(benchmark::State& state) {
  const Bytes& file = phone().file;
  const exif::GPSEdit edit = exif::GPSEdit().setLatitude(48.8584).setLongitude(2.2945).setAltitude(35);
  Bytes head;
  for (auto _ : state) {
    head.clear();
    benchmark::DoNotOptimize(exif::editJpegGPSHead(file, edit, head).tailFrom);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_LosslessGeotagHead);

void BM_LosslessGeotagFreshBuffer(benchmark::State& state) {
  const Bytes& file = phone().file;
  const exif::GPSEdit edit = exif::GPSEdit().setLatitude(48.8584).setLongitude(2.2945).setAltitude(35);
  for (auto _ : state) {
    Bytes out;
    exif::editJpegGPS(file, edit, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_LosslessGeotagFreshBuffer);

// A directory of N entries whose tags come in ascending or descending order:
// parsing must stay linear either way.
Bytes manyEntries(int n, bool descending) {
  ExifBuilder b(false);
  for (int i = 0; i < n; ++i) {
    const auto tag = static_cast<std::uint16_t>(0x1000 + (descending ? n - i : i));
    b.add(Ifd::Interop, Short(tag, {static_cast<std::uint64_t>(i)}));
  }
  return b.build();
}

void BM_ParseManyEntries(benchmark::State& state) {
  const Bytes payload = manyEntries(static_cast<int>(state.range(0)), state.range(1) != 0);
  for (auto _ : state) {
    exif::EXFMetaData md;
    md.parseExif(payload);
    benchmark::DoNotOptimize(md.keyedTagValues().size());
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ParseManyEntries)->ArgsProduct({{1250, 2500, 5000}, {0, 1}})->ArgNames({"entries", "descending"});

// --- A folder of the user's own pictures (make bench CORPUS=DIR) -------------

using Clock = std::chrono::steady_clock;

// Mean time of one run of `op` in microseconds, over at least 5 runs and 2 ms.
template <class Op>
double meanMicros(Op op) {
  int runs = 0;
  const auto start = Clock::now();
  while (runs < 5 || Clock::now() - start < std::chrono::milliseconds(2)) {
    op();
    ++runs;
  }
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / runs;
}

void printStats(const char* what, std::vector<double> perFile) {
  if (perFile.empty()) return;
  std::sort(perFile.begin(), perFile.end());
  double sum = 0;
  for (double v : perFile) sum += v;
  const double p90 = perFile[std::min(perFile.size() - 1, perFile.size() * 9 / 10)];
  std::printf("%-28s %5zu files  mean %10.1f us  p90 %10.1f us  max %10.1f us\n", what, perFile.size(),
              sum / static_cast<double>(perFile.size()), p90, perFile.back());
}

void runCorpus(const std::string& dir) {
  std::vector<double> copy, read, geotag;
#ifdef HOLDSTILL_BENCH_LIBEXIF
  std::vector<double> libexif;
#endif
  const exif::GPSEdit edit = exif::GPSEdit().setLatitude(48.8584).setLongitude(2.2945).setAltitude(35);
  Bytes out;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    std::string ext = entry.path().extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (!entry.is_regular_file() || (ext != ".jpg" && ext != ".jpeg")) continue;
    const Bytes file = readFile(entry.path().string());
    copy.push_back(meanMicros([&] {
      out.assign(file.begin(), file.end());
      benchmark::DoNotOptimize(out.data());
    }));
    read.push_back(meanMicros([&] {
      exif::EXFJpeg jpeg;
      jpeg.scanImageDataBorrowed(file);
      benchmark::DoNotOptimize(jpeg.exifMetaData().keyedTagValues().size());
    }));
#ifdef HOLDSTILL_BENCH_LIBEXIF
    libexif.push_back(meanMicros([&] {
      ExifData* data = exif_data_new_from_data(file.data(), static_cast<unsigned int>(file.size()));
      benchmark::DoNotOptimize(data);
      exif_data_unref(data);
    }));
#endif
    try {
      out.clear();
      exif::editJpegGPS(file, edit, out);
      geotag.push_back(meanMicros([&] {
        out.clear();
        exif::editJpegGPS(file, edit, out);
        benchmark::DoNotOptimize(out.data());
      }));
    } catch (const exif::EXFException& e) {
      std::printf("%s: not geotagged: %s\n", entry.path().c_str(), e.what());
    }
  }
  std::printf("== corpus %s\n", dir.c_str());
  printStats("plain copy", copy);
  printStats("read metadata", read);
#ifdef HOLDSTILL_BENCH_LIBEXIF
  printStats("read metadata (libexif)", libexif);
#endif
  printStats("lossless geotag", geotag);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (const char* corpus = std::getenv("CORPUS"); corpus && *corpus) {
    runCorpus(corpus);
    return 0;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
