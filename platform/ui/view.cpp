#include "platform/ui/view.h"

#include "platform/graphics/graphics_stack.h"
#include "platform/graphics/cairo_bitmap.h"
#include "platform/ui/view_controller.h"
#include "platform/ui/view_transition.h"
#include "platform/ui/window.h"

#include <algorithm>
#include <cmath>

namespace platform {
namespace {

bool visibleWindow(const std::shared_ptr<UIWindow>& window) {
  return window && !window->isHidden();
}

}  // namespace

void UIView::screenPresenceChanged(UIView& view, bool onScreen, bool wasOnScreen) {
  view.didMoveToWindow();
  // Controllers inside a container hear of it from their container.
  if (onScreen != wasOnScreen) {
    if (auto controller = view.viewController(); controller && !controller->parentViewController())
      onScreen ? controller->appear(false) : controller->disappear(false);
  }
  const auto subviews = view.subviews();
  for (const auto& sub : subviews) screenPresenceChanged(*sub, onScreen, wasOnScreen);
}

CGPoint UITouch::locationInView(const UIView* target) const {
  return target ? target->convertPointFromView(windowLocation, nullptr) : windowLocation;
}

UIView::UIView(CGRect frame)
    : bounds_{{0, 0}, frame.size},
      center_{frame.origin.x + frame.size.width / 2, frame.origin.y + frame.size.height / 2} {}

UIView::~UIView() {
  for (auto& sub : subviews_) sub->superview_.reset();
}

CGRect UIView::frame() const {
  return {{center_.x - bounds_.size.width / 2, center_.y - bounds_.size.height / 2}, bounds_.size};
}

void UIView::setFrame(CGRect frame) {
  noteAnimatedChange("frame");
  const CGSize before = bounds_.size;
  bounds_.size = frame.size;
  center_ = {frame.origin.x + frame.size.width / 2, frame.origin.y + frame.size.height / 2};
  sizeChanged(before);
}

void UIView::setTransform(CGAffineTransform transform) {
  noteAnimatedChange("transform");
  transform_ = transform;
}

void UIView::sizeChanged(CGSize before) {
  if (before == bounds_.size) return;
  needsDisplay_ = true;
  layoutSubviews();
}

void UIView::setAlpha(CGFloat alpha) {
  noteAnimatedChange("alpha");
  alpha_ = alpha > 0 ? (alpha < 1 ? alpha : 1) : 0;
}

void UIView::setHidden(bool hidden) { hidden_ = hidden; }

void UIView::setBackgroundColor(std::optional<UIColor> color) {
  noteAnimatedChange("backgroundColor");
  backgroundColor_ = color;
}

std::shared_ptr<UIWindow> UIView::window() const {
  auto root = std::const_pointer_cast<UIView>(weak_from_this().lock());
  while (root && root->superview()) root = root->superview();
  return std::dynamic_pointer_cast<UIWindow>(root);
}

std::shared_ptr<UIView> UIView::viewWithTag(int tag) {
  if (tag_ == tag) return shared_from_this();
  for (const auto& sub : subviews_)
    if (auto found = sub->viewWithTag(tag)) return found;
  return nullptr;
}

bool UIView::isDescendantOfView(const UIView* view) const {
  for (const UIView* v = this; v; v = v->superview_.lock().get())
    if (v == view) return true;
  return false;
}

void UIView::setViewController(const std::shared_ptr<UIViewController>& controller) {
  viewController_ = controller;
}

void UIView::addSubview(const std::shared_ptr<UIView>& view) {
  // attach clamps the index, so this is the front also for a view that is
  // a subview already.
  if (view) attach(view, subviews_.size());
}

void UIView::insertSubviewAtIndex(const std::shared_ptr<UIView>& view, size_t index) {
  if (view) attach(view, index);
}

void UIView::attach(const std::shared_ptr<UIView>& view, size_t index) {
  if (view.get() == this || isDescendantOfView(view.get())) return;
  auto self = shared_from_this();
  const bool wasOnScreen = visibleWindow(view->window());
  const bool sameParent = view->superview_.lock() == self;
  if (sameParent) {
    subviews_.erase(std::find(subviews_.begin(), subviews_.end(), view));
  } else {
    view->detachFromSuperview();
  }
  subviews_.insert(subviews_.begin() + static_cast<std::ptrdiff_t>(std::min(index, subviews_.size())),
                   view);
  if (sameParent) return;
  view->superview_ = self;
  view->didMoveToSuperview();
  screenPresenceChanged(*view, visibleWindow(window()), wasOnScreen);
}

void UIView::detachFromSuperview() {
  auto parent = superview_.lock();
  if (!parent) return;
  auto& siblings = parent->subviews_;
  auto self = shared_from_this();  // keeps this view alive until the end
  siblings.erase(std::remove(siblings.begin(), siblings.end(), self), siblings.end());
  superview_.reset();
}

void UIView::removeFromSuperview() {
  if (superview_.expired()) return;
  auto self = shared_from_this();
  const bool wasOnScreen = visibleWindow(window());
  detachFromSuperview();
  didMoveToSuperview();
  screenPresenceChanged(*this, false, wasOnScreen);
}

void UIView::bringSubviewToFront(const std::shared_ptr<UIView>& view) {
  auto at = std::find(subviews_.begin(), subviews_.end(), view);
  if (at != subviews_.end()) std::rotate(at, at + 1, subviews_.end());
}

bool UIView::pointInside(CGPoint point, const UIEvent*) {
  return CGRectContainsPoint(bounds_, point);
}

std::shared_ptr<UIView> UIView::hitTest(CGPoint point, const UIEvent* event) {
  if (hidden_ || !userInteractionEnabled_ || alpha_ < 0.01f) return nullptr;
  auto self = shared_from_this();  // pointInside may take this view off the tree
  if (!pointInside(point, event)) return nullptr;
  const auto subviews = subviews_;  // hit-testing may change the tree
  for (auto it = subviews.rbegin(); it != subviews.rend(); ++it)
    if (auto hit = (*it)->hitTest((*it)->fromSuperview(point), event)) return hit;
  return self;
}

void UIView::touchesBegan(const std::vector<UITouch>& touches, const UIEvent& event) {
  if (auto next = superview()) next->touchesBegan(touches, event);
}
void UIView::touchesMoved(const std::vector<UITouch>& touches, const UIEvent& event) {
  if (auto next = superview()) next->touchesMoved(touches, event);
}
void UIView::touchesEnded(const std::vector<UITouch>& touches, const UIEvent& event) {
  if (auto next = superview()) next->touchesEnded(touches, event);
}
void UIView::touchesCancelled(const std::vector<UITouch>& touches, const UIEvent& event) {
  if (auto next = superview()) next->touchesCancelled(touches, event);
}

CGPoint UIView::toSuperview(CGPoint p) const {
  const CGRect f = frame();
  return {p.x - bounds_.origin.x + f.origin.x, p.y - bounds_.origin.y + f.origin.y};
}

CGPoint UIView::fromSuperview(CGPoint p) const {
  const CGRect f = frame();
  return {p.x - f.origin.x + bounds_.origin.x, p.y - f.origin.y + bounds_.origin.y};
}

CGPoint UIView::convertPointToView(CGPoint point, const UIView* view) const {
  // Up to the root of this tree, then down to `view`.
  const UIView* v = this;
  for (; v && v->superview_.lock(); v = v->superview_.lock().get()) point = v->toSuperview(point);
  return view ? view->convertPointFromView(point, nullptr) : point;
}

CGPoint UIView::convertPointFromView(CGPoint point, const UIView* view) const {
  if (view) point = view->convertPointToView(point, nullptr);
  std::vector<const UIView*> chain;
  for (const UIView* v = this; v->superview_.lock(); v = v->superview_.lock().get()) chain.push_back(v);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) point = (*it)->fromSuperview(point);
  return point;
}

void UIView::drawRect(CGRect) {}

void UIView::paintContent(cairo_t* cr) {
  const int w = static_cast<int>(std::ceil(bounds_.size.width));
  const int h = static_cast<int>(std::ceil(bounds_.size.height));
  if (w <= 0 || h <= 0) {
    content_.reset();
    return;
  }
  if (needsDisplay_ || bounds_.size != contentSize_) {
    needsDisplay_ = false;
    contentSize_ = bounds_.size;
    auto content = std::make_unique<CGContext>(w, h, CGContext::Origin::TopLeft);
    cairo_translate(content->cairo(), -bounds_.origin.x, -bounds_.origin.y);
    UIGraphicsPushContext(content.get());
    drawRect(bounds_);
    UIGraphicsPopContext();
    // Keep the drawing only when it left a mark.
    cairo_surface_t* surface = cairo_get_target(content->cairo());
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    bool marked = false;
    for (int y = 0; y < h && !marked; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
      marked = std::any_of(row, row + w, [](uint32_t p) { return p != 0; });
    }
    content_ = marked ? std::move(content) : nullptr;
  }
  if (!content_) return;
  cairo_set_source_surface(cr, cairo_get_target(content_->cairo()), bounds_.origin.x,
                           bounds_.origin.y);
  cairo_paint(cr);
}

void UIView::renderTree(cairo_t* cr) {
  if (hidden_ || alpha_ <= 0) return;
  cairo_save(cr);
  const CGRect f = frame();
  cairo_translate(cr, f.origin.x, f.origin.y);
  if (!CGAffineTransformIsIdentity(transform_)) {
    // Transforms act about the view's centre; a flattening one shows nothing.
    if (std::fabs(transform_.a * transform_.d - transform_.b * transform_.c) < 1e-9f ||
        !std::isfinite(transform_.a * transform_.d + transform_.tx + transform_.ty)) {
      cairo_restore(cr);
      return;
    }
    cairo_matrix_t m;
    cairo_matrix_init(&m, transform_.a, transform_.b, transform_.c, transform_.d, transform_.tx,
                      transform_.ty);
    cairo_translate(cr, f.size.width / 2, f.size.height / 2);
    cairo_transform(cr, &m);
    cairo_translate(cr, -f.size.width / 2, -f.size.height / 2);
  }
  const auto flip = detail::flipInFlight(*this);
  if (flip) {
    // Turning about the vertical axis through the centre.
    cairo_translate(cr, f.size.width / 2, 0);
    cairo_scale(cr, flip->squeeze, 1);
    cairo_translate(cr, -f.size.width / 2, 0);
  }
  if (flip && flip->before) {
    cairo_surface_t* old = surfaceReadingImage(*flip->before);
    cairo_set_source_surface(cr, old, 0, 0);
    cairo_paint_with_alpha(cr, alpha_);
    cairo_surface_destroy(old);
    cairo_restore(cr);
    return;
  }
  cairo_translate(cr, -bounds_.origin.x, -bounds_.origin.y);
  const bool translucent = alpha_ < 1;
  if (translucent) cairo_push_group(cr);
  if (backgroundColor_) {
    const CGColorRef c = backgroundColor_->CGColor();
    cairo_set_source_rgba(cr, c.red, c.green, c.blue, c.alpha);
    cairo_rectangle(cr, bounds_.origin.x, bounds_.origin.y, bounds_.size.width, bounds_.size.height);
    cairo_fill(cr);
  }
  paintContent(cr);
  const auto subviews = subviews_;
  for (const auto& sub : subviews) sub->renderTree(cr);
  if (translucent) {
    cairo_pop_group_to_source(cr);
    cairo_paint_with_alpha(cr, alpha_);
  }
  cairo_restore(cr);
}

void UIView::renderInContext(CGContextRef context) {
  if (!context) return;
  cairo_t* cr = context->cairo();
  cairo_save(cr);
  // Place the view so that its bounds origin lands on the current origin.
  const CGRect f = frame();
  cairo_translate(cr, -f.origin.x + bounds_.origin.x, -f.origin.y + bounds_.origin.y);
  renderTree(cr);
  cairo_restore(cr);
}

namespace detail {

CGImageRef renderedLook(UIView& view) {
  const CGSize size = view.bounds().size;
  CGContext context(static_cast<int>(std::ceil(size.width)), static_cast<int>(std::ceil(size.height)),
                    CGContext::Origin::TopLeft);
  // The look without the view's own alpha, which the render applies.
  const CGFloat alpha = view.alpha_;
  const bool hidden = view.hidden_;
  view.alpha_ = 1;
  view.hidden_ = false;
  view.renderInContext(&context);
  view.alpha_ = alpha;
  view.hidden_ = hidden;
  return context.makeImage();
}

}  // namespace detail

const char* object_getClassName(const UIView* view) { return view ? view->className() : "nil"; }

}  // namespace platform
