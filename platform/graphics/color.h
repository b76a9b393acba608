#pragma once
// UIColor: an immutable RGBA colour with components from 0 to 1, and its
// drawing-context form CGColorRef. Plain values: copy them freely.
#include "platform/graphics/geometry.h"

namespace platform {

// The colour a drawing context fills with (the platform's CGColor).
struct CGColorRef {
  CGFloat red = 0, green = 0, blue = 0, alpha = 0;
  friend bool operator==(const CGColorRef&, const CGColorRef&) = default;
};

class UIColor {
 public:
  // Components outside [0, 1] are clamped.
  static UIColor colorWithRed(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
  static UIColor colorWithWhite(CGFloat white, CGFloat alpha);

  static UIColor clearColor() { return UIColor(0, 0, 0, 0); }
  static UIColor blackColor() { return UIColor(0, 0, 0, 1); }
  static UIColor darkGrayColor() { return UIColor(1.0f / 3, 1.0f / 3, 1.0f / 3, 1); }
  static UIColor grayColor() { return UIColor(0.5f, 0.5f, 0.5f, 1); }
  static UIColor lightGrayColor() { return UIColor(2.0f / 3, 2.0f / 3, 2.0f / 3, 1); }
  static UIColor whiteColor() { return UIColor(1, 1, 1, 1); }
  static UIColor redColor() { return UIColor(1, 0, 0, 1); }
  static UIColor greenColor() { return UIColor(0, 1, 0, 1); }
  static UIColor blueColor() { return UIColor(0, 0, 1, 1); }
  static UIColor cyanColor() { return UIColor(0, 1, 1, 1); }
  static UIColor yellowColor() { return UIColor(1, 1, 0, 1); }
  static UIColor magentaColor() { return UIColor(1, 0, 1, 1); }
  static UIColor orangeColor() { return UIColor(1, 0.5f, 0, 1); }
  static UIColor purpleColor() { return UIColor(0.5f, 0, 0.5f, 1); }
  static UIColor brownColor() { return UIColor(0.6f, 0.4f, 0.2f, 1); }


  CGColorRef CGColor() const { return color_; }
  CGFloat red() const { return color_.red; }
  CGFloat green() const { return color_.green; }
  CGFloat blue() const { return color_.blue; }
  CGFloat alpha() const { return color_.alpha; }

  friend bool operator==(const UIColor&, const UIColor&) = default;

 private:
  UIColor(CGFloat r, CGFloat g, CGFloat b, CGFloat a) : color_{r, g, b, a} {}
  CGColorRef color_;
};

}  // namespace platform
