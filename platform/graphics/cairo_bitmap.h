#pragma once
// Pixels between CGImage and Cairo image surfaces, which share one layout
// (8-bit premultiplied ARGB in native byte order). For the drawing code and
// the codecs; any thread, on distinct or read-only pictures.
#include "platform/graphics/cg_image.h"

#include <cairo.h>

namespace platform {

// A surface that reads `image`'s pixels in place, for Cairo to read only (as
// a source, or to encode). `image` must outlive it; the caller destroys it.
cairo_surface_t* surfaceReadingImage(const CGImage& image);

// A copy of an image surface's pixels as they are now; the pixels of an
// opaque (RGB24) surface get full alpha. Empty for a surface Cairo failed to make.
CGImageRef imageOfSurface(cairo_surface_t* surface);

}  // namespace platform
