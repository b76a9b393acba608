// The per-picture work of a geotagged save, for a 1600 × 1200 camera
// picture: the JPEG encoding at quality 0.98 next to everything else the
// composition does (thumbnail shrink, thumbnail composition, EXIF block,
// rebuild). Goal: all but the encoding under 5 % of the encoding's time.
#include "platform/graphics/image_codec.h"
#include "storage/exif_composition.h"
#include "storage/thumbnail.h"

#include <benchmark/benchmark.h>

namespace {

using namespace holdstill;
using namespace platform;

// Smooth gradients with a little grain, as a photograph compresses.
std::shared_ptr<UIImage> cameraPicture() {
  constexpr int w = 1600, h = 1200;
  std::vector<uint32_t> pixels(size_t(w) * h);
  uint32_t state = 1;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      state = state * 1664525u + 1013904223u;
      const uint32_t grain = state >> 29;
      const uint32_t r = (x * 255 / w + grain) & 0xFF, g = (y * 255 / h + grain) & 0xFF,
                     b = ((x + y) * 255 / (w + h)) & 0xFF;
      pixels[size_t(y) * w + x] = 0xFF000000u | r << 16 | g << 8 | b;
    }
  return std::make_shared<UIImage>(std::make_shared<const CGImage>(w, h, std::move(pixels)),
                                   UIImageOrientationRight);
}

CompositionFacts facts() {
  CompositionFacts f;
  f.device = DeviceFacts{"iPhone", "Bench Phone"};
  f.appName = "Holdstill";
  f.appVersion = "1.0";
  f.dateTime = "2010:06:15 12:00:00";
  auto appThumb = std::make_shared<UIImage>(
      std::make_shared<const CGImage>(57, 57, std::vector<uint32_t>(57 * 57, 0xFF808080u)));
  f.processedThumb = std::make_shared<const exif::Bytes>(*addEXIF(appThumb, {}, false, f));
  f.fix = std::make_shared<const CLLocation>(CLLocationCoordinate2D{47.3769, 8.5417}, 408, 5,
                                             NSDate::dateWithTimeIntervalSince1970(0));
  return f;
}

void BM_PictureEncoding(benchmark::State& state) {
  const auto picture = cameraPicture();
  for (auto _ : state) benchmark::DoNotOptimize(UIImageJPEGRepresentation(picture, kPictureQuality));
}
BENCHMARK(BM_PictureEncoding)->Unit(benchmark::kMillisecond);

// The whole composition, encoding included.
void BM_WholeComposition(benchmark::State& state) {
  const auto picture = cameraPicture();
  const CompositionFacts f = facts();
  for (auto _ : state) benchmark::DoNotOptimize(addEXIF(picture, {}, true, f));
}
BENCHMARK(BM_WholeComposition)->Unit(benchmark::kMillisecond);

// The parts beside the encoding, one by one.
void BM_ThumbnailShrink(benchmark::State& state) {
  const auto picture = cameraPicture();
  for (auto _ : state) benchmark::DoNotOptimize(shrinkImage(picture, kThumbnailWidth, kThumbnailHeight));
}
BENCHMARK(BM_ThumbnailShrink)->Unit(benchmark::kMillisecond);

void BM_ThumbnailComposition(benchmark::State& state) {
  const auto small = shrinkImage(cameraPicture(), kThumbnailWidth, kThumbnailHeight);
  const CompositionFacts f = facts();
  for (auto _ : state) benchmark::DoNotOptimize(addEXIF(small, {}, false, f));
}
BENCHMARK(BM_ThumbnailComposition)->Unit(benchmark::kMillisecond);

// Scan, EXIF block and rebuild of the encoded picture.
void BM_ExifAndRebuild(benchmark::State& state) {
  const exif::Bytes jpeg = UIImageJPEGRepresentation(cameraPicture(), kPictureQuality);
  const CompositionFacts f = facts();
  for (auto _ : state) benchmark::DoNotOptimize(addEXIF(nullptr, jpeg, true, f));
}
BENCHMARK(BM_ExifAndRebuild)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
