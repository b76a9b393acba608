#pragma once
// CGAffineTransform: the 2-D affine map (x, y) → (a·x + c·y + tx, b·x + d·y + ty).
#include "platform/graphics/geometry.h"

#include <cmath>

namespace platform {

struct CGAffineTransform {
  CGFloat a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
  friend bool operator==(const CGAffineTransform&, const CGAffineTransform&) = default;
};

inline constexpr CGAffineTransform CGAffineTransformIdentity{};

constexpr bool CGAffineTransformIsIdentity(const CGAffineTransform& t) {
  return t == CGAffineTransformIdentity;
}
constexpr CGAffineTransform CGAffineTransformMakeTranslation(CGFloat tx, CGFloat ty) {
  return {1, 0, 0, 1, tx, ty};
}
constexpr CGAffineTransform CGAffineTransformMakeScale(CGFloat sx, CGFloat sy) {
  return {sx, 0, 0, sy, 0, 0};
}
inline CGAffineTransform CGAffineTransformMakeRotation(CGFloat radians) {
  const CGFloat c = std::cos(radians), s = std::sin(radians);
  return {c, s, -s, c, 0, 0};
}
// t1 then t2.
constexpr CGAffineTransform CGAffineTransformConcat(const CGAffineTransform& t1,
                                                    const CGAffineTransform& t2) {
  return {t1.a * t2.a + t1.b * t2.c, t1.a * t2.b + t1.b * t2.d,
          t1.c * t2.a + t1.d * t2.c, t1.c * t2.b + t1.d * t2.d,
          t1.tx * t2.a + t1.ty * t2.c + t2.tx, t1.tx * t2.b + t1.ty * t2.d + t2.ty};
}
// A scale applied before t (the platform's CGAffineTransformScale).
constexpr CGAffineTransform CGAffineTransformScale(const CGAffineTransform& t, CGFloat sx,
                                                   CGFloat sy) {
  return CGAffineTransformConcat(CGAffineTransformMakeScale(sx, sy), t);
}
constexpr CGAffineTransform CGAffineTransformTranslate(const CGAffineTransform& t, CGFloat tx,
                                                       CGFloat ty) {
  return CGAffineTransformConcat(CGAffineTransformMakeTranslation(tx, ty), t);
}
constexpr CGPoint CGPointApplyAffineTransform(CGPoint p, const CGAffineTransform& t) {
  return {t.a * p.x + t.c * p.y + t.tx, t.b * p.x + t.d * p.y + t.ty};
}

}  // namespace platform
