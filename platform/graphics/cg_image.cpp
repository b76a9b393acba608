#include "platform/graphics/cg_image.h"

#include <stdexcept>
#include <utility>

namespace platform {

CGImage::CGImage(int width, int height, std::vector<uint32_t> pixels)
    : width_(width), height_(height), pixels_(std::move(pixels)) {
  if (width < 0 || height < 0 || width > kMaxDimension || height > kMaxDimension)
    throw std::invalid_argument("CGImage: size out of range");
  if (pixels_.size() != static_cast<size_t>(width) * static_cast<size_t>(height))
    throw std::invalid_argument("CGImage: pixel count does not match the size");
}

RGBA8 CGImage::colorAt(int x, int y) const {
  const uint32_t p = argbAt(x, y);
  const unsigned a = p >> 24;
  if (a == 0) return {};
  auto channel = [a](unsigned premultiplied) {
    const unsigned v = (premultiplied * 255 + a / 2) / a;
    return static_cast<uint8_t>(v > 255 ? 255 : v);
  };
  return {channel((p >> 16) & 0xff), channel((p >> 8) & 0xff), channel(p & 0xff),
          static_cast<uint8_t>(a)};
}

}  // namespace platform
