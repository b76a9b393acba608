#pragma once
// The rounded-rectangle outline the meter and the badges draw with.
#include "platform/graphics/context.h"

namespace holdstill {

// Adds to the context's current path a closed rectangle whose corners are
// quarter ellipses of horizontal radius `ovalWidth` and vertical radius
// `ovalHeight`; with either radius 0, the plain rectangle. Where a side is
// shorter than twice its radius the corner arcs meet and the side has no
// straight part. The caller begins (and may close) the path.
void addRoundedRectToPath(platform::CGContextRef context, platform::CGRect rect, float ovalWidth,
                          float ovalHeight);

}  // namespace holdstill
