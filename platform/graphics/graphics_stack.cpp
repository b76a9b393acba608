#include "platform/graphics/graphics_stack.h"

#include <cmath>
#include <vector>

namespace platform {
namespace {

struct Entry {
  CGContextRef context;
  std::unique_ptr<CGContext> owned;  // set for image contexts
};

std::vector<Entry>& stack() {
  thread_local std::vector<Entry> contexts;
  return contexts;
}

int pixels(CGFloat points) {
  if (!(points > 0)) return 0;
  return static_cast<int>(std::fmin(std::ceil(points), CGImage::kMaxDimension));
}

}  // namespace

CGContextRef UIGraphicsGetCurrentContext() {
  return stack().empty() ? nullptr : stack().back().context;
}

void UIGraphicsPushContext(CGContextRef context) { stack().push_back({context, nullptr}); }

void UIGraphicsPopContext() {
  if (!stack().empty()) stack().pop_back();
}

void UIGraphicsBeginImageContext(CGSize size) {
  auto owned = std::make_unique<CGContext>(pixels(size.width), pixels(size.height),
                                           CGContext::Origin::TopLeft);
  CGContextRef context = owned.get();
  stack().push_back({context, std::move(owned)});
}

std::shared_ptr<UIImage> UIGraphicsGetImageFromCurrentImageContext() {
  if (stack().empty() || !stack().back().owned) return nullptr;
  return UIImage::imageWithCGImage(stack().back().context->makeImage());
}

void UIGraphicsEndImageContext() {
  if (!stack().empty() && stack().back().owned) stack().pop_back();
}

}  // namespace platform
