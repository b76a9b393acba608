#pragma once
// PNG and JPEG codecs (Cairo's PNG support and libjpeg-turbo), and the
// platform's picture-to-bytes functions. All are safe to call from any
// thread on distinct or shared read-only pictures.
#include "platform/graphics/cg_image.h"
#include "platform/graphics/geometry.h"
#include "platform/graphics/image.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace platform {

// Pictures with more pixels than this are refused when decoding.
inline constexpr uint64_t kMaxDecodedPixels = 64ull * 1024 * 1024;

// Decodes PNG or JPEG bytes, told apart by their signature. Null when the
// bytes are neither, are damaged or describe too large a picture; the reason
// then goes to *error when given.
CGImageRef decodeImage(std::span<const uint8_t> bytes, std::string* error = nullptr);

// JFIF JPEG of the bitmap at `quality` 1..100 (values outside are clamped);
// translucent pixels come out as if laid over black. Empty for an empty
// bitmap or when encoding fails.
std::vector<uint8_t> encodeJPEG(const CGImage& image, int quality);
// PNG with alpha; empty when encoding fails.
std::vector<uint8_t> encodePNG(const CGImage& image);

// The platform's forms: JPEG of the stored pixels (the orientation is not
// applied) at `quality` from 0.0 to 1.0; empty for a null picture.
std::vector<uint8_t> UIImageJPEGRepresentation(const std::shared_ptr<UIImage>& image,
                                               CGFloat quality);

// Writes the bitmap as a PNG file, atomically: the file is replaced only by a
// complete one. Throws std::runtime_error naming the path on failure.
void writePNGFile(const CGImage& image, const std::string& path);

}  // namespace platform
