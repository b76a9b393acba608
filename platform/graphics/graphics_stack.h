#pragma once
// The current drawing context of the calling thread (UIGraphics...): a stack
// that view drawing and image contexts push onto. Each thread has its own.
#include "platform/graphics/context.h"
#include "platform/graphics/image.h"

#include <memory>

namespace platform {

// The context on top of this thread's stack, or null.
CGContextRef UIGraphicsGetCurrentContext();
// Makes `context` current until the matching pop. The caller keeps owning it.
void UIGraphicsPushContext(CGContextRef context);
// Pops the top context; does nothing on an empty stack.
void UIGraphicsPopContext();

// Pushes a new transparent bitmap context of `size` points (origin top left,
// one pixel a point, fractions rounded up), owned by the stack.
void UIGraphicsBeginImageContext(CGSize size);
// A picture of the current image context; null when the current context was
// not made by UIGraphicsBeginImageContext.
std::shared_ptr<UIImage> UIGraphicsGetImageFromCurrentImageContext();
// Pops and frees the current image context; does nothing when the current
// context was not made by UIGraphicsBeginImageContext.
void UIGraphicsEndImageContext();

}  // namespace platform
