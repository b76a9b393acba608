// What the camera and the help screen cost per use: one generated camera
// picture, and the help index parsed, laid out and drawn at screen size.
#include "platform/camera/camera_feed.h"
#include "platform/foundation/bundle.h"
#include "platform/foundation/data_file.h"
#include "platform/foundation/url.h"
#include "platform/graphics/context.h"
#include "platform/web/web_page.h"

#include <benchmark/benchmark.h>

namespace {

void CameraTestScene(benchmark::State& state) {
  std::size_t shot = 0;
  for (auto _ : state) benchmark::DoNotOptimize(platform::makeCameraTestScene(1.5, ++shot));
}
BENCHMARK(CameraTestScene)->Unit(benchmark::kMillisecond);

void HelpIndexLayoutAndDraw(benchmark::State& state) {
  using namespace platform;
  const std::string bundle = NSBundle::mainBundle().bundlePath();
  const auto bytes = dataWithContentsOfFile(bundle + "/Help/index.htm");
  if (!bytes) {
    state.SkipWithError("no help index in the bundle");
    return;
  }
  const std::string html(bytes->begin(), bytes->end());
  const auto base = NSURL::URLWithString(NSURL::fileURLWithPath(bundle, true).absoluteString() + "Help/");
  for (auto _ : state) {
    WebPage page(html, base);
    page.layout(CGSizeMake(320, 416));
    CGContext context(320, 416, CGContext::Origin::TopLeft);
    page.draw(&context, CGRectMake(0, 0, 320, 416));
    benchmark::DoNotOptimize(context.makeImage());
  }
}
BENCHMARK(HelpIndexLayoutAndDraw)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
