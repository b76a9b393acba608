#pragma once
// The 2-D drawing context (the platform's CGContext) over a Cairo image
// surface, and the CG* functions that draw with it.
//
// A context owns an ARGB bitmap and its graphics state (transform, clip, fill
// colour, interpolation), which CGContextSaveGState/RestoreGState push and
// pop. The current path is not part of the saved state, as on the phone:
// filling or clipping consumes it, saving and restoring keeps it.
//
// Coordinates: contexts made for views and by UIGraphicsBeginImageContext
// have their origin at the top left with y growing downwards; a bitmap made
// with CGBitmapContextCreate has its origin at the bottom left with y growing
// upwards, and CGContextDrawImage draws a picture upright in that space.
//
// CGContextRef is a non-owning pointer. Every function accepts a null context
// and then does nothing. One context is used by one thread at a time.
#include "platform/graphics/cg_image.h"
#include "platform/graphics/color.h"
#include "platform/graphics/geometry.h"

#include <cairo.h>

#include <memory>
#include <vector>

namespace platform {

enum CGInterpolationQuality {
  kCGInterpolationDefault = 0,
  kCGInterpolationNone = 1,
  kCGInterpolationLow = 2,
  kCGInterpolationHigh = 3,
  kCGInterpolationMedium = 4,
};

class CGContext {
 public:
  enum class Origin { TopLeft, BottomLeft };

  // A transparent bitmap of width × height pixels (each clamped to
  // [0, CGImage::kMaxDimension]). One user-space unit is one pixel.
  CGContext(int width, int height, Origin origin);
  ~CGContext();
  CGContext(const CGContext&) = delete;
  CGContext& operator=(const CGContext&) = delete;

  int width() const { return width_; }
  int height() const { return height_; }
  // A copy of the bitmap as it is now.
  CGImageRef makeImage() const;

  // Paints `image` through `imageToUser`, which maps image pixel coordinates
  // (row 0 at the top) into the current user space. Keeps the current path.
  // A map that cannot be inverted (it flattens the picture, or is not
  // finite) draws nothing.
  void drawImage(const CGImage& image, const cairo_matrix_t& imageToUser);

  // Graphics state beyond Cairo's own: saved and restored together with it.
  void saveGState();
  void restoreGState();  // an unmatched restore is ignored
  void setInterpolationQuality(CGInterpolationQuality quality) { interpolation_ = quality; }
  CGInterpolationQuality interpolationQuality() const { return interpolation_; }

  // The underlying Cairo context, for the platform's own renderers.
  cairo_t* cairo() const { return cr_; }

 private:
  int width_;
  int height_;
  cairo_surface_t* surface_;
  cairo_t* cr_;
  CGInterpolationQuality interpolation_ = kCGInterpolationDefault;
  std::vector<CGInterpolationQuality> saved_;
};

using CGContextRef = CGContext*;

// A bitmap context of its own (origin bottom left, as the platform's bitmap
// contexts are). Pixels are always 8-bit premultiplied ARGB.
std::unique_ptr<CGContext> CGBitmapContextCreate(size_t width, size_t height);
// A copy of the context's bitmap; null for a null context.
CGImageRef CGBitmapContextCreateImage(CGContextRef context);

void CGContextSaveGState(CGContextRef c);
void CGContextRestoreGState(CGContextRef c);  // unmatched restores are ignored

void CGContextTranslateCTM(CGContextRef c, CGFloat tx, CGFloat ty);
void CGContextScaleCTM(CGContextRef c, CGFloat sx, CGFloat sy);
void CGContextRotateCTM(CGContextRef c, CGFloat radians);

void CGContextBeginPath(CGContextRef c);
void CGContextMoveToPoint(CGContextRef c, CGFloat x, CGFloat y);
// A line from the current point towards (x1, y1) ending in an arc of the
// given radius tangent to the lines (current, p1) and (p1, p2); the current
// point becomes the second tangent point. Degenerate cases (radius 0,
// coincident or collinear points) add a straight line to (x1, y1). Without
// a current point it does nothing.
void CGContextAddArcToPoint(CGContextRef c, CGFloat x1, CGFloat y1, CGFloat x2, CGFloat y2,
                            CGFloat radius);
void CGContextAddRect(CGContextRef c, CGRect rect);
void CGContextClosePath(CGContextRef c);

// Intersects the clip with the current path (non-zero winding); empties the path.
void CGContextClip(CGContextRef c);
void CGContextSetFillColorWithColor(CGContextRef c, CGColorRef color);
void CGContextSetRGBFillColor(CGContextRef c, CGFloat r, CGFloat g, CGFloat b, CGFloat a);
// Fills the current path (non-zero winding) and empties it.
void CGContextFillPath(CGContextRef c);
// Fills the rectangle; the current path is emptied, as on the phone.
void CGContextFillRect(CGContextRef c, CGRect rect);

void CGContextSetInterpolationQuality(CGContextRef c, CGInterpolationQuality quality);
// Draws the picture scaled into `rect`, upright in a space whose y grows
// upwards (in a top-left context it therefore appears upside down, as on
// the phone).
void CGContextDrawImage(CGContextRef c, CGRect rect, const CGImageRef& image);

}  // namespace platform
