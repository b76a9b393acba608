#include "platform/graphics/context.h"

#include "platform/graphics/cairo_bitmap.h"

#include <algorithm>
#include <cmath>

namespace platform {
namespace {

int clampDimension(long long v) {
  return static_cast<int>(std::clamp<long long>(v, 0, CGImage::kMaxDimension));
}

cairo_filter_t filterFor(CGInterpolationQuality quality) {
  switch (quality) {
    case kCGInterpolationNone: return CAIRO_FILTER_NEAREST;
    case kCGInterpolationHigh: return CAIRO_FILTER_BEST;
    // Low is the fast one: it samples (bilinear) instead of averaging the
    // whole area, so shrinking a camera picture to a thumbnail costs a small
    // fraction of encoding it.
    case kCGInterpolationLow: return CAIRO_FILTER_BILINEAR;
    default: return CAIRO_FILTER_GOOD;
  }
}

// Keeps the current path across an operation that needs a path of its own.
class PathKeeper {
 public:
  explicit PathKeeper(cairo_t* cr) : cr_(cr), path_(cairo_copy_path(cr)) {}
  ~PathKeeper() {
    cairo_new_path(cr_);
    if (path_->status == CAIRO_STATUS_SUCCESS) cairo_append_path(cr_, path_);
    cairo_path_destroy(path_);
  }
  PathKeeper(const PathKeeper&) = delete;
  PathKeeper& operator=(const PathKeeper&) = delete;

 private:
  cairo_t* cr_;
  cairo_path_t* path_;
};

}  // namespace

CGContext::CGContext(int width, int height, Origin origin)
    : width_(clampDimension(width)), height_(clampDimension(height)) {
  surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width_, height_);
  cr_ = cairo_create(surface_);
  if (origin == Origin::BottomLeft) {
    cairo_translate(cr_, 0, height_);
    cairo_scale(cr_, 1, -1);
  }
  cairo_set_source_rgba(cr_, 0, 0, 0, 1);  // the platform's initial fill colour
}

CGContext::~CGContext() {
  cairo_destroy(cr_);
  cairo_surface_destroy(surface_);
}

CGImageRef CGContext::makeImage() const { return imageOfSurface(surface_); }

void CGContext::drawImage(const CGImage& image, const cairo_matrix_t& imageToUser) {
  // Cairo refuses a map that flattens the picture or is not finite (an empty
  // or non-finite rectangle) by breaking the context for good; such a
  // drawing shows nothing instead.
  const cairo_matrix_t& m = imageToUser;
  const double determinant = m.xx * m.yy - m.yx * m.xy;
  if (image.width() == 0 || image.height() == 0 || determinant == 0 || !std::isfinite(determinant))
    return;
  PathKeeper keep(cr_);
  cairo_surface_t* source = surfaceReadingImage(image);
  cairo_save(cr_);
  cairo_transform(cr_, &imageToUser);
  cairo_set_source_surface(cr_, source, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr_), filterFor(interpolation_));
  // Padding keeps scaled edges opaque; the rectangle keeps the paint inside.
  cairo_pattern_set_extend(cairo_get_source(cr_), CAIRO_EXTEND_PAD);
  cairo_new_path(cr_);
  cairo_rectangle(cr_, 0, 0, image.width(), image.height());
  cairo_fill(cr_);
  cairo_restore(cr_);
  cairo_surface_destroy(source);
}

void CGContext::saveGState() {
  cairo_save(cr_);
  saved_.push_back(interpolation_);
}

void CGContext::restoreGState() {
  if (saved_.empty()) return;
  cairo_restore(cr_);
  interpolation_ = saved_.back();
  saved_.pop_back();
}

std::unique_ptr<CGContext> CGBitmapContextCreate(size_t width, size_t height) {
  auto dimension = [](size_t v) {
    return static_cast<int>(std::min<size_t>(v, CGImage::kMaxDimension));
  };
  return std::make_unique<CGContext>(dimension(width), dimension(height),
                                     CGContext::Origin::BottomLeft);
}

CGImageRef CGBitmapContextCreateImage(CGContextRef c) { return c ? c->makeImage() : nullptr; }

void CGContextSaveGState(CGContextRef c) {
  if (c) c->saveGState();
}
void CGContextRestoreGState(CGContextRef c) {
  if (c) c->restoreGState();
}

void CGContextTranslateCTM(CGContextRef c, CGFloat tx, CGFloat ty) {
  if (c && std::isfinite(tx) && std::isfinite(ty)) cairo_translate(c->cairo(), tx, ty);
}
void CGContextScaleCTM(CGContextRef c, CGFloat sx, CGFloat sy) {
  // A zero scale would make the transform singular and break the context.
  if (c && sx != 0 && sy != 0 && std::isfinite(sx) && std::isfinite(sy))
    cairo_scale(c->cairo(), sx, sy);
}
void CGContextRotateCTM(CGContextRef c, CGFloat radians) {
  if (c && std::isfinite(radians)) cairo_rotate(c->cairo(), radians);
}

void CGContextBeginPath(CGContextRef c) {
  if (c) cairo_new_path(c->cairo());
}
void CGContextMoveToPoint(CGContextRef c, CGFloat x, CGFloat y) {
  if (c) cairo_move_to(c->cairo(), x, y);
}

void CGContextAddArcToPoint(CGContextRef c, CGFloat x1, CGFloat y1, CGFloat x2, CGFloat y2,
                            CGFloat radius) {
  if (!c || !cairo_has_current_point(c->cairo())) return;
  cairo_t* cr = c->cairo();
  double x0, y0;
  cairo_get_current_point(cr, &x0, &y0);
  // Unit vectors from the corner p1 towards the current point and towards p2.
  double ax = x0 - x1, ay = y0 - y1, bx = x2 - x1, by = y2 - y1;
  const double la = std::hypot(ax, ay), lb = std::hypot(bx, by);
  const double cross = ax * by - ay * bx;
  if (radius <= 0 || la == 0 || lb == 0 || std::fabs(cross) <= 1e-12 * la * lb) {
    cairo_line_to(cr, x1, y1);
    return;
  }
  ax /= la, ay /= la, bx /= lb, by /= lb;
  const double angle = std::acos(std::clamp(ax * bx + ay * by, -1.0, 1.0));  // at the corner
  const double tangent = radius / std::tan(angle / 2);
  const double t1x = x1 + ax * tangent, t1y = y1 + ay * tangent;
  const double t2x = x1 + bx * tangent, t2y = y1 + by * tangent;
  // The centre lies on the bisector, radius / sin(angle / 2) from the corner.
  double mx = ax + bx, my = ay + by;
  const double lm = std::hypot(mx, my);
  mx /= lm, my /= lm;
  const double centre = radius / std::sin(angle / 2);
  const double cx = x1 + mx * centre, cy = y1 + my * centre;
  const double start = std::atan2(t1y - cy, t1x - cx), end = std::atan2(t2y - cy, t2x - cx);
  cairo_line_to(cr, t1x, t1y);
  // The arc runs the short way round, which the turn at the corner decides.
  if ((t1x - cx) * (t2y - cy) - (t1y - cy) * (t2x - cx) > 0)
    cairo_arc(cr, cx, cy, radius, start, end);
  else
    cairo_arc_negative(cr, cx, cy, radius, start, end);
}

void CGContextAddRect(CGContextRef c, CGRect r) {
  if (c) cairo_rectangle(c->cairo(), r.origin.x, r.origin.y, r.size.width, r.size.height);
}
void CGContextClosePath(CGContextRef c) {
  if (c) cairo_close_path(c->cairo());
}

void CGContextClip(CGContextRef c) {
  if (c) cairo_clip(c->cairo());
}
void CGContextSetFillColorWithColor(CGContextRef c, CGColorRef color) {
  if (c) cairo_set_source_rgba(c->cairo(), color.red, color.green, color.blue, color.alpha);
}
void CGContextSetRGBFillColor(CGContextRef c, CGFloat r, CGFloat g, CGFloat b, CGFloat a) {
  CGContextSetFillColorWithColor(c, UIColor::colorWithRed(r, g, b, a).CGColor());
}
void CGContextFillPath(CGContextRef c) {
  if (c) cairo_fill(c->cairo());
}
void CGContextFillRect(CGContextRef c, CGRect r) {
  if (!c) return;
  cairo_new_path(c->cairo());
  CGContextAddRect(c, r);
  cairo_fill(c->cairo());
}

void CGContextSetInterpolationQuality(CGContextRef c, CGInterpolationQuality quality) {
  if (c) c->setInterpolationQuality(quality);
}

void CGContextDrawImage(CGContextRef c, CGRect rect, const CGImageRef& image) {
  if (!c || !image || image->width() == 0 || image->height() == 0) return;
  // Row 0 of the picture goes to the rectangle's maximum y.
  cairo_matrix_t m;
  cairo_matrix_init(&m, rect.size.width / image->width(), 0, 0,
                    -rect.size.height / image->height(), rect.origin.x,
                    rect.origin.y + rect.size.height);
  c->drawImage(*image, m);
}

}  // namespace platform
