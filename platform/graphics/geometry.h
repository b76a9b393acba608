#pragma once
// Points, sizes and rectangles in screen points (single precision, as on the
// phone). The origin is the top-left corner; y grows downwards.
namespace platform {

using CGFloat = float;

struct CGPoint {
  CGFloat x = 0, y = 0;
  friend bool operator==(const CGPoint&, const CGPoint&) = default;
};

struct CGSize {
  CGFloat width = 0, height = 0;
  friend bool operator==(const CGSize&, const CGSize&) = default;
};

struct CGRect {
  CGPoint origin;
  CGSize size;
  friend bool operator==(const CGRect&, const CGRect&) = default;
};

constexpr CGPoint CGPointMake(CGFloat x, CGFloat y) { return {x, y}; }
constexpr CGSize CGSizeMake(CGFloat w, CGFloat h) { return {w, h}; }
constexpr CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat w, CGFloat h) { return {{x, y}, {w, h}}; }
constexpr CGRect CGRectZero{};

constexpr CGFloat CGRectGetMinX(const CGRect& r) { return r.origin.x; }
constexpr CGFloat CGRectGetMinY(const CGRect& r) { return r.origin.y; }
constexpr CGFloat CGRectGetMaxX(const CGRect& r) { return r.origin.x + r.size.width; }
constexpr CGFloat CGRectGetMaxY(const CGRect& r) { return r.origin.y + r.size.height; }
constexpr CGFloat CGRectGetMidX(const CGRect& r) { return r.origin.x + r.size.width / 2; }
constexpr CGFloat CGRectGetMidY(const CGRect& r) { return r.origin.y + r.size.height / 2; }
constexpr CGFloat CGRectGetWidth(const CGRect& r) { return r.size.width; }
constexpr CGFloat CGRectGetHeight(const CGRect& r) { return r.size.height; }

// Half-open: a point on the maximum edge is outside, as on the phone.
constexpr bool CGRectContainsPoint(const CGRect& r, CGPoint p) {
  return p.x >= CGRectGetMinX(r) && p.x < CGRectGetMaxX(r) &&
         p.y >= CGRectGetMinY(r) && p.y < CGRectGetMaxY(r);
}

// Where a picture of `size` goes to cover `bounds` with its aspect kept:
// scaled until both sides reach the bounds, centred (the overflow is cut
// off by whoever clips).
constexpr CGRect CGRectAspectFill(const CGRect& bounds, CGSize size) {
  const CGFloat sx = bounds.size.width / size.width, sy = bounds.size.height / size.height;
  const CGFloat scale = sx > sy ? sx : sy;
  const CGSize shown{size.width * scale, size.height * scale};
  return {{bounds.origin.x + (bounds.size.width - shown.width) / 2,
           bounds.origin.y + (bounds.size.height - shown.height) / 2},
          shown};
}

}  // namespace platform
