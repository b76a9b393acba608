#include "views/rounded_rect_path.h"

namespace holdstill {

using namespace platform;

void addRoundedRectToPath(CGContextRef context, CGRect rect, float ovalWidth, float ovalHeight) {
  if (ovalWidth == 0 || ovalHeight == 0) {
    CGContextAddRect(context, rect);
    return;
  }
  // Drawn with radius 1 in a space scaled by the radii, so each corner is a
  // quarter ellipse; the path keeps its shape when the state is restored.
  CGContextSaveGState(context);
  CGContextTranslateCTM(context, CGRectGetMinX(rect), CGRectGetMinY(rect));
  CGContextScaleCTM(context, ovalWidth, ovalHeight);
  const float fw = CGRectGetWidth(rect) / ovalWidth;
  const float fh = CGRectGetHeight(rect) / ovalHeight;
  CGContextMoveToPoint(context, fw, fh / 2);
  CGContextAddArcToPoint(context, fw, fh, fw / 2, fh, 1);
  CGContextAddArcToPoint(context, 0, fh, 0, fh / 2, 1);
  CGContextAddArcToPoint(context, 0, 0, fw / 2, 0, 1);
  CGContextAddArcToPoint(context, fw, 0, fw, fh / 2, 1);
  CGContextClosePath(context);
  CGContextRestoreGState(context);
}

}  // namespace holdstill
