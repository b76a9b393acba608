#pragma once
// Flip transitions in flight, for rendering. An animation block with a
// flip transition on a view keeps the view's look from before the block's
// changes; while the block runs, renders show the view turning about its
// vertical axis: its old look narrowing to an edge, then its new look
// widening again. Internal to platform/ui. Main thread only.
#include "platform/graphics/cg_image.h"
#include "platform/ui/view.h"

#include <optional>

namespace platform::detail {

struct FlipFrame {
  double progress;     // 0 at the start, 1 at the end
  double squeeze;      // the view's width as a part of its own (0 < squeeze <= 1)
  CGImageRef before;   // the old look to draw instead of the view; null: the view as it is now
};

// How `view` shows now, when a flip on it is in flight.
std::optional<FlipFrame> flipInFlight(const UIView& view);

// The view and its subviews as they look now, a picture of its bounds.
CGImageRef renderedLook(UIView& view);

}  // namespace platform::detail
