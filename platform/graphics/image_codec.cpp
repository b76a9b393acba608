#include "platform/graphics/image_codec.h"

#include "platform/foundation/atomic_file.h"
#include "platform/graphics/cairo_bitmap.h"

#include <cairo.h>
#include <jpeglib.h>

#include <bit>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace platform {
namespace {

void fail(std::string* error, const std::string& why) {
  if (error) *error = why;
}

bool tooLarge(uint64_t width, uint64_t height) {
  return width > CGImage::kMaxDimension || height > CGImage::kMaxDimension ||
         width * height > kMaxDecodedPixels;
}

// ---- PNG through Cairo -------------------------------------------------

struct ByteReader {
  std::span<const uint8_t> bytes;
  size_t at = 0;
};

cairo_status_t readBytes(void* closure, unsigned char* data, unsigned int length) {
  auto* r = static_cast<ByteReader*>(closure);
  if (r->bytes.size() - r->at < length) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(data, r->bytes.data() + r->at, length);
  r->at += length;
  return CAIRO_STATUS_SUCCESS;
}

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
  auto* out = static_cast<std::vector<uint8_t>*>(closure);
  out->insert(out->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

uint32_t bigEndian32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

CGImageRef decodePNG(std::span<const uint8_t> bytes, std::string* error) {
  // The header chunk comes first; its size is checked before any allocation.
  if (bytes.size() < 24 || std::memcmp(bytes.data() + 12, "IHDR", 4) != 0) {
    fail(error, "PNG header is missing");
    return nullptr;
  }
  if (tooLarge(bigEndian32(bytes.data() + 16), bigEndian32(bytes.data() + 20))) {
    fail(error, "PNG picture is too large");
    return nullptr;
  }
  ByteReader reader{bytes};
  cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(readBytes, &reader);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    fail(error, std::string("PNG cannot be decoded: ") +
                    cairo_status_to_string(cairo_surface_status(surface)));
    cairo_surface_destroy(surface);
    return nullptr;
  }
  CGImageRef image = imageOfSurface(surface);
  cairo_surface_destroy(surface);
  return image;
}

// ---- JPEG through libjpeg-turbo ----------------------------------------
// libjpeg reports errors by calling error_exit, which must not return; it
// jumps back to the setjmp of the calling function. Everything those
// functions change after setjmp lives on the heap, so nothing is left
// indeterminate by the jump.

// libjpeg-turbo's byte order that matches a native ARGB word.
constexpr J_COLOR_SPACE kNativeARGB =
    std::endian::native == std::endian::little ? JCS_EXT_BGRA : JCS_EXT_ARGB;
constexpr J_COLOR_SPACE kNativeXRGB =
    std::endian::native == std::endian::little ? JCS_EXT_BGRX : JCS_EXT_XRGB;

struct JpegErrors {
  jpeg_error_mgr manager;
  jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

extern "C" void jpegErrorExit(j_common_ptr cinfo) {
  auto* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, errors->message);
  longjmp(errors->jump, 1);
}

extern "C" void jpegQuiet(j_common_ptr, int) {}  // warnings are not printed

// libjpeg's error manager that jumps back instead of ending the process.
jpeg_error_mgr* jumpingErrors(JpegErrors& errors) {
  jpeg_error_mgr* manager = jpeg_std_error(&errors.manager);
  manager->error_exit = jpegErrorExit;
  manager->emit_message = jpegQuiet;
  return manager;
}

struct DecodeState {
  jpeg_decompress_struct cinfo{};
  JpegErrors errors{};
  std::vector<uint32_t> pixels;
  int width = 0, height = 0;
  bool tooLarge = false;
};

// Returns false with state.errors.message set, or with state.tooLarge.
bool runJpegDecode(DecodeState& s, std::span<const uint8_t> bytes) {
  s.cinfo.err = jumpingErrors(s.errors);
  if (setjmp(s.errors.jump)) {
    jpeg_destroy_decompress(&s.cinfo);
    return false;
  }
  jpeg_create_decompress(&s.cinfo);
  jpeg_mem_src(&s.cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&s.cinfo, TRUE);
  if (tooLarge(s.cinfo.image_width, s.cinfo.image_height)) {
    s.tooLarge = true;
    jpeg_destroy_decompress(&s.cinfo);
    return false;
  }
  s.cinfo.out_color_space = kNativeARGB;
  jpeg_start_decompress(&s.cinfo);
  s.width = static_cast<int>(s.cinfo.output_width);
  s.height = static_cast<int>(s.cinfo.output_height);
  s.pixels.resize(static_cast<size_t>(s.width) * s.height);
  while (s.cinfo.output_scanline < s.cinfo.output_height) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(s.pixels.data() +
                                              static_cast<size_t>(s.cinfo.output_scanline) * s.width);
    jpeg_read_scanlines(&s.cinfo, &row, 1);
  }
  jpeg_finish_decompress(&s.cinfo);
  jpeg_destroy_decompress(&s.cinfo);
  return true;
}

CGImageRef decodeJPEG(std::span<const uint8_t> bytes, std::string* error) {
  auto state = std::make_unique<DecodeState>();
  if (!runJpegDecode(*state, bytes)) {
    fail(error, state->tooLarge ? std::string("JPEG picture is too large")
                                : std::string("JPEG cannot be decoded: ") + state->errors.message);
    return nullptr;
  }
  return std::make_shared<const CGImage>(state->width, state->height, std::move(state->pixels));
}

struct EncodeState {
  jpeg_compress_struct cinfo{};
  JpegErrors errors{};
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
};

bool runJpegEncode(EncodeState& s, const CGImage& image, int quality) {
  s.cinfo.err = jumpingErrors(s.errors);
  if (setjmp(s.errors.jump)) {
    jpeg_destroy_compress(&s.cinfo);
    return false;
  }
  jpeg_create_compress(&s.cinfo);
  jpeg_mem_dest(&s.cinfo, &s.buffer, &s.size);
  s.cinfo.image_width = static_cast<JDIMENSION>(image.width());
  s.cinfo.image_height = static_cast<JDIMENSION>(image.height());
  s.cinfo.input_components = 4;
  s.cinfo.in_color_space = kNativeXRGB;
  jpeg_set_defaults(&s.cinfo);
  jpeg_set_quality(&s.cinfo, quality, TRUE);
  jpeg_start_compress(&s.cinfo, TRUE);
  // libjpeg only reads the rows it is given.
  auto* pixels = const_cast<uint32_t*>(image.pixels().data());
  while (s.cinfo.next_scanline < s.cinfo.image_height) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(pixels + static_cast<size_t>(s.cinfo.next_scanline) *
                                                           image.width());
    jpeg_write_scanlines(&s.cinfo, &row, 1);
  }
  jpeg_finish_compress(&s.cinfo);
  jpeg_destroy_compress(&s.cinfo);
  return true;
}

}  // namespace

CGImageRef decodeImage(std::span<const uint8_t> bytes, std::string* error) {
  static constexpr uint8_t kPNG[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  if (bytes.size() >= sizeof kPNG && std::memcmp(bytes.data(), kPNG, sizeof kPNG) == 0)
    return decodePNG(bytes, error);
  if (bytes.size() >= 3 && bytes[0] == 0xff && bytes[1] == 0xd8 && bytes[2] == 0xff)
    return decodeJPEG(bytes, error);
  fail(error, "neither PNG nor JPEG");
  return nullptr;
}

std::vector<uint8_t> encodeJPEG(const CGImage& image, int quality) {
  if (image.width() == 0 || image.height() == 0) return {};
  auto state = std::make_unique<EncodeState>();
  const bool ok = runJpegEncode(*state, image, quality < 1 ? 1 : quality > 100 ? 100 : quality);
  std::vector<uint8_t> out;
  if (ok && state->buffer) out.assign(state->buffer, state->buffer + state->size);
  std::free(state->buffer);
  return out;
}

std::vector<uint8_t> encodePNG(const CGImage& image) {
  if (image.width() == 0 || image.height() == 0) return {};
  std::vector<uint8_t> out;
  cairo_surface_t* surface = surfaceReadingImage(image);
  const cairo_status_t status = cairo_surface_write_to_png_stream(surface, appendBytes, &out);
  cairo_surface_destroy(surface);
  if (status != CAIRO_STATUS_SUCCESS) out.clear();
  return out;
}

std::vector<uint8_t> UIImageJPEGRepresentation(const std::shared_ptr<UIImage>& image,
                                               CGFloat quality) {
  if (!image) return {};
  const CGFloat q = quality > 0 ? (quality < 1 ? quality : 1) : 0;  // NaN counts as 0
  return encodeJPEG(*image->CGImage(), static_cast<int>(q * 100 + 0.5f));
}

void writePNGFile(const CGImage& image, const std::string& path) {
  const std::vector<uint8_t> bytes = encodePNG(image);
  if (bytes.empty()) throw std::runtime_error("cannot encode a PNG for " + path);
  NSError error;
  if (!detail::writeFileAtomically(path, bytes, &error))
    throw std::runtime_error("cannot write " + path + ": " + error.localizedDescription);
}

}  // namespace platform
