// The EXIF library on a phone-sized JPEG: about 60 entries across IFD0,
// Exif, GPS and IFD1, a 10 KB thumbnail and a 3.5 MB image tail. A plain copy
// of the same file's bytes is measured in the same run as the floor for the
// rebuild.
#include "exif/exf_jpeg.h"
#include "tests/exif/support/exif_builder.h"

#include <benchmark/benchmark.h>

#include <random>

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
    jpeg.scanImageData(file);
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
  jpeg.scanImageData(phone().file);
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

}  // namespace

BENCHMARK_MAIN();
