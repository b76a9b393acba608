#include "platform/ui/window.h"

#include "platform/graphics/image_codec.h"
#include "platform/runloop/run_loop.h"

#include <algorithm>

namespace platform {
namespace {

struct Windows {
  std::vector<std::weak_ptr<UIWindow>> shown;  // in the order they were shown
  std::weak_ptr<UIWindow> key;
};

Windows& windows() {
  static Windows w;
  return w;
}

// Windows drawn over black into a picture of `size`; each window placed at
// its frame's origin less `offset`.
std::shared_ptr<UIImage> render(const std::vector<std::shared_ptr<UIWindow>>& shown, CGSize size,
                                CGPoint offset) {
  CGContext context(static_cast<int>(size.width), static_cast<int>(size.height),
                    CGContext::Origin::TopLeft);
  cairo_t* cr = context.cairo();
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_paint(cr);
  for (const auto& window : shown) {
    const CGRect f = window->frame(), b = window->bounds();
    cairo_save(cr);
    cairo_translate(cr, f.origin.x - b.origin.x - offset.x, f.origin.y - b.origin.y - offset.y);
    window->renderInContext(&context);
    cairo_restore(cr);
  }
  return UIImage::imageWithCGImage(context.makeImage());
}

}  // namespace

UIWindow::UIWindow(CGRect frame) : UIView(frame) { UIView::setHidden(true); }

void UIWindow::makeKeyAndVisible() {
  makeKeyWindow();
  setHidden(false);
}

void UIWindow::makeKeyWindow() {
  windows().key = std::static_pointer_cast<UIWindow>(shared_from_this());
}

bool UIWindow::isKeyWindow() const { return windows().key.lock().get() == this; }

std::shared_ptr<UIWindow> UIWindow::keyWindow() { return windows().key.lock(); }

void UIWindow::setHidden(bool hidden) {
  const bool was = isHidden();
  UIView::setHidden(hidden);
  if (was == hidden) return;
  auto& shown = windows().shown;
  std::erase_if(shown, [this](const std::weak_ptr<UIWindow>& w) {
    auto window = w.lock();
    return !window || window.get() == this;
  });
  if (!hidden) shown.push_back(std::static_pointer_cast<UIWindow>(shared_from_this()));
  const auto subviews = this->subviews();
  for (const auto& sub : subviews) screenPresenceChanged(*sub, !hidden, !was);
}

std::shared_ptr<UIView> UIWindow::sendTap(CGPoint point) {
  UIEvent event;
  event.timestamp = RunLoop::main().now();
  auto hit = hitTest(point, &event);
  if (!hit) return nullptr;
  UITouch touch{UITouchPhase::Began, point, hit, 1};
  event.touches = {touch};
  hit->touchesBegan(event.touches, event);
  event.touches[0].phase = UITouchPhase::Ended;
  hit->touchesEnded(event.touches, event);
  return hit;
}

std::shared_ptr<UIImage> UIWindow::snapshot() {
  auto self = std::static_pointer_cast<UIWindow>(shared_from_this());
  return render({self}, bounds().size, frame().origin);
}

void UIWindow::renderToPNG(const std::string& path) { writePNGFile(*snapshot()->CGImage(), path); }

std::vector<std::shared_ptr<UIWindow>> UIWindow::visibleWindows() {
  std::vector<std::shared_ptr<UIWindow>> out;
  for (const auto& w : windows().shown)
    if (auto window = w.lock(); window && !window->isHidden()) out.push_back(window);
  std::stable_sort(out.begin(), out.end(), [](const auto& a, const auto& b) {
    return a->windowLevel() < b->windowLevel();
  });
  return out;
}

std::shared_ptr<UIView> sendTapToScreen(CGPoint point) {
  const auto shown = UIWindow::visibleWindows();
  for (auto it = shown.rbegin(); it != shown.rend(); ++it) {
    const CGRect f = (*it)->frame();
    if (CGRectContainsPoint(f, point))
      return (*it)->sendTap({point.x - f.origin.x, point.y - f.origin.y});
  }
  return nullptr;
}

UIScreen& UIScreen::mainScreen() {
  static UIScreen screen;
  return screen;
}

std::shared_ptr<UIImage> UIScreen::snapshot() const {
  return render(UIWindow::visibleWindows(), bounds().size, {0, 0});
}

void UIScreen::writeSnapshotPNG(const std::string& path) const {
  writePNGFile(*snapshot()->CGImage(), path);
}

}  // namespace platform
