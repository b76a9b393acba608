#pragma once
// CGImage: an immutable bitmap of 8-bit premultiplied ARGB pixels in native
// byte order (one uint32_t a pixel, rows top to bottom), the pixel layout the
// drawing context works in. Shared read-only through CGImageRef; safe to
// read from any thread.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace platform {

// An 8-bit, unpremultiplied colour sample; for reading pixels back.
struct RGBA8 {
  uint8_t red = 0, green = 0, blue = 0, alpha = 0;
  friend bool operator==(const RGBA8&, const RGBA8&) = default;
};

class CGImage {
 public:
  // Largest width or height a bitmap may have (the drawing library's limit).
  static constexpr int kMaxDimension = 32767;

  // `pixels` holds width × height premultiplied ARGB values, rows top down.
  // Throws std::invalid_argument when the sizes do not fit.
  CGImage(int width, int height, std::vector<uint32_t> pixels);

  int width() const { return width_; }
  int height() const { return height_; }
  const std::vector<uint32_t>& pixels() const { return pixels_; }

  // The pixel at (x, y), premultiplied ARGB; (x, y) must be inside.
  uint32_t argbAt(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  // The pixel at (x, y) with alpha divided out; (x, y) must be inside.
  RGBA8 colorAt(int x, int y) const;

 private:
  int width_;
  int height_;
  std::vector<uint32_t> pixels_;
};

using CGImageRef = std::shared_ptr<const CGImage>;

inline size_t CGImageGetWidth(const CGImageRef& image) { return image ? image->width() : 0; }
inline size_t CGImageGetHeight(const CGImageRef& image) { return image ? image->height() : 0; }

}  // namespace platform
