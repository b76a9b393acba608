#include "platform/graphics/cairo_bitmap.h"

namespace platform {

cairo_surface_t* surfaceReadingImage(const CGImage& image) {
  // Cairo only reads a surface it draws from or encodes.
  auto* data = reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(image.pixels().data()));
  return cairo_image_surface_create_for_data(data, CAIRO_FORMAT_ARGB32, image.width(),
                                             image.height(), image.width() * 4);
}

CGImageRef imageOfSurface(cairo_surface_t* surface) {
  cairo_surface_flush(surface);
  const int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  // RGB24 leaves the top byte undefined.
  const uint32_t alpha = cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32 ? 0 : 0xff000000u;
  const unsigned char* data = cairo_image_surface_get_data(surface);
  std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
  for (int y = 0; data && y < h; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int x = 0; x < w; ++x) pixels[static_cast<size_t>(y) * w + x] = row[x] | alpha;
  }
  return std::make_shared<const CGImage>(w, h, std::move(pixels));
}

}  // namespace platform
