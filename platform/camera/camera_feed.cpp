#include "platform/camera/camera_feed.h"

#include "platform/device/device.h"
#include "platform/graphics/cairo_bitmap.h"
#include "platform/runloop/run_loop.h"

#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <numbers>

namespace platform {
namespace {

// The device's wall-clock time at loop time `seconds`, as "2010-06-15 12:00:07".
std::string deviceClockText(double seconds) {
  DeviceProfile profile;
  if (auto device = Device::current()) profile = device->profile();
  const auto t = static_cast<std::time_t>(
      std::floor(profile.clockOrigin + profile.utcOffsetSeconds + seconds));
  std::tm tm{};
  gmtime_r(&t, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm);
  return text;
}

void centredText(cairo_t* cr, const std::string& text, double centreX, double baseline) {
  cairo_text_extents_t e;
  cairo_text_extents(cr, text.c_str(), &e);
  cairo_move_to(cr, centreX - e.x_advance / 2, baseline);
  cairo_show_text(cr, text.c_str());
}

}  // namespace

UIImageOrientation cameraOrientationFor(UIDeviceOrientation hold) {
  switch (hold) {
    case UIDeviceOrientation::LandscapeLeft: return UIImageOrientationUp;
    case UIDeviceOrientation::LandscapeRight: return UIImageOrientationDown;
    case UIDeviceOrientation::PortraitUpsideDown: return UIImageOrientationLeft;
    default: return UIImageOrientationRight;
  }
}

std::shared_ptr<UIImage> makeCameraTestScene(double seconds, std::size_t shot, UIImageOrientation orientation) {
  constexpr int Ws = CameraFeed::kSceneWidth, Hs = CameraFeed::kSceneHeight;  // as stored
  const bool quarter = orientation == UIImageOrientationLeft || orientation == UIImageOrientationRight;
  const double W = quarter ? Hs : Ws, H = quarter ? Ws : Hs;  // as shown
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, Ws, Hs);
  cairo_t* cr = cairo_create(surface);
  // Draw upright in the shown space: each orientation maps a shown point
  // (x, y) to the stored pixel that shows there once turned.
  cairo_matrix_t shownToStored;
  switch (orientation) {
    case UIImageOrientationUp: cairo_matrix_init(&shownToStored, 1, 0, 0, 1, 0, 0); break;
    case UIImageOrientationDown: cairo_matrix_init(&shownToStored, -1, 0, 0, -1, Ws, Hs); break;
    case UIImageOrientationRight: cairo_matrix_init(&shownToStored, 0, -1, 1, 0, 0, Hs); break;
    case UIImageOrientationLeft: cairo_matrix_init(&shownToStored, 0, 1, -1, 0, Ws, 0); break;
  }
  cairo_set_matrix(cr, &shownToStored);

  // Sky and ground.
  cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, H * 0.62);
  cairo_pattern_add_color_stop_rgb(sky, 0, 0.22, 0.45, 0.82);
  cairo_pattern_add_color_stop_rgb(sky, 1, 0.72, 0.86, 0.97);
  cairo_set_source(cr, sky);
  cairo_rectangle(cr, 0, 0, W, H);
  cairo_fill(cr);
  cairo_pattern_destroy(sky);
  // The sun crosses the sky once a minute, so pictures taken apart differ.
  const double phase = std::fmod(seconds, 60.0) / 60.0;
  cairo_set_source_rgb(cr, 1.0, 0.85, 0.25);
  cairo_arc(cr, W * (0.2 + 0.6 * phase), H * 0.12 + 90 * std::sin(phase * std::numbers::pi), 90, 0,
            2 * std::numbers::pi);
  cairo_fill(cr);
  cairo_set_source_rgb(cr, 0.28, 0.55, 0.25);
  cairo_move_to(cr, 0, H * 0.62);
  cairo_curve_to(cr, W * 0.3, H * 0.52, W * 0.6, H * 0.70, W, H * 0.58);
  cairo_line_to(cr, W, H);
  cairo_line_to(cr, 0, H);
  cairo_close_path(cr);
  cairo_fill(cr);
  // A house, for something with straight edges.
  cairo_set_source_rgb(cr, 0.85, 0.82, 0.75);
  cairo_rectangle(cr, W * 0.58, H * 0.66, 300, 220);
  cairo_fill(cr);
  cairo_set_source_rgb(cr, 0.65, 0.2, 0.15);
  cairo_move_to(cr, W * 0.58 - 30, H * 0.66);
  cairo_line_to(cr, W * 0.58 + 150, H * 0.66 - 140);
  cairo_line_to(cr, W * 0.58 + 330, H * 0.66);
  cairo_close_path(cr);
  cairo_fill(cr);
  // The top-left corner, marked so that anyone can tell which way is up.
  cairo_set_source_rgb(cr, 1, 0, 1);
  cairo_rectangle(cr, 0, 0, kSceneMarkerSize, kSceneMarkerSize);
  cairo_fill(cr);

  // The card: the device clock, the loop time and the shot number.
  const double cardTop = H * 0.62 - 420;
  cairo_set_source_rgba(cr, 0, 0, 0, 0.55);
  cairo_rectangle(cr, 80, cardTop, W - 160, 300);
  cairo_fill(cr);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(cr, 78);
  centredText(cr, deviceClockText(seconds), W / 2, cardTop + 110);
  char line[64];
  std::snprintf(line, sizeof line, "shot %zu   t = %.1f s", shot, seconds);
  cairo_set_font_size(cr, 64);
  centredText(cr, line, W / 2, cardTop + 230);

  cairo_destroy(cr);
  cairo_surface_flush(surface);
  CGImageRef image = imageOfSurface(surface);
  cairo_surface_destroy(surface);
  return UIImage::imageWithCGImage(std::move(image), orientation);
}

CameraFeed& CameraFeed::current() {
  auto device = Device::current();
  return device->state<CameraFeed>();
}

CameraFeed::CameraFeed(Device&) {}

void CameraFeed::setPictures(std::vector<CameraFeedPicture> pictures) {
  pictures_ = std::move(pictures);
}

std::shared_ptr<UIImage> CameraFeed::pictureAt(std::size_t shot) {
  if (!pictures_.empty()) {
    const CameraFeedPicture& given = pictures_[shot % pictures_.size()];
    if (auto picture = UIImage::imageWithContentsOfHostFile(given.hostPath))
      return UIImage::imageWithCGImage(picture->CGImage(), given.orientation);
  }
  auto device = Device::current();
  const UIDeviceOrientation hold = device ? device->profile().orientation : UIDeviceOrientation::Portrait;
  return makeCameraTestScene(RunLoop::main().now(), shot + 1, cameraOrientationFor(hold));
}

std::shared_ptr<UIImage> CameraFeed::takePicture() { return pictureAt(shots_++); }

std::shared_ptr<UIImage> CameraFeed::peekPicture() { return pictureAt(shots_); }

}  // namespace platform
